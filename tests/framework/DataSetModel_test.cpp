#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QTest>

#include "db/DataSource.h"
#include "db/DbTestSupport.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "framework/Forms.h"
#include "support/TestEnv.h"

namespace {

class ModelOverQuery : public ::testing::Test {
  protected:
    void SetUp() override {
        s.exec("CREATE TABLE T (ID INTEGER, NAME VARCHAR(10))");
        s.exec("INSERT INTO T SELECT X, 'n' || X FROM (" + s.series(2000) + ") s");
        query.SetDatabaseName("X");
        source.SetDataSet(&query);
    }

    dbtest::Scratch s{dbtest::Backend::Sqlite};
    TQuery query;
    TDataSource source;
};

TEST_F(ModelOverQuery, GrowsAsTheViewFetchesAndEmptiesWhenClosed) {
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 0);
    query.SQL().Add("SELECT * FROM T ORDER BY ID");
    query.Open();
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "NAME");
    EXPECT_LT(model.rowCount(), 2000);
    ASSERT_TRUE(model.canFetchMore(QModelIndex()));
    while (model.canFetchMore(QModelIndex())) model.fetchMore(QModelIndex());
    EXPECT_EQ(model.rowCount(), 2000);
    EXPECT_EQ(model.data(model.index(1999, 1), Qt::DisplayRole).toString(), "n2000");
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(query.RecNo(), 1);  // the view's fetching does not move the cursor
    query.Close();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ModelOverQuery, ChosenColumnsAndTitles) {
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetColumns({"name", "ID"}, {"Nazwa", "Numer"});
    query.SQL().Add("SELECT * FROM T WHERE ID = 7");
    query.Open();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Nazwa");
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), "n7");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), "7");
}

TEST_F(ModelOverQuery, EditingACellOfALiveResultWritesTheTable) {
    DataSetModel model(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    query.SetRequestLive(true);
    query.SQL().Add("SELECT * FROM T");
    query.SQL().Add(" Where ID <= 3");
    query.SQL().Add(" ORDER BY ID DESC");
    query.Open();
    while (model.canFetchMore(QModelIndex())) model.fetchMore(QModelIndex());
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_TRUE(model.flags(model.index(1, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(1, 1), "two", Qt::EditRole));
    EXPECT_EQ(s.scalar("SELECT NAME FROM T WHERE ID = 2"), "two");
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), "two");
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);

    // A value the column cannot take is refused and the table keeps its value.
    model.setData(model.index(0, 0), "not a number", Qt::EditRole);
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T WHERE ID = 3"), "1");
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);  // the conversion error was shown
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), "3");

    // Going on to another row gives the refused edit up: the next cell is written alone.
    EXPECT_TRUE(model.setData(model.index(2, 1), "one", Qt::EditRole));
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(s.scalar("SELECT NAME FROM T WHERE ID = 1"), "one");
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
}

TEST_F(ModelOverQuery, GridKeepsColumnWidthsAndFollowsTheCursorAfterAWalk) {
    TComponent owner;
    auto* grid = new TDBGrid(&owner);
    grid->SetDataSource(&source);
    QAbstractItemModelTester tester(grid->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    query.SQL().Add("SELECT * FROM T ORDER BY ID");
    query.Open();
    ASSERT_EQ(grid->ColumnCount(), 2);
    EXPECT_EQ(grid->Columns(1).Title.Caption, "NAME");
    grid->View()->setColumnWidth(1, 333);
    query.DisableControls();
    for (query.First(); !query.Eof(); query.Next()) {
    }
    query.EnableControls();
    EXPECT_EQ(grid->View()->columnWidth(1), 333) << "a walk with detached controls keeps the user's widths";
    EXPECT_EQ(grid->Model()->ResultRow(grid->View()->currentIndex().row()), query.RecNo() - 1)
        << "the grid ends on the dataset's row";
    EXPECT_EQ(grid->View()->currentIndex().data().toString(), "2000");
    EXPECT_LE(grid->Model()->rowCount(), grid->Model()->WindowRows()) << "only the rows shown";
    query.Close();
    EXPECT_EQ(grid->ColumnCount(), 0);
}

TEST_F(ModelOverQuery, GridReachesBothEndsOfTheWholeResultAndAlignsNumbersRight) {
    TForm form(nullptr);
    auto* grid = new TDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 400, 300);
    form.Show();
    grid->SetDataSource(&source);
    query.SQL().Add("SELECT * FROM T ORDER BY ID");
    query.Open();
    QTableView* view = grid->View();
    ASSERT_LT(grid->Model()->rowCount(), 2000);
    EXPECT_EQ(grid->Model()->data(grid->Model()->index(0, 0), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_FALSE(grid->Model()->data(grid->Model()->index(0, 1), Qt::TextAlignmentRole).isValid());

    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(query.RecNo(), 2000);
    EXPECT_EQ(query.Fields(0)->AsString(), "2000");
    EXPECT_EQ(grid->Model()->ResultRow(view->currentIndex().row()), 1999);
    EXPECT_EQ(view->currentIndex().siblingAtColumn(0).data().toString(), "2000");
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_EQ(view->currentIndex().siblingAtColumn(0).data().toString(), "1");

    // The scroll bar sent to its bottom shows the last rows of the result.
    query.Close();
    query.Open();
    ASSERT_LT(grid->Model()->rowCount(), 2000);
    auto* bar = view->findChild<QScrollBar*>("RowBar");  // the bar that stands for the whole result
    ASSERT_NE(bar, nullptr);
    bar->setSliderDown(true);
    bar->setValue(bar->maximum());
    bar->setSliderDown(false);
    EXPECT_TRUE(query.AllFetched());
    const int lastShown = view->rowAt(view->viewport()->height() - 2 - view->viewport()->height() % 20);
    EXPECT_EQ(grid->Model()->index(lastShown, 0).data().toString(), "2000");
    EXPECT_EQ(query.RecNo(), 1) << "scrolling does not move the cursor";
}

}  // namespace
