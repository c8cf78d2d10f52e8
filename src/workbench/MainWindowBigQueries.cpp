// The "Big Queries" page: six stored multi-line statements, run one at a time.
#include "db/Query.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"
#include "workbench/MainWindow.h"

void TFMain::BitBtn3Click(TObject*) {
    TMemo* const pages[] = {FULLSQL1, FULLSQL2, FULLSQL3, FULLSQL4, FULLSQL5, FULLSQL6};
    const int shown = PAGESQL->ActivePageIndex();
    if (shown >= 0 && shown < 6) FULLSQL->Lines().Assign(pages[shown]->Lines());
    if (!EnsureConnected()) return;
    QueryFull->SQL().Assign(FULLSQL->Lines());
    try {
        H->Lines().AddStrings(FULLSQL->Lines());
        const BusyCursor busy;
        QueryFull->Open();
    } catch (const EDatabaseError& e) {
        ShowQueryOutcome(e);
    } catch (const std::exception&) {
        ShowMessage(QStringLiteral("Error different that EDataBaseError"));
    }
}
