#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "db/DataSource.h"
#include "db/DbTestSupport.h"
#include "framework/Application.h"
#include "framework/DBCtrls.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "support/TestEnv.h"

namespace {

using dbtest::Backend;

// A window with a grid and a navigator over one query of the table T (ID, NAME, CITY).
class NavigatorAndGrid : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        s.exec("CREATE TABLE T (ID INTEGER, NAME VARCHAR(10), CITY VARCHAR(10))");
        s.exec("INSERT INTO T VALUES (1, 'Ann', 'Opole')");
        s.exec("INSERT INTO T VALUES (2, 'Bob', 'Radom')");
        s.exec("INSERT INTO T VALUES (3, 'Cyd', 'Sopot')");
        app.CreateForm<TForm>();  // the main form: closing the window below ends nothing
        form = app.CreateForm<TForm>();
        form->SetClientSize(500, 300);
        source = new TDataSource(form);
        navigator = new TDBNavigator(form);
        navigator->SetParent(form);
        navigator->SetBounds(0, 0, 270, 25);
        navigator->SetDataSource(source);
        grid = new TDBGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 30, 500, 270);
        grid->SetDataSource(source);
        form->Show();
    }
    void open(const QString& sql, bool live = true) {
        query = s.query(sql, live);
        source->SetDataSet(query);
        query->Open();
        QApplication::processEvents();  // the grid and the navigator have looked at the rows
    }
    // The enabled buttons: First, Prior, Next, Last, Insert, Delete, Edit, poSt, Cancel.
    QString enabled() {
        QApplication::processEvents();
        const QString letters = "FPNLIDESC";
        QString r;
        for (int i = 0; i < 9; ++i)
            r += navigator->Button(static_cast<TNavigateBtn>(i))->isEnabled() ? letters[i] : QChar('-');
        return r;
    }
    void click(TNavigateBtn button) { QTest::mouseClick(navigator->Button(button), Qt::LeftButton); }
    // Opens the cell editor on a cell and types `text` into it, leaving it open.
    void typeInto(int row, int column, const QString& text) {
        QTableView* view = grid->View();
        view->setCurrentIndex(grid->Model()->index(row, column));
        view->edit(view->currentIndex());
        typeHere(text);
    }
    // Types into the editor that is open now.
    void typeHere(const QString& text) {
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "no cell editor is open";
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QApplication::processEvents();  // the user's next click comes through the event loop
    }
    void tabOn() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    QString row(int id) {
        return s.scalar(
            QStringLiteral("SELECT NAME || '/' || COALESCE(CITY, 'NULL') FROM T WHERE ID = %1").arg(id));
    }
    int boxes() { return static_cast<int>(testenv::Dialogs().boxes.size()); }

    dbtest::Scratch s{GetParam()};
    TApplication app;
    TForm* form = nullptr;
    TDataSource* source = nullptr;
    TDBNavigator* navigator = nullptr;
    TDBGrid* grid = nullptr;
    TQuery* query = nullptr;
};

TEST_P(NavigatorAndGrid, ButtonsShowWhatCanBeDoneFromTheDataSetsStateAndPosition) {
    EXPECT_EQ(enabled(), "---------") << "nothing open";
    open("SELECT * FROM T ORDER BY ID");
    EXPECT_EQ(enabled(), "--NLIDE--") << "on the first row";
    click(TNavigateBtn::nbNext);
    EXPECT_EQ(enabled(), "FPNLIDE--");
    click(TNavigateBtn::nbLast);
    EXPECT_EQ(enabled(), "FP--IDE--") << "on the last row";
    click(TNavigateBtn::nbEdit);
    EXPECT_EQ(query->State(), TDataSetState::dsEdit);
    EXPECT_EQ(enabled(), "FP--ID-SC") << "editing: post and cancel";
    click(TNavigateBtn::nbCancel);
    click(TNavigateBtn::nbFirst);
    click(TNavigateBtn::nbInsert);
    EXPECT_EQ(enabled(), "--NLID-SC") << "a new row before the first";
    click(TNavigateBtn::nbCancel);
    EXPECT_EQ(enabled(), "--NLIDE--");

    open("SELECT * FROM T ORDER BY ID", false);
    EXPECT_EQ(enabled(), "--NL-----") << "a read-only result is only browsed";
    open("SELECT * FROM T WHERE ID = 2");
    EXPECT_EQ(enabled(), "----IDE--") << "one row: first and last at once";
    open("SELECT * FROM T WHERE ID > 5");
    EXPECT_EQ(enabled(), "----I----") << "nothing to edit or delete in an empty result";
    query->Close();
    EXPECT_EQ(enabled(), "---------");

    // With no grid fetching ahead: the rows read so far tell.
    grid->SetDataSource(nullptr);
    open("SELECT * FROM T WHERE ID = 2", false);
    EXPECT_EQ(enabled(), "---------");
    open("SELECT * FROM T WHERE ID >= 2 ORDER BY ID", false);
    EXPECT_EQ(enabled(), "--NL-----");
    click(TNavigateBtn::nbNext);
    EXPECT_EQ(enabled(), "FP-------");
}

// The user inserts a row, types id, Tab, name, Tab, city and presses Post while the city
// editor is still open: the row is written once, with the city.
TEST_P(NavigatorAndGrid, PostTakesTheValueLeftInTheOpenCellEditor) {
    open("SELECT * FROM T ORDER BY ID");
    click(TNavigateBtn::nbLast);
    click(TNavigateBtn::nbInsert);
    ASSERT_EQ(query->State(), TDataSetState::dsInsert);
    typeInto(query->RecNo() - 1, 0, "4");
    tabOn();
    typeHere("Dee");
    tabOn();
    typeHere("Krakow");
    click(TNavigateBtn::nbPost);
    EXPECT_EQ(boxes(), 0);
    EXPECT_EQ(query->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(row(4), "Dee/Krakow");
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "4") << "written once";

    // An existing row: the value is written, and Post has nothing left to complain of.
    click(TNavigateBtn::nbFirst);
    typeInto(0, 2, "Gdynia");
    click(TNavigateBtn::nbPost);
    EXPECT_EQ(boxes(), 0);
    EXPECT_EQ(row(1), "Ann/Gdynia");
    EXPECT_FALSE(grid->Editing()) << "the editor has closed";
    QApplication::processEvents();
    EXPECT_EQ(enabled(), "--NLIDE--") << "browsing again";
}

TEST_P(NavigatorAndGrid, EveryOtherButtonAndClosingTheWindowTakeTheOpenEditorsValueFirst) {
    open("SELECT * FROM T ORDER BY ID");
    typeInto(0, 1, "Anna");
    click(TNavigateBtn::nbNext);
    EXPECT_EQ(row(1), "Anna/Opole");
    EXPECT_EQ(query->RecNo(), 2);

    // Cancel drops what was typed.
    typeInto(1, 1, "Robert");
    click(TNavigateBtn::nbCancel);
    EXPECT_EQ(row(2), "Bob/Radom");
    EXPECT_FALSE(grid->Editing());

    // A value the column cannot take: one error, and the navigator does nothing further.
    typeInto(1, 0, "two");
    click(TNavigateBtn::nbNext);
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(query->RecNo(), 2);
    EXPECT_EQ(row(2), "Bob/Radom");
    typeInto(1, 0, "22");
    click(TNavigateBtn::nbLast);
    EXPECT_EQ(boxes(), 1);
    EXPECT_EQ(row(22), "Bob/Radom");

    // A new row typed and the window closed: the row is not lost.
    click(TNavigateBtn::nbInsert);
    typeInto(query->RecNo() - 1, 0, "5");
    tabOn();
    typeHere("Eve");
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(row(5), "Eve/NULL");
    EXPECT_EQ(boxes(), 1);

    // A new row never typed into goes with the window, not written empty.
    form->Show();
    click(TNavigateBtn::nbInsert);
    form->Close();
    EXPECT_EQ(query->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "4");
}

// Going from a new row to another one posts what was typed into it, with the value of the
// editor left open; cells typed afterwards belong to the row they are in.
TEST_P(NavigatorAndGrid, MovingOffANewRowPostsItOrDropsItUntouched) {
    open("SELECT * FROM T ORDER BY ID");
    click(TNavigateBtn::nbInsert);
    typeInto(0, 0, "7");
    tabOn();
    typeHere("Gus");
    QTableView* view = grid->View();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(grid->Model()->index(2, 1)).center());
    EXPECT_EQ(boxes(), 0);
    EXPECT_EQ(query->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(row(7), "Gus/NULL");
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), "Bob") << "the row clicked is current";
    typeInto(2, 2, "Lublin");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();  // the view commits the editor's text queued
    EXPECT_EQ(row(2), "Bob/Lublin");
    EXPECT_EQ(row(7), "Gus/NULL");

    // A new row left untouched is dropped, not written empty: a new row before Bob, and a
    // click on the row below it, Bob's.
    click(TNavigateBtn::nbInsert);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(grid->Model()->index(3, 1)).center());
    EXPECT_EQ(query->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "4");
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), "Bob");
}

TEST_P(NavigatorAndGrid, DeleteQuestionCarriesTheApplicationTitle) {
    open("SELECT * FROM T ORDER BY ID");
    testenv::Dialogs().answers = {platform::IDNO};
    click(TNavigateBtn::nbDelete);
    ASSERT_EQ(boxes(), 1);
    EXPECT_EQ(testenv::Dialogs().boxes[0].caption, "Zorvantic");
}

INSTANTIATE_TEST_SUITE_P(Backends, NavigatorAndGrid, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
