#include <gtest/gtest.h>
#include <QMenu>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class GridTools : public wbtest::WorkbenchTest {};

TEST_P(GridTools, GetFieldsWritesTheFieldListIntoTheFirstQueryFieldUnlessCancelled) {
    wb.seed("CREATE TABLE pairs (a INTEGER, b VARCHAR(5))");
    wb.seed("INSERT INTO pairs VALUES (1, 'x')");
    wb.connect();
    // Cancelled: the database's error, the field kept.
    m->SQL1->SetText("kept");
    testenv::Dialogs().inputAnswers = {std::nullopt};
    wb.click("BSQL");
    EXPECT_EQ(m->SQL1->Text(), "kept");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(m->MainQuery->SQL().ToStringList(), QStringList({"Select * from "}));

    testenv::Dialogs().clear();
    m->HINTS->Lines().Clear();  // no completion of the table name
    testenv::Dialogs().inputAnswers = {QString("pairs")};
    wb.click("BSQL");
    ASSERT_EQ(testenv::Dialogs().records.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().records[0].caption, "Table name");
    EXPECT_EQ(m->SQL1->Text().toUpper(), "SELECT A, B FROM PAIRS");
    EXPECT_TRUE(m->SQL1->Text().endsWith(" FROM pairs")) << "the table name as typed";
    ASSERT_TRUE(m->MainQuery->Active()) << "the grid shows the table's rows";
    EXPECT_EQ(m->MainQuery->SQL().ToStringList(), QStringList({"Select * from pairs"}));
}

// "Get fields" reads a table's name and writes the database's names so that they run.
TEST_P(GridTools, GetFieldsNamesATableAndQuotesTheDatabasesNames) {
    wb.seed("CREATE TABLE \"odd one\" (\"it's\" INTEGER, \"select\" INTEGER, plain INTEGER)");
    wb.seed("CREATE TABLE pairs (a INTEGER)");
    wb.connect();
    m->HINTS->Lines().Clear();
    testenv::Dialogs().inputAnswers = {QString("ODD ONE")};
    wb.click("BSQL");
    EXPECT_EQ(m->SQL1->Text(), "SELECT \"it's\", \"select\", plain FROM \"odd one\"");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    m->SQL1->SetText("kept");
    testenv::Dialogs().inputAnswers = {QString("pairs where 1 = 0")};
    wb.click("BSQL");
    EXPECT_EQ(m->SQL1->Text(), "kept");
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);
}

TEST_P(GridTools, CountWalksEveryRowAndKeepsTheCurrentRow) {
    wb.seed("CREATE TABLE n (id INTEGER)");
    wb.seed(
        "INSERT INTO n SELECT x FROM (WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g "
        "WHERE x < 3000) SELECT x FROM g) s");
    wb.connect();
    wb.openMain("SELECT id FROM n ORDER BY id");
    m->MainQuery->MoveBy(6);
    ASSERT_EQ(m->Grid->View()->currentIndex().row(), 6);
    wb.click("Zliczaj");
    EXPECT_EQ(m->StatusBar->PanelText(0), "3000");
    EXPECT_EQ(m->MainQuery->RecNo(), 7);
    EXPECT_EQ(m->MainQuery->Fields(0)->AsString(), "7");
    EXPECT_EQ(m->Grid->View()->currentIndex().row(), 6) << "the grid stays on its row";

    wb.openMain("SELECT id FROM n WHERE id < 0");
    m->ZliczajClick(m);
    EXPECT_EQ(m->StatusBar->PanelText(0), "0");

    m->MainQuery->Close();
    m->ZliczajClick(m);
    EXPECT_EQ(m->StatusBar->PanelText(0), "");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty()) << "a failed count shows nothing";
    EXPECT_FALSE(m->MainQuery->ControlsDisabled());
}

TEST_P(GridTools, FontOfTheGridChangesOnlyWhenConfirmed) {
    wb.show();
    QFont chosen = m->Grid->Font().font;
    chosen.setPointSize(chosen.pointSize() + 7);
    testenv::Dialogs().fontAnswers = {std::nullopt, chosen};
    const int before = m->Grid->Font().font.pointSize();
    wb.click("BFont");
    EXPECT_EQ(m->Grid->Font().font.pointSize(), before);
    wb.click("BFont");
    EXPECT_EQ(m->Grid->Font().font.pointSize(), before + 7);
    EXPECT_EQ(m->Grid->Font().color, clYellow) << "the colour stays";
}

TEST_P(GridTools, SaveResultFromThePopupWithoutAResult) {
    wb.show();
    m->Zapiszwynik1->Action()->trigger();
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"No data to export"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, GridTools, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
