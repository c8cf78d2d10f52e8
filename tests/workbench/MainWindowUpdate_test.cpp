#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Catalog.h"
#include "db/Field.h"
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/DBCtrls.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class UpdatePage : public wbtest::WorkbenchTest {
  protected:
    void SetUp() override {
        // No primary key: rows are found by all their values.
        wb.seed("CREATE TABLE people (id INTEGER, name VARCHAR(20), CHECK (id > 0))");
        wb.seed("INSERT INTO people VALUES (1, 'Ann')");
        wb.seed("INSERT INTO people VALUES (2, 'Bob')");
        wb.seed("INSERT INTO people VALUES (3, 'Cyd')");
        wb.connect();
        m->PageControl1->SetActivePage(m->TabSheet5);
    }
    DataSetModel* model() { return m->GridAktualizacja->Model(); }
    QModelIndex cell(int row, int col) { return model()->index(row, col); }
    QString shown(int row, int col) { return model()->data(cell(row, col), Qt::DisplayRole).toString(); }
    // Fills the page's fields and presses "Execute".
    void execute(const QString& table, const QString& where = QString(), const QString& order = QString()) {
        m->NazwaTabeli->SetText(table);
        m->WHERE->SetText(where);
        m->ORDER->SetText(order);
        wb.click("BWykonajAktualizacja");
        // The grid shows every row, as after scrolling through them.
        while (model()->canFetchMore(QModelIndex())) model()->fetchMore(QModelIndex());
    }
    QString names() { return wb.scalar(namesSql); }
    int boxes() { return static_cast<int>(testenv::Dialogs().boxes.size()); }

    const QString namesSql = GetParam() == Backend::Sqlite
                                 ? QStringLiteral(
                                       "SELECT group_concat(name, ',') FROM (SELECT name FROM "
                                       "people ORDER BY id)")
                                 : QStringLiteral("SELECT string_agg(name, ',' ORDER BY id) FROM people");
};

TEST_P(UpdatePage, TableListIsFilledOnTheFirstEntryOnly) {
    // Entering the box is a focus change inside the active window.
    m->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m->Widget()));
    m->NazwaTabeli->SetFocus();
    const QStringList first = m->NazwaTabeli->Items().ToStringList();
    EXPECT_TRUE(first.contains("PEOPLE"));
    EXPECT_EQ(m->NazwaTabeli->Text(), "") << "no table is picked for the user";
    wb.seed("CREATE TABLE later (x INTEGER)");
    wb.click("RefreshTables");
    m->WHERE->SetFocus();
    m->NazwaTabeli->SetFocus();
    EXPECT_EQ(m->NazwaTabeli->Items().ToStringList(), first);
    EXPECT_FALSE(m->DBItems->ControlsDisabled());
}

TEST_P(UpdatePage, ExecuteBuildsTheStatementFromTheFields) {
    execute("people", "  ", " ");
    EXPECT_EQ(m->QueryAktualizacja->SQL().ToStringList(), QStringList({"SELECT * FROM people"}));
    ASSERT_TRUE(m->QueryAktualizacja->Active());
    execute("people", "id > 1", "id DESC");
    EXPECT_EQ(m->QueryAktualizacja->SQL().ToStringList(),
              QStringList({"SELECT * FROM people", " Where id > 1", " ORDER BY id DESC"}));
    EXPECT_EQ(model()->rowCount(), 2);
    EXPECT_EQ(shown(0, 1), "Cyd");
    EXPECT_TRUE(model()->flags(cell(0, 1)) & Qt::ItemIsEditable);
}

// The box holds a table's name: a name with blanks and quotes opens that table, live;
// SQL typed after a name is no table.
TEST_P(UpdatePage, TheTableBoxNamesATableNeverSql) {
    wb.seed("CREATE TABLE \"odd \"\"one\"\"\" (id INTEGER)");
    wb.seed("INSERT INTO \"odd \"\"one\"\"\" VALUES (7)");
    execute("ODD \"ONE\"", "id > 0");
    ASSERT_TRUE(m->QueryAktualizacja->Active());
    EXPECT_EQ(m->QueryAktualizacja->SQL().ToStringList(),
              QStringList({"SELECT * FROM \"odd \"\"one\"\"\"", " Where id > 0"}));
    EXPECT_EQ(shown(0, 0), "7");
    EXPECT_TRUE(model()->flags(cell(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(boxes(), 0);
    execute("people where id = 2");
    EXPECT_FALSE(m->QueryAktualizacja->Active());
    EXPECT_EQ(boxes(), 1);
}

TEST_P(UpdatePage, TypingIntoACellWritesTheTableAtOnce) {
    execute("people", "", "id");
    QTableView* view = m->GridAktualizacja->View();
    view->setCurrentIndex(cell(1, 1));
    view->edit(cell(1, 1));
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Bea");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the view commits the editor's text queued
    EXPECT_EQ(names(), "Ann,Bea,Cyd");
    EXPECT_EQ(m->QueryAktualizacja->State(), TDataSetState::dsBrowse);
}

TEST_P(UpdatePage, EmptiedTextCellStoresNullAndTheColumnsLengthIsAccepted) {
    execute("people", "", "id");
    EXPECT_TRUE(model()->setData(cell(0, 1), QString(), Qt::EditRole));
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM people WHERE name IS NULL AND id = 1"), "1");
    const QString twenty(20, QChar(u'ż'));
    EXPECT_TRUE(model()->setData(cell(1, 1), twenty, Qt::EditRole));
    EXPECT_EQ(wb.scalar("SELECT name FROM people WHERE id = 2"), twenty);
    EXPECT_EQ(boxes(), 0);
    EXPECT_FALSE(model()->setData(cell(2, 1), twenty + "x", Qt::EditRole));
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(wb.scalar("SELECT name FROM people WHERE id = 3"), "Cyd");
}

TEST_P(UpdatePage, RefusedWriteKeepsTheRowAsTypedAndIsNotWrittenAgainElsewhere) {
    execute("people", "", "id");
    // The check constraint refuses a non-positive id.
    EXPECT_FALSE(model()->setData(cell(0, 0), "-5", Qt::EditRole));
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(m->QueryAktualizacja->State(), TDataSetState::dsEdit);
    EXPECT_EQ(shown(0, 0), "-5") << "the row shows what the user typed";
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM people WHERE id = 1"), "1");

    // The user mends the row: the mended value is written.
    EXPECT_TRUE(model()->setData(cell(0, 0), "10", Qt::EditRole));
    EXPECT_EQ(wb.scalar("SELECT name FROM people WHERE id = 10"), "Ann");

    // Refused again, then the user goes on to another row: that row is written, the
    // refused one is given up, not sent again.
    EXPECT_FALSE(model()->setData(cell(1, 0), "0", Qt::EditRole));
    EXPECT_EQ(boxes(), 2);
    EXPECT_TRUE(model()->setData(cell(2, 1), "Cy", Qt::EditRole));
    EXPECT_EQ(boxes(), 2);
    EXPECT_EQ(names(), "Bob,Cy,Ann");
    EXPECT_EQ(shown(1, 0), "2");
    EXPECT_EQ(m->QueryAktualizacja->State(), TDataSetState::dsBrowse);
}

TEST_P(UpdatePage, WritesBelongToTheConnectionsTransaction) {
    wb.click("BStartTransaction");
    execute("people", "", "id");
    EXPECT_TRUE(model()->setData(cell(0, 1), "Anne", Qt::EditRole));
    wb.click("BRollback");
    EXPECT_EQ(names(), "Ann,Bob,Cyd");
    execute("people", "", "id");
    EXPECT_EQ(shown(0, 1), "Ann");
}

TEST_P(UpdatePage, RowChangedMeanwhileByAnotherClientIsRefused) {
    execute("people", "", "id");
    wb.seed("UPDATE people SET name = 'Bobby' WHERE id = 2");
    EXPECT_FALSE(model()->setData(cell(1, 1), "Rob", Qt::EditRole));
    ASSERT_EQ(boxes(), 1);
    EXPECT_TRUE(testenv::Dialogs().boxes[0].text.contains("no longer"))
        << testenv::Dialogs().boxes[0].text.toStdString();
    EXPECT_EQ(names(), "Ann,Bobby,Cyd");
    wb.click("NavigatorCancel");
    EXPECT_EQ(shown(1, 1), "Bob");
    wb.click("NavigatorDelete");  // answered Yes by default
    EXPECT_EQ(names(), "Ann,Bobby,Cyd") << "a changed row is not deleted either";
}

TEST_P(UpdatePage, NavigatorInsertsAndDeletesWithoutAPrimaryKey) {
    execute("people", "", "id");
    wb.click("NavigatorLast");
    wb.click("NavigatorInsert");
    ASSERT_EQ(m->QueryAktualizacja->State(), TDataSetState::dsInsert);
    m->QueryAktualizacja->FieldByName("id")->SetAsString("-4");
    m->QueryAktualizacja->FieldByName("name")->SetAsString("Dee");
    wb.click("NavigatorPost");  // refused by the check
    EXPECT_EQ(boxes(), 1);
    ASSERT_EQ(m->QueryAktualizacja->State(), TDataSetState::dsInsert) << "the new row stays as typed";
    EXPECT_EQ(m->QueryAktualizacja->FieldByName("name")->AsString(), "Dee");
    m->QueryAktualizacja->FieldByName("id")->SetAsString("4");
    wb.click("NavigatorPost");
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(names(), "Ann,Bob,Cyd,Dee") << "written once";

    wb.click("NavigatorFirst");
    testenv::Dialogs().answers = {platform::IDNO};
    wb.click("NavigatorDelete");
    EXPECT_EQ(names(), "Ann,Bob,Cyd,Dee");
    wb.click("NavigatorDelete");
    EXPECT_EQ(names(), "Bob,Cyd,Dee");
    EXPECT_EQ(m->QueryAktualizacja->FieldByName("name")->AsString(), "Bob");
    EXPECT_EQ(boxes(), 3);  // the refusal and the two questions
}

TEST_P(UpdatePage, AnInsertedRowShowsWhatTheTableFilledInAndCanBeEditedAndDeleted) {
    wb.seed(
        GetParam() == Backend::Sqlite
            ? "CREATE TABLE keyed (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20), "
              "kind VARCHAR(5) DEFAULT 'new')"
            : "CREATE TABLE keyed (id SERIAL PRIMARY KEY, name VARCHAR(20), kind VARCHAR(5) DEFAULT 'new')");
    wb.seed("INSERT INTO keyed (name) VALUES ('first')");
    execute("keyed", "", "id");
    wb.click("NavigatorInsert");
    m->QueryAktualizacja->FieldByName("name")->SetAsString("second");
    wb.click("NavigatorPost");
    ASSERT_EQ(boxes(), 0);
    EXPECT_EQ(m->QueryAktualizacja->FieldByName("id")->AsString(), "2");
    EXPECT_EQ(m->QueryAktualizacja->FieldByName("kind")->AsString(), "new");
    EXPECT_EQ(shown(0, 0), "2") << "inserted before the current row";

    EXPECT_TRUE(model()->setData(cell(0, 1), "Second", Qt::EditRole));
    EXPECT_EQ(wb.scalar("SELECT name FROM keyed WHERE id = 2"), "Second");
    wb.click("NavigatorDelete");
    EXPECT_EQ(boxes(), 1);  // the question only
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM keyed"), "1");
}

TEST_P(UpdatePage, DeletingTheOnlyRowLeavesNothingToRead) {
    execute("people", "id = 2");
    wb.click("NavigatorDelete");
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM people"), "2");
    TQuery* q = m->QueryAktualizacja;
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_TRUE(q->Eof());
    EXPECT_TRUE(q->FieldByName("name")->IsNull());
    EXPECT_EQ(q->FieldByName("name")->AsString(), "");
    EXPECT_EQ(model()->rowCount(), 0);
    wb.click("NavigatorDelete");  // nothing left: no question, nothing written
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM people"), "2");

    execute("people", "", "id");
    wb.click("NavigatorLast");
    wb.click("NavigatorDelete");
    EXPECT_EQ(names(), "Ann");
    EXPECT_EQ(q->FieldByName("name")->AsString(), "Ann") << "the new last row is current";
    EXPECT_EQ(m->GridAktualizacja->View()->currentIndex().row(), 0);
}

TEST_P(UpdatePage, BadInputIsAClearErrorAndWritesNothing) {
    const QString before = names();
    execute("people; DELETE FROM people");
    execute("people WHERE 1=1; DROP TABLE people");
    execute("\"people");
    execute("people", "id = = 1");
    execute("no such table");
    EXPECT_EQ(boxes(), 5);
    for (const auto& box : testenv::Dialogs().boxes) EXPECT_EQ(box.icon, platform::BoxIcon::Error);
    EXPECT_FALSE(m->QueryAktualizacja->Active());
    EXPECT_EQ(names(), before);

    // A table dropped between listing and opening.
    m->NazwaTabeli->SetFocus();
    wb.seed("DROP TABLE people");
    execute("PEOPLE");
    EXPECT_EQ(boxes(), 6);
    EXPECT_FALSE(m->QueryAktualizacja->Active());
}

// SQLite has no table without columns.
TEST(UpdatePagePostgres, ATableWithoutColumnsOpensEmpty) {
    Workbench wb(Backend::Postgres);
    wb.seed("CREATE TABLE nocols ()");
    wb.connect();
    wb.main()->NazwaTabeli->SetText("nocols");
    wb.click("BWykonajAktualizacja");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    EXPECT_TRUE(wb.main()->QueryAktualizacja->Active());
    EXPECT_EQ(wb.main()->GridAktualizacja->ColumnCount(), 0);
}

TEST(UpdatePagePostgres, LostServerInTheMiddleOfAnEditKeepsTheRowAndWritesNothing) {
    Workbench wb(Backend::Postgres);
    wb.seed("CREATE TABLE people (id INTEGER, name VARCHAR(20))");
    wb.seed("INSERT INTO people VALUES (1, 'Ann')");
    wb.connect();
    TFMain* m = wb.main();
    wb.openMain("SELECT pg_backend_pid()");
    const QString pid = m->MainQuery->Fields(0)->AsString();
    m->NazwaTabeli->SetText("people");
    wb.click("BWykonajAktualizacja");
    DataSetModel* model = m->GridAktualizacja->Model();
    testenv::PostgresAdmin("SELECT pg_terminate_backend(" + pid + ")");
    EXPECT_FALSE(model->setData(model->index(0, 1), "Anna", Qt::EditRole));
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(model->data(model->index(0, 1), Qt::DisplayRole).toString(), "Anna") << "kept as typed";
    EXPECT_EQ(m->QueryAktualizacja->State(), TDataSetState::dsEdit);
    EXPECT_EQ(wb.scalar("SELECT name FROM people"), "Ann");

    // The user connects again and goes on.
    wb.click("BConnect");
    m->NazwaTabeli->SetText("people");
    wb.click("BWykonajAktualizacja");
    EXPECT_TRUE(model->setData(model->index(0, 1), "Anna", Qt::EditRole));
    EXPECT_EQ(wb.scalar("SELECT name FROM people"), "Anna");
}

INSTANTIATE_TEST_SUITE_P(Backends, UpdatePage, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
