// The top panel's buttons that open the multi-file export, the record counter and the
// super union, each on the open connection.
#include "export/CountRecords.h"
#include "export/MultiFileEksport.h"
#include "export/SuperUnion.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

void TFMain::bindExportOpeners() {
    BSuperUnion->OnClick = [this](TObject* s) { BSuperUnionClick(s); };
    SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
    BMultifileExport->OnClick = [this](TObject* s) { BMultifileExportClick(s); };
}

void TFMain::BSuperUnionClick(TObject*) {
    if (EnsureConnected()) ShowSuperUnion(QStringLiteral("X"), HINTS->Lines());
}

void TFMain::SpeedButton2Click(TObject*) {
    if (EnsureConnected()) ShowCountRecords(QStringLiteral("X"), HINTS->Lines());
}

void TFMain::BMultifileExportClick(TObject*) {
    if (EnsureConnected()) ShowMultiFileEksport();
}
