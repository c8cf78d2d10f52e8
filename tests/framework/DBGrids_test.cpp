#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "db/DataSource.h"
#include "db/DbTestSupport.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "framework/Forms.h"
#include "support/TestEnv.h"

namespace {

using dbtest::Backend;

constexpr int kRows = 3000;

// A grid of a known size over a result much longer than it shows.
class WindowGrid : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        s.numbers("T", kRows);
        grid = new TDBGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 400, 300);
        form.Show();
        grid->SetDataSource(&source);
        tester = std::make_unique<QAbstractItemModelTester>(
            grid->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        view = grid->View();
        bar = view->findChild<QScrollBar*>("RowBar");
        ASSERT_NE(bar, nullptr);
    }
    void open(bool live = false) {
        query = s.query("SELECT * FROM T\n ORDER BY ID", live);
        source.SetDataSet(query);
        query->Open();
        QApplication::processEvents();
    }
    DataSetModel* model() const { return grid->Model(); }
    QString shown(int row, int col = 0) const { return model()->index(row, col).data().toString(); }
    // The record the view marks as current, by its ID; empty when none is marked.
    QString current() const { return view->currentIndex().siblingAtColumn(0).data().toString(); }
    void wheel(int notches) {
        const QPointF at(50, 50);
        QWheelEvent e(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &e);
    }
    int page() const { return view->viewport()->height() / 20; }

    dbtest::Scratch s{GetParam()};
    TDataSource source;  // outlives the form, whose grid lets go of it when destroyed
    TForm form{nullptr};
    TQuery* query = nullptr;
    TDBGrid* grid = nullptr;
    QTableView* view = nullptr;
    QScrollBar* bar = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_P(WindowGrid, HoldsOnlyTheRowsItShowsAfterTheLastRowAndAWalk) {
    open();
    ASSERT_GT(page(), 3);
    EXPECT_EQ(model()->rowCount(), page());
    EXPECT_EQ(shown(0), "1");
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(query->RecNo(), kRows);
    EXPECT_EQ(view->verticalHeader()->count(), page()) << "the header keeps a section per row shown only";
    EXPECT_EQ(shown(page() - 1), QString::number(kRows));
    EXPECT_EQ(current(), QString::number(kRows));
    EXPECT_EQ(bar->maximum(), kRows - page());
    EXPECT_EQ(bar->value(), bar->maximum());

    // A walk with the controls detached (as the exports and the record count do) ends
    // with the grid on the walk's last record, still holding one page.
    query->Close();
    query->Open();
    {
        TControlsDisabled detached(*query);
        for (query->First(); !query->Eof(); query->Next()) {
        }
    }
    EXPECT_EQ(view->verticalHeader()->count(), page());
    EXPECT_EQ(current(), QString::number(kRows));
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(bar->value(), 0);
}

TEST_P(WindowGrid, KeysMoveTheCursorThroughTheWholeResult) {
    open();
    view->setFocus();
    for (int i = 0; i < page(); ++i) QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(query->RecNo(), page() + 1) << "the row below the last one shown";
    EXPECT_EQ(shown(0), "2");
    EXPECT_EQ(current(), QString::number(page() + 1));
    EXPECT_EQ(view->currentIndex().row(), page() - 1);

    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(query->RecNo(), 2 * page() + 1);
    EXPECT_EQ(current(), QString::number(2 * page() + 1));
    QTest::keyClick(view, Qt::Key_PageUp);
    QTest::keyClick(view, Qt::Key_PageUp);
    EXPECT_EQ(query->RecNo(), 1);
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(shown(0), "1");
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(query->RecNo(), 1);
    EXPECT_EQ(current(), "1");

    // Tab from the last cell of the last row shown goes on in the next record.
    view->setCurrentIndex(model()->index(page() - 1, 1));
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(query->RecNo(), page() + 1);
    EXPECT_EQ(current(), QString::number(page() + 1));
    EXPECT_EQ(view->currentIndex().column(), 0);
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(query->RecNo(), page());
    EXPECT_EQ(view->currentIndex().column(), 1);
}

TEST_P(WindowGrid, WheelAndBarScrollWithoutMovingTheCursorAndFetchAsTheyGo) {
    open();
    const int lines = QApplication::wheelScrollLines();
    wheel(-1);
    EXPECT_EQ(bar->value(), lines);
    EXPECT_EQ(shown(0), QString::number(lines + 1));
    EXPECT_EQ(query->RecNo(), 1);
    EXPECT_FALSE(view->currentIndex().isValid()) << "the current record is out of sight";
    wheel(1);
    EXPECT_EQ(shown(0), "1");
    EXPECT_EQ(current(), "1") << "marked again when it comes back";

    // Scrolling to the end of the rows fetched so far fetches more.
    const int fetched = query->FetchedCount();
    ASSERT_LT(fetched, kRows);
    bar->setValue(bar->maximum());
    EXPECT_GT(query->FetchedCount(), fetched);
    EXPECT_GT(bar->maximum(), fetched - page());
    const int top = bar->value();
    EXPECT_EQ(shown(0), QString::number(top + 1));

    // A click picks the record shown under it.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(model()->index(2, 1)).center());
    EXPECT_EQ(query->RecNo(), top + 3);
    EXPECT_EQ(current(), QString::number(top + 3));
}

TEST_P(WindowGrid, TallerGridShowsMoreRowsAndKeepsTheCurrentOne) {
    open();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    const int before = page();
    grid->SetBounds(0, 0, 400, 500);
    QApplication::processEvents();
    ASSERT_GT(page(), before);
    EXPECT_EQ(model()->rowCount(), page());
    EXPECT_EQ(shown(page() - 1), QString::number(kRows));
    EXPECT_EQ(current(), QString::number(kRows));
    EXPECT_EQ(bar->maximum(), kRows - page());
}

TEST_P(WindowGrid, EditsGoToTheRecordUnderTheEditorAlsoWhenTheRowsMove) {
    open(true);
    ASSERT_TRUE(query->CanModify());
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    // A cell written through the model lands on the record the row shows.
    EXPECT_TRUE(model()->setData(model()->index(0, 1), "top", Qt::EditRole));
    const int first = kRows - page() + 1;
    EXPECT_EQ(s.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = %1").arg(first)), "top");

    // The wheel turned while a cell editor is open: its text goes to its own record.
    const QModelIndex cell = model()->index(page() - 1, 1);
    view->setCurrentIndex(cell);
    view->edit(cell);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "typed");
    wheel(1);
    if (editor = view->viewport()->findChild<QLineEdit*>(); editor != nullptr && editor->isVisible())
        QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(s.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = %1").arg(kRows)), "typed");
    const int moved = kRows - QApplication::wheelScrollLines();
    EXPECT_EQ(s.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = %1").arg(moved)),
              QStringLiteral("row%1").arg(moved));
    EXPECT_EQ(query->State(), TDataSetState::dsBrowse);

    // The last record deleted: the grid ends on the new last one.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    query->Delete();
    EXPECT_EQ(current(), QString::number(kRows - 1));
    EXPECT_EQ(shown(page() - 1), QString::number(kRows - 1));
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST_P(WindowGrid, TheCursorStaysOnARecordMendedInTheCellEditor) {
    open(true);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    const int row = page() - 2;
    const QModelIndex cell = model()->index(row, 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(cell).center());
    EXPECT_FALSE(model()->setData(model()->index(row, 0), "not a number", Qt::EditRole));
    ASSERT_EQ(query->State(), TDataSetState::dsEdit);
    // The editor has the focus when the write ends the edit: the rows are read again
    // under it, and the focus that leaves it takes the cursor nowhere.
    view->edit(cell);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, "mended");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(s.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = %1").arg(kRows - 1)), "mended");
    EXPECT_EQ(query->RecNo(), kRows - 1);
    EXPECT_EQ(current(), QString::number(kRows - 1));
    EXPECT_TRUE(view->selectionModel()->isRowSelected(row));
}

INSTANTIATE_TEST_SUITE_P(Backends, WindowGrid, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
