// The script page's buttons that open the tool windows.
#include "framework/Buttons.h"
#include "tools/CreateSimpleData.h"
#include "tools/Konwerter.h"
#include "workbench/MainWindow.h"

void TFMain::bindToolHandlers() {
    SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
    SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
}

void TFMain::SpeedButton3Click(TObject*) {
    FKonwerter->ShowModal();
}

void TFMain::SpeedButton4Click(TObject*) {
    FCreateSimpleData->ShowModal();
}
