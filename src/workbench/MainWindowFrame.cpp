// The window's show and close handling, its page change and the buttons that open
// other windows.
#include "common/Info.h"
#include "db/Query.h"
#include "export/Eksport.h"
#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Dispatch.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

#include "common/Info.h"

TForm* FIntro = nullptr;

void TFMain::bindHandlers() {
    OnShow = [this](TObject* s) { FormShow(s); };
    BConnect->OnClick = [this](TObject* s) { BConnectClick(s); };
    BStartTransaction->OnClick = [this](TObject* s) { BStartTransactionClick(s); };
    BCommit->OnClick = [this](TObject* s) { BCommitClick(s); };
    BRollback->OnClick = [this](TObject* s) { BRollbackClick(s); };
    MIStartTransaction->OnClick = [this](TObject* s) { MIStartTransactionClick(s); };
    MICommit->OnClick = [this](TObject* s) { MICommitClick(s); };
    MIRollback->OnClick = [this](TObject* s) { MIRollbackClick(s); };
    Zakocz1->OnClick = [this](TObject* s) { Zakocz1Click(s); };
    Oprogramie1->OnClick = [this](TObject* s) { Oprogramie1Click(s); };
    BRefreshBDEAliases->OnClick = [this](TObject* s) { BRefreshBDEAliasesClick(s); };
    RefreshTables->OnClick = [this](TObject* s) { RefreshTablesClick(s); };
    PageControl1->OnChange = [this](TObject* s) { PageControl1Change(s); };
    bindQueryHandlers();
    BExport->OnClick = [this](TObject* s) { BExportClick(s); };
    OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
    bindScriptHandlers();
    bindBrowserHandlers();
    bindExportOpeners();
    bindToolHandlers();
}

void TFMain::FormShow(TObject*) {
    InTransactionClick(this);
    FSkipHint = false;
    // A broken alias file is reported; the rest of the start-up still runs.
    Dispatch([this] { BRefreshBDEAliasesClick(this); });
    // The splash window goes as soon as the workbench is on screen.
    try {
        delete FIntro;
    } catch (...) {
    }
    FIntro = nullptr;
    BNewClick(this);
    ProcessCommandLine();
}

void TFMain::FormClose(TObject*, TCloseAction& action) {
    // Cancel in the save question keeps the window open.
    if (!ZachowajPlik()) action = TCloseAction::caNone;
}

void TFMain::BExportClick(TObject*) {
    if (MainQuery->Active())
        ShowEksport(MainQuery, Grid, QString());
    else
        ShowMessage(QStringLiteral("No data to export"));
}

void TFMain::Oprogramie1Click(TObject*) {
    if (FInfo != nullptr) FInfo->ShowModal();
}

void TFMain::Zakocz1Click(TObject*) {
    Close();
}

void TFMain::PageControl1Change(TObject*) {
    // The text tool window works on the script page only.
    if (BTool->Down()) {
        BTool->SetDown(false);
        BToolClick(this);
    }
}
