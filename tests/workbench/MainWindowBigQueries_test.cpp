#include <gtest/gtest.h>

#include "WorkbenchFixture.h"
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class BigQueries : public wbtest::WorkbenchTest {};

// Puts `lines` on the numbered page `page` (1 to 6) and shows that page.
void writePage(TFMain* m, int page, const QStringList& lines) {
    TMemo* memos[] = {m->FULLSQL1, m->FULLSQL2, m->FULLSQL3, m->FULLSQL4, m->FULLSQL5, m->FULLSQL6};
    memos[page - 1]->Lines().Assign(lines);
    m->PAGESQL->SetActivePage(m->PAGESQL->Pages(page - 1));
}

TEST_P(BigQueries, RefreshRunsThePageShownAndKeepsItsLinesInTheHistory) {
    wb.seed("CREATE TABLE t (id INTEGER, name VARCHAR(10))");
    wb.seed("INSERT INTO t VALUES (1, 'a')");
    wb.seed("INSERT INTO t VALUES (2, 'b')");
    wb.connect();
    writePage(m, 2, {"SELECT name", "  FROM t ORDER BY id"});
    writePage(m, 5, {"SELECT id FROM t WHERE id = 2"});
    m->PAGESQL->SetActivePage(m->PAGESQL->Pages(1));
    wb.click("BitBtn3");
    ASSERT_TRUE(m->QueryFull->Active());
    EXPECT_EQ(m->QueryFull->Fields(0)->FieldName().toLower(), "name");
    EXPECT_EQ(m->DBGrid3->Model()->data(m->DBGrid3->Model()->index(0, 0), Qt::DisplayRole).toString(), "a");
    EXPECT_EQ(m->FULLSQL->Lines().ToStringList(), QStringList({"SELECT name", "  FROM t ORDER BY id"}));
    EXPECT_EQ(m->H->Lines().ToStringList(), QStringList({"SELECT name", "  FROM t ORDER BY id"}));
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    EXPECT_FALSE(m->MainQuery->Active()) << "the one-line query's result is not touched";
}

TEST_P(BigQueries, AStatementWithoutRowsIsAnsweredOkAndADatabaseErrorShownPlain) {
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.seed("INSERT INTO t VALUES (1)");
    wb.connect();
    writePage(m, 1, {"UPDATE t", "SET id = 5"});
    m->BitBtn3Click(m);
    EXPECT_EQ(wb.scalar("SELECT id FROM t"), "5");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].text, "OK !");
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::None);
    EXPECT_EQ(m->H->Lines().ToStringList(), QStringList({"UPDATE t", "SET id = 5"}));
    EXPECT_FALSE(m->QueryFull->Active());
    EXPECT_EQ(m->DBGrid3->Model()->rowCount(), 0);

    // The database's message follows the statement's lines in the history.
    writePage(m, 3, {"SELEC nothing", "FROM nowhere"});
    m->BitBtn3Click(m);
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 2u);
    const QString message = testenv::Dialogs().boxes[1].text;
    EXPECT_NE(message, "OK !");
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(testenv::Dialogs().boxes[1].icon, platform::BoxIcon::None);
    EXPECT_EQ(m->H->Lines().ToStringList(),
              QStringList({"UPDATE t", "SET id = 5", "SELEC nothing", "FROM nowhere"}) +
                  message.split(QChar('\n')));
}

TEST_P(BigQueries, AnErrorOutsideTheDatabaseIsNamedAsSuch) {
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.connect();
    // An observer of the query that fails stands for any failure that is not the database's.
    struct Failing : TDataSetObserver {
        void DataSetEvent(TDataSet*, TDataEvent event, int) override {
            if (event == TDataEvent::Opened) throw std::runtime_error("out of memory");
        }
    } failing;
    m->QueryFull->AddObserver(&failing);
    writePage(m, 1, {"SELECT * FROM t"});
    m->BitBtn3Click(m);
    m->QueryFull->RemoveObserver(&failing);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Error different that EDataBaseError"}));
    EXPECT_EQ(m->H->Lines().ToStringList(), QStringList({"SELECT * FROM t"}));
}

TEST_P(BigQueries, WithoutAnAliasNothingRuns) {
    wb.show();
    writePage(m, 4, {"SELECT 1"});
    m->BitBtn3Click(m);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Enter the database name"}));
    EXPECT_EQ(m->FULLSQL->Lines().ToStringList(), QStringList({"SELECT 1"})) << "the run memo is set first";
    EXPECT_EQ(m->H->Lines().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BigQueries, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
