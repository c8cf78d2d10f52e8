#include <gtest/gtest.h>
#include <QTest>
#include <QToolButton>

#include "WorkbenchFixture.h"
#include "db/Field.h"
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/DBCtrls.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

void execute(Workbench& wb, const QString& table) {
    wb.main()->PageControl1->SetActivePage(wb.main()->TabSheet5);
    wb.main()->NazwaTabeli->SetText(table);
    wb.click("BWykonajAktualizacja");
}

class UpdateLive : public wbtest::WorkbenchTest {};

// The table box holds a table's name: a table with an alias names no table and opens
// nothing (one error box), the table itself opens live with no box.
TEST_P(UpdateLive, ATableBoxTextThatNamesNoTableOpensNothing) {
    wb.seed("CREATE TABLE people (id INTEGER)");
    wb.seed("INSERT INTO people VALUES (1)");
    wb.connect();
    execute(wb, "people p");
    EXPECT_FALSE(m->QueryAktualizacja->Active());
    ASSERT_EQ(testenv::Dialogs().boxTexts().size(), 1);
    execute(wb, "people");
    EXPECT_TRUE(m->QueryAktualizacja->CanModify());
    EXPECT_EQ(testenv::Dialogs().boxTexts().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, UpdateLive, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

TEST(PostgresUpdateLive, APostAfterAServerRestartIsSaidUnsavedAndThenSaved) {
    Workbench wb(Backend::Postgres);
    TFMain* m = wb.main();
    wb.seed("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(10))");
    wb.seed("INSERT INTO people VALUES (1, 'Ann')");
    wb.connect();
    execute(wb, "people");
    TQuery* q = m->QueryAktualizacja;
    q->Edit();
    q->FieldByName("name")->SetAsString("Anna");
    wb.openMain("SELECT pg_backend_pid()");
    testenv::PostgresAdmin("SELECT pg_terminate_backend(" + m->MainQuery->Fields(0)->AsString() + ")");
    QTest::mouseClick(m->DBNavigator1->Button(TNavigateBtn::nbPost), Qt::LeftButton);
    ASSERT_EQ(testenv::Dialogs().boxTexts().size(), 1);
    const QString box = testenv::Dialogs().boxTexts()[0];
    EXPECT_TRUE(box.contains("The row was not saved")) << box.toStdString();
    EXPECT_LE(box.count("server closed the connection"), 1) << box.toStdString();
    EXPECT_EQ(q->State(), TDataSetState::dsEdit);
    QTest::mouseClick(m->DBNavigator1->Button(TNavigateBtn::nbPost), Qt::LeftButton);
    EXPECT_EQ(testenv::Dialogs().boxTexts().size(), 1);
    EXPECT_EQ(q->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(wb.scalar("SELECT name FROM people"), "Anna");
}

}  // namespace
