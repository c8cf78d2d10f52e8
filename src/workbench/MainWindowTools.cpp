// The script page's buttons that open the tool windows.
#include "framework/Buttons.h"
#include "tools/CreateSimpleData.h"
#include "tools/Konwerter.h"
#include "workbench/MainWindow.h"
#include "workbench/MemoToolbar.h"

void TFMain::bindToolHandlers() {
    SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
    SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
    BTool->OnClick = [this](TObject* s) { BToolClick(s); };
}

void TFMain::BToolClick(TObject*) {
    if (BTool->Down())
        ShowMemoToolbar(EScript, AssistMemo, BTool);
    else
        HideMemoToolbar();
}

void TFMain::SpeedButton3Click(TObject*) {
    FKonwerter->ShowModal();
}

void TFMain::SpeedButton4Click(TObject*) {
    FCreateSimpleData->ShowModal();
}
