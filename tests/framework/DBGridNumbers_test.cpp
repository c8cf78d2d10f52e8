#include <gtest/gtest.h>

#include <QImage>
#include <QTableView>

#include "db/DataSource.h"
#include "db/DbTestSupport.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "framework/Forms.h"
#include "support/TestEnv.h"

namespace {

// How far to the right the ink of a cell reaches, as a share of the cell's width: a cell
// that shows its text's leading digits and an ellipsis is full, a lone "0.…" is not.
double inkedShare(QTableView* view, int row, int column) {
    const QImage image = view->viewport()->grab().toImage();
    const QRect cell = view->visualRect(view->model()->index(row, column)).adjusted(1, 1, -1, -1);
    const QRgb background = image.pixel(cell.left() + 1, cell.top() + 1);
    int left = cell.right();
    int right = cell.left();
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (image.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right < left ? 0.0 : double(right - left + 1) / cell.width();
}

TEST(DBGridNumbers, ANarrowFloatColumnShowsTheLeadingDigitsOnOneLine) {
    dbtest::Scratch s{dbtest::Backend::Sqlite};
    s.exec("CREATE TABLE T (F DOUBLE PRECISION, G DOUBLE PRECISION)");
    s.exec("INSERT INTO T VALUES (0.333333333333333, 25810.5999999)");
    TQuery query;
    query.SetDatabaseName("X");
    TDataSource source;
    source.SetDataSet(&query);
    TForm form(nullptr);
    auto* grid = new TDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(&source);
    form.Show();
    query.SQL().Add("SELECT F, G FROM T");
    query.Open();
    QTableView* view = grid->View();
    ASSERT_EQ(grid->Model()->index(0, 0).data().toString(), "0.333333333333333");
    for (int column : {0, 1}) {
        view->setColumnWidth(column, 60);
        EXPECT_GT(inkedShare(view, 0, column), 0.7) << "column " << column;
    }
}

}  // namespace
