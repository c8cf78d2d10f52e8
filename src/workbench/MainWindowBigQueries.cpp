// The "Big Queries" page: six stored multi-line statements, run one at a time.
#include "db/Query.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"
#include "workbench/MainWindow.h"

namespace {
// How the database layer ends a statement that gives no rows: it has been executed.
const QString kNoRowsMessage = QStringLiteral("Error creating cursor handle");
}  // namespace

void TFMain::BitBtn3Click(TObject*) {
    TMemo* const pages[] = {FULLSQL1, FULLSQL2, FULLSQL3, FULLSQL4, FULLSQL5, FULLSQL6};
    const int shown = PAGESQL->ActivePageIndex();
    if (shown >= 0 && shown < 6) FULLSQL->Lines().Assign(pages[shown]->Lines());
    if (!EnsureConnected()) return;
    QueryFull->SQL().Assign(FULLSQL->Lines());
    try {
        H->Lines().AddStrings(FULLSQL->Lines());
        QueryFull->Open();
    } catch (const EDatabaseError& e) {
        if (e.Message() == kNoRowsMessage) {
            ShowMessage(QStringLiteral("OK !"));
        } else {
            ShowMessage(e.Message());
            H->Lines().Add(e.Message());
        }
    } catch (const std::exception&) {
        ShowMessage(QStringLiteral("Error different that EDataBaseError"));
    }
}
