#include <gtest/gtest.h>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Dispatch.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class Transactions : public wbtest::WorkbenchTest {
  protected:
    void bigQuery(const QString& sql) {
        m->FULLSQL1->Lines().Assign(QStringList{sql});
        m->PAGESQL->SetActivePage(m->PAGESQL->Pages(0));
        wb.click("BitBtn3");
    }
    bool controlsShowATransaction() const {
        EXPECT_EQ(m->BCommit->Enabled(), !m->BStartTransaction->Enabled());
        EXPECT_EQ(m->MIRollback->Enabled(), m->BCommit->Enabled());
        return m->BCommit->Enabled();
    }
};

TEST_P(Transactions, BigQueryErrorKeepsTheUpdateForTheCommit) {
    wb.seed("CREATE TABLE t (id INTEGER, qty INTEGER)");
    wb.seed("INSERT INTO t VALUES (1, 1)");
    wb.connect();
    wb.click("BStartTransaction");
    bigQuery("UPDATE t SET qty = 2");
    bigQuery("SELEC qty FROM t");
    bigQuery("UPDATE t SET qty = qty + 1");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 3u);
    EXPECT_EQ(testenv::Dialogs().boxTexts()[0], "OK !");
    EXPECT_EQ(testenv::Dialogs().boxTexts()[2], "OK !");
    EXPECT_EQ(wb.scalar("SELECT qty FROM t"), "1");
    wb.click("BCommit");
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 3u);
    EXPECT_EQ(wb.scalar("SELECT qty FROM t"), "3");
    EXPECT_FALSE(controlsShowATransaction());
}

INSTANTIATE_TEST_SUITE_P(Backends, Transactions, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

TEST(PostgresTransactions, CommitThatRolledBackIsAnErrorAndEndsTheTransactionControls) {
    Workbench wb(Backend::Postgres);
    TFMain* m = wb.main();
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.connect();
    m->MIStartTransactionClick(nullptr);
    wb.execMain("INSERT INTO t VALUES (1)");
    // The user's own savepoint statement, refused, fails the whole transaction.
    EXPECT_THROW(wb.execMain("RELEASE SAVEPOINT never_set"), std::exception);
    EXPECT_TRUE(m->BCommit->Enabled());
    wb.click("BCommit");
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"The transaction was rolled back by the server: nothing was committed."}));
    EXPECT_TRUE(m->BStartTransaction->Enabled());
    EXPECT_FALSE(m->MICommit->Enabled());
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM t"), "0");
}

TEST(PostgresTransactions, ServerLostInATransactionShowsNoneAndTheNextActionReconnects) {
    Workbench wb(Backend::Postgres);
    TFMain* m = wb.main();
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.connect();
    wb.click("BStartTransaction");
    wb.execMain("INSERT INTO t VALUES (1)");
    wb.openMain("SELECT pg_backend_pid()");
    testenv::PostgresAdmin("SELECT pg_terminate_backend(" + m->MainQuery->Fields(0)->AsString() + ")");
    m->FULLSQL1->Lines().Assign(QStringList{"INSERT INTO t VALUES (2)"});
    m->PAGESQL->SetActivePage(m->PAGESQL->Pages(0));
    wb.click("BitBtn3");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_TRUE(testenv::Dialogs().boxTexts()[0].startsWith(
        "The connection to the database server was lost during a transaction"))
        << testenv::Dialogs().boxTexts()[0].toStdString();
    EXPECT_TRUE(m->BStartTransaction->Enabled());
    EXPECT_FALSE(m->BRollback->Enabled());
    // The next action connects anew.
    wb.click("BStartTransaction");
    EXPECT_TRUE(m->Database->InTransaction());
    wb.execMain("INSERT INTO t VALUES (3)");
    wb.click("BCommit");
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM t"), "1");
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);
}

}  // namespace
