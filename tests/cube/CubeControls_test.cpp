#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>
#include <QToolButton>

#include "cube/CrossTableModel.h"
#include "cube/DecisionCube.h"
#include "cube/DecisionGrid.h"
#include "cube/DecisionPivot.h"
#include "cube/DecisionQuery.h"
#include "cube/DecisionSource.h"
#include "db/DbTestSupport.h"

using dbtest::Backend;
using dbtest::Scratch;

namespace {

// A cube of two regions by two years (one combination empty) with one sum.
class CubeControls : public ::testing::Test {
  protected:
    void SetUp() override {
        s = std::make_unique<Scratch>(Backend::Sqlite);
        s->exec("CREATE TABLE t (region VARCHAR(5), yr INTEGER, amount INTEGER)");
        s->exec("INSERT INTO t VALUES ('N', 2001, 1), ('N', 2002, 2), ('S', 2001, 4), ('N', 2001, 8)");
        query = new TDecisionQuery(&owner);
        query->SetDatabaseName("X");
        query->SQL().Add(
            "SELECT region, CAST(yr AS VARCHAR(4)) AS yr, amount FROM t WHERE region <> 'S' OR yr = 2001");
        cube = new TDecisionCube(&owner);
        cube->SetDataSet(query);
        source = new TDecisionSource(&owner);
        source->SetDecisionCube(cube);
        grid = new TDecisionGrid(&owner);
        grid->SetDecisionSource(source);
        pivot = new TDecisionPivot(&owner);
        pivot->SetDecisionSource(source);
        tester = std::make_unique<QAbstractItemModelTester>(
            grid->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        cube->Load();
    }

    QString cell(int r, int c) const { return grid->Model()->index(r, c).data().toString(); }

    std::unique_ptr<Scratch> s;
    TComponent owner;
    TDecisionQuery* query = nullptr;
    TDecisionCube* cube = nullptr;
    TDecisionSource* source = nullptr;
    TDecisionGrid* grid = nullptr;
    TDecisionPivot* pivot = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(CubeControls, GridShowsHeadingsAsCellsAndEveryCombination) {
    CrossTableModel* m = grid->Model();
    // Regions down, years across: a row of years, a row of names, then N and S.
    ASSERT_EQ(m->rowCount(), 4);
    ASSERT_EQ(m->columnCount(), 3);
    EXPECT_EQ(cell(0, 0), "yr");
    EXPECT_EQ(cell(0, 1), "2001");
    EXPECT_EQ(cell(0, 2), "2002");
    EXPECT_EQ(cell(1, 0), "region");
    EXPECT_EQ(cell(2, 0), "N");
    EXPECT_EQ(cell(2, 1), "9");
    EXPECT_EQ(cell(2, 2), "2");
    EXPECT_EQ(cell(3, 0), "S");
    EXPECT_EQ(cell(3, 1), "4");
    EXPECT_EQ(cell(3, 2), "");  // empty combination, still shown
    EXPECT_EQ(m->index(2, 1).data(CrossTableModel::CellKindRole).toInt(), CrossTableModel::Data);
    EXPECT_EQ(m->index(2, 0).data(CrossTableModel::CellKindRole).toInt(), CrossTableModel::Label);
    EXPECT_EQ(m->index(0, 0).data(CrossTableModel::CellKindRole).toInt(), CrossTableModel::Caption);
    EXPECT_EQ(grid->View()->horizontalHeader()->defaultSectionSize(), 100);
    EXPECT_EQ(grid->View()->verticalHeader()->defaultSectionSize(), 20);

    // Both dimensions down the rows: the outer value shows where it begins.
    source->MoveDimension(1, true);
    ASSERT_EQ(m->rowCount(), 1 + 4);
    ASSERT_EQ(m->columnCount(), 2 + 1);
    EXPECT_EQ(cell(0, 2), "amount");
    EXPECT_EQ(cell(1, 0), "N");
    EXPECT_EQ(cell(1, 1), "2001");
    EXPECT_EQ(cell(2, 0), "");
    EXPECT_EQ(cell(2, 1), "2002");
    EXPECT_EQ(cell(3, 0), "S");
    EXPECT_EQ(cell(1, 2), "9");
    EXPECT_EQ(cell(4, 2), "");

    // Both across: years outside, regions inside.
    source->MoveDimension(0, false);
    source->MoveDimension(1, false, 0);
    ASSERT_EQ(m->columnCount(), 1 + 4);
    EXPECT_EQ(cell(0, 1), "2001");
    EXPECT_EQ(cell(0, 2), "");
    EXPECT_EQ(cell(0, 3), "2002");
    EXPECT_EQ(cell(1, 1), "N");
    EXPECT_EQ(cell(1, 2), "S");
    EXPECT_EQ(cell(1, 3), "N");
    EXPECT_EQ(cell(3, 2), "4");
}

TEST_F(CubeControls, PivotBarButtonsCloseAndChooseThroughTheControls) {
    QToolButton* years = pivot->DimensionButton(1);
    ASSERT_NE(years, nullptr);
    EXPECT_EQ(years->text(), "yr");
    EXPECT_TRUE(years->isChecked());
    QTest::mouseClick(years, Qt::LeftButton);
    EXPECT_FALSE(source->Layout().IsOpen(1));
    // Years closed: one column holds the sum over both years.
    EXPECT_EQ(grid->Model()->rowCount(), 3);
    EXPECT_EQ(grid->Model()->columnCount(), 2);
    EXPECT_EQ(cell(1, 1), "11");
    ASSERT_NE(pivot->DimensionButton(1), nullptr);
    EXPECT_FALSE(pivot->DimensionButton(1)->isChecked());
    EXPECT_TRUE(pivot->SummaryButton()->text().startsWith("amount"));
}

TEST_F(CubeControls, DroppingAButtonMovesItsDimension) {
    pivot->Widget()->resize(800, 30);
    pivot->Widget()->show();
    QWidget* columns = pivot->Widget()->findChild<QWidget*>("ColumnsGroup");
    ASSERT_NE(columns, nullptr);
    QMimeData mime;
    mime.setData("application/x-zorvantic-dimension", "0");
    // Handed the drop as Qt hands it during a drag. Dropped at the right end of the
    // columns: the regions go across, after the years.
    QDropEvent drop(QPointF(columns->width() - 2, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
    pivot->eventFilterHook(columns, &drop);
    EXPECT_TRUE(source->Layout().Rows.empty());
    EXPECT_EQ(source->Layout().Columns, std::vector<int>({1, 0}));
    // And back to the start of the rows.
    mime.setData("application/x-zorvantic-dimension", "1");
    QWidget* rows = pivot->Widget()->findChild<QWidget*>("RowsGroup");
    QDropEvent back(QPointF(2, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
    pivot->eventFilterHook(rows, &back);
    EXPECT_EQ(source->Layout().Rows, std::vector<int>({1}));
    EXPECT_EQ(source->Layout().Columns, std::vector<int>({0}));
}

TEST_F(CubeControls, GridEmptiesWhenTheCubeIsCleared) {
    cube->Clear();
    EXPECT_EQ(grid->Model()->rowCount(), 0);
    EXPECT_EQ(pivot->DimensionButton(0), nullptr);
}

}  // namespace
