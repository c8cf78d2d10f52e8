#include <gtest/gtest.h>

#include <QMap>
#include <cmath>

#include "cube/CubeError.h"
#include "cube/CubeMap.h"
#include "cube/CubeProgress.h"
#include "cube/DecisionCube.h"
#include "cube/DecisionQuery.h"
#include "cube/DecisionSource.h"
#include "db/DbTestSupport.h"
#include "rtl/SysUtils.h"

using dbtest::Backend;
using dbtest::Scratch;

namespace {

// Sales with a null region, a null quantity and dates over two years.
const char* const kRows[] = {
    "('North', '2001-01-15', 10, 1.5)", "('North', '2001-02-20', 20, 2.5)",
    "('South', '2001-04-01', 5, 4.0)",  "('South', '2002-04-30', NULL, 6.0)",
    "(NULL, '2002-12-31', 7, 1.0)",     "('East', '2001-01-03', 1, 0.5)",
};

class Cube : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        s = std::make_unique<Scratch>(GetParam());
        s->exec("CREATE TABLE sales (region VARCHAR(10), sold DATE, qty INTEGER, price DOUBLE PRECISION)");
        for (const char* r : kRows)
            s->exec(QStringLiteral("INSERT INTO sales VALUES %1").arg(QLatin1String(r)));
        query = new TDecisionQuery(&owner);
        query->SetDatabaseName("X");
        cube = new TDecisionCube(&owner);
        cube->SetDataSet(query);
        source = new TDecisionSource(&owner);
        source->SetDecisionCube(cube);
    }

    // Loads `sql` with roles by field name; fields not named are unused.
    void load(const QString& sql, const QMap<QString, TCubeRole>& roles,
              TDateGrouping grouping = TDateGrouping::Value) {
        query->Close();
        query->SQL().Clear();
        query->SQL().Add(sql);
        cube->RefreshFieldList();
        TCubeMap map = cube->DimensionMap();
        for (TCubeField& f : map) {
            f.Role = roles.value(f.FieldName.toLower(), TCubeRole::Unused);
            f.Grouping = grouping;
        }
        cube->SetDimensionMap(map);
        cube->Load();
    }

    // Labels of the row dimension and the cross table's single column, as text.
    QStringList column() const {
        QStringList out;
        const CubePivot& p = source->Pivot();
        const auto& labels = cube->Store().Dimensions(p.RowDimensions()[0]).Labels;
        for (int r = 0; r < p.RowCount(); ++r)
            out << labels[static_cast<size_t>(r)] + "=" +
                       (p.HasValue(r, 0) ? QString::number(p.Value(r, 0)) : QStringLiteral("-"));
        return out;
    }

    std::unique_ptr<Scratch> s;
    TComponent owner;
    TDecisionQuery* query = nullptr;
    TDecisionCube* cube = nullptr;
    TDecisionSource* source = nullptr;
};

TEST_P(Cube, SumsCountsAndAveragesByHandWithNullAsItsOwnValueLast) {
    load("SELECT region, qty, price FROM sales",
         {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}, {"price", TCubeRole::Average}});
    ASSERT_EQ(cube->Store().SummaryCount(), 2);
    EXPECT_EQ(cube->Store().RowCount(), 6);
    EXPECT_EQ(column(), QStringList({"East=1", "North=30", "South=5", "(null)=7"}));
    source->SetSummary(1);
    EXPECT_EQ(column(), QStringList({"East=0.5", "North=2", "South=5", "(null)=1"}));

    // A count counts the values that are there: South's null quantity is left out.
    load("SELECT region, qty FROM sales", {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Count}});
    EXPECT_EQ(column(), QStringList({"East=1", "North=2", "South=1", "(null)=1"}));
}

TEST_P(Cube, DatesGroupByYearQuarterAndMonth) {
    const QMap<QString, TCubeRole> roles{{"sold", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}};
    load("SELECT sold, qty FROM sales", roles, TDateGrouping::Year);
    EXPECT_EQ(column(), QStringList({"2001=36", "2002=7"}));
    load("SELECT sold, qty FROM sales", roles, TDateGrouping::Quarter);
    EXPECT_EQ(column(), QStringList({"2001 Q1=31", "2001 Q2=5", "2002 Q2=-", "2002 Q4=7"}));
    load("SELECT sold, qty FROM sales", roles, TDateGrouping::Month);
    EXPECT_EQ(column(), QStringList({"2001-01=11", "2001-02=20", "2001-04=5", "2002-04=-", "2002-12=7"}));
}

TEST_P(Cube, NumericDimensionValuesSortAsNumbers) {
    load("SELECT qty, price FROM sales", {{"qty", TCubeRole::Dimension}, {"price", TCubeRole::Sum}});
    EXPECT_EQ(column(), QStringList({"1=0.5", "5=4", "7=1", "10=1.5", "20=2.5", "(null)=6"}));
}

TEST_P(Cube, PivotingWorksOnTheLoadedCubeWithoutTheQuery) {
    load("SELECT region, sold, qty FROM sales",
         {{"region", TCubeRole::Dimension}, {"sold", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}},
         TDateGrouping::Year);
    // The rows are gone from the database: only the cube can answer now.
    s->exec("DELETE FROM sales");
    EXPECT_EQ(source->Pivot().RowCount(), 4);     // regions down
    EXPECT_EQ(source->Pivot().ColumnCount(), 2);  // years across
    const CubePivot& p = source->Pivot();
    EXPECT_EQ(p.Value(1, 0), 30);    // North, 2001
    EXPECT_FALSE(p.HasValue(1, 1));  // North, 2002: empty, but shown

    source->MoveDimension(1, true, 0);  // years to the rows, outside the regions
    const CubePivot& moved = source->Pivot();
    EXPECT_EQ(moved.RowCount(), 8);
    EXPECT_EQ(moved.ColumnCount(), 1);
    EXPECT_EQ(moved.RowValue(5, 0), 1);  // 2002 ...
    EXPECT_EQ(moved.RowValue(5, 1), 1);  // ... North
    EXPECT_FALSE(moved.HasValue(5, 0));
    EXPECT_EQ(moved.Value(7, 0), 7);  // 2002, null region

    source->SetDimensionOpen(0, false);  // regions closed: years only, added up
    EXPECT_EQ(source->Pivot().RowCount(), 2);
    EXPECT_EQ(source->Pivot().Value(0, 0), 36);
    EXPECT_EQ(source->Pivot().Value(1, 0), 7);
    EXPECT_EQ(source->Layout().Rows, std::vector<int>({1, 0}));
}

TEST_P(Cube, EmptyResultGivesAnEmptyTable) {
    load("SELECT region, qty FROM sales WHERE 1 = 0",
         {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}});
    EXPECT_TRUE(cube->Loaded());
    EXPECT_EQ(source->Pivot().RowCount(), 0);
}

TEST_P(Cube, CellLimitStopsTheLoadAndNoLimitIsZero) {
    cube->SetMaxCells(3);
    EXPECT_THROW(
        load("SELECT region, qty FROM sales", {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}}),
        EDecisionCubeError);
    EXPECT_FALSE(cube->Loaded());
    cube->SetMaxCells(0);
    load("SELECT region, qty FROM sales", {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}});
    EXPECT_EQ(cube->Store().CellCount(), 4);
}

TEST_P(Cube, QueryErrorLeavesTheCubeEmpty) {
    load("SELECT region, qty FROM sales", {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}});
    query->Close();
    query->SQL().Clear();
    query->SQL().Add("SELECT nothing FROM nowhere");
    EXPECT_THROW(cube->Load(), EDatabaseError);
    EXPECT_FALSE(cube->Loaded());
    EXPECT_FALSE(source->Active());
}

TEST_P(Cube, ProgressHearsTheRowsReadAndARunIsReadAgainWhole) {
    std::vector<long long> seen;
    cube->OnProgress.push_back([&](long long rows) { seen.push_back(rows); });
    load("SELECT region, qty FROM sales", {{"region", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}});
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 6);
    // Loading the open query again reads it again, not only what is left of it.
    cube->Load();
    EXPECT_EQ(cube->Store().RowCount(), 6);
    EXPECT_EQ(column(), QStringList({"East=1", "North=30", "South=5", "(null)=7"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, Cube, testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

// SQLite keeps any text in a date column; PostgreSQL refuses it.
class CubeLooseDates : public Cube {};

TEST_P(CubeLooseDates, ATextThatIsNoDateIsItsOwnValue) {
    s->exec("INSERT INTO sales VALUES ('East', 'soon', 2, 1.0)");
    s->exec("INSERT INTO sales VALUES ('East', 'x', 3, 1.0)");
    load("SELECT sold, qty FROM sales", {{"sold", TCubeRole::Dimension}, {"qty", TCubeRole::Sum}},
         TDateGrouping::Quarter);
    EXPECT_EQ(column(), QStringList({"2001 Q1=31", "2001 Q2=5", "2002 Q2=-", "2002 Q4=7", "soon=2", "x=3"}));
}

INSTANTIATE_TEST_SUITE_P(Sqlite, CubeLooseDates, testing::Values(Backend::Sqlite), testenv::ParamName);

TEST(CubeMap, LimitsAndSummariesOfNumbersOnly) {
    auto field = [](const char* name, TFieldType type, TCubeRole role) {
        TCubeField f;
        f.FieldName = name;
        f.DataType = type;
        f.Role = role;
        return f;
    };
    TCubeMap map;
    for (int i = 0; i < 6; ++i) map.push_back(field("D", TFieldType::ftString, TCubeRole::Dimension));
    map.push_back(field("N", TFieldType::ftInteger, TCubeRole::Sum));
    EXPECT_THROW(CheckCubeMap(map, 5, 10), EDecisionCubeError);
    map.erase(map.begin());
    EXPECT_NO_THROW(CheckCubeMap(map, 5, 10));
    for (int i = 0; i < 10; ++i) map.push_back(field("N", TFieldType::ftFloat, TCubeRole::Average));
    EXPECT_THROW(CheckCubeMap(map, 5, 10), EDecisionCubeError);
    map.resize(6);
    map.push_back(field("T", TFieldType::ftString, TCubeRole::Count));
    EXPECT_THROW(CheckCubeMap(map, 5, 10), EDecisionCubeError);
    map.resize(5);
    EXPECT_THROW(CheckCubeMap(map, 5, 10), EDecisionCubeError);  // no summary at all

    // Defaults: texts and dates are dimensions, numbers sums, within the limits; known
    // fields keep the user's choice.
    const std::vector<std::pair<QString, TFieldType>> fields{{"A", TFieldType::ftString},
                                                             {"B", TFieldType::ftDateTime},
                                                             {"C", TFieldType::ftInteger},
                                                             {"M", TFieldType::ftMemo}};
    TCubeMap d = DefaultCubeMap(fields, {}, 1, 10);
    EXPECT_EQ(d[0].Role, TCubeRole::Dimension);
    EXPECT_EQ(d[1].Role, TCubeRole::Unused);
    EXPECT_EQ(d[2].Role, TCubeRole::Sum);
    EXPECT_EQ(d[3].Role, TCubeRole::Unused);
    d[2].Role = TCubeRole::Average;
    d[2].DisplayName = "Mean";
    const TCubeMap again = DefaultCubeMap(fields, d, 5, 10);
    EXPECT_EQ(again[2].Role, TCubeRole::Average);
    EXPECT_EQ(again[2].Caption(), "Mean");
    EXPECT_EQ(again[1].Role, TCubeRole::Unused);
}

TEST(CubeMap, SummaryFormats) {
    EXPECT_EQ(
        FormatSummary(1234567.891, "#,##0.00"),
        QString("1") + ThousandSeparator() + "234" + ThousandSeparator() + "567" + DecimalSeparator() + "89");
    EXPECT_EQ(FormatSummary(-0.004, "0.00"), QString("0") + DecimalSeparator() + "00");
    EXPECT_EQ(FormatSummary(-12.5, "0"), "-13");
    EXPECT_EQ(FormatSummary(2.5, ""), FloatToStr(2.5));
}

TEST(CubeMap, SummariesTakeBothSeparatorsFromTheProgramsSettingsAndFloatTextWithoutAPattern) {
    SetDecimalSeparator(',');
    SetThousandSeparator(QChar(0xA0));
    EXPECT_EQ(FormatSummary(1004572.6, "#,##0.00"), QString::fromUtf8("1\u00A0004\u00A0572,60"));
    EXPECT_EQ(FormatSummary(25810.6, ""), "25810,6");
    SetDecimalSeparator('.');
    SetThousandSeparator(',');
    EXPECT_EQ(FormatSummary(1004572.6, "#,##0.00"), "1,004,572.60");
    EXPECT_EQ(FormatSummary(-1004572.6, "#,##0"), "-1,004,573");
    // A sum of numeric(12,2) values in binary floating point shows as the decimal it is.
    double sum = 0;
    for (int i = 0; i < 2581; ++i) sum += 10.0;
    for (int i = 0; i < 6; ++i) sum += 0.1;
    ASSERT_NE(sum, 25810.6);
    EXPECT_EQ(FormatSummary(sum, ""), "25810.6");
}

TEST(CubeProgress, RowsReadAreGroupedWithTheProgramsThousandSeparator) {
    TComponent owner;
    auto* cube = new TDecisionCube(&owner);
    TCubeProgressDialog progress(&owner, cube);
    for (const auto& f : cube->OnProgress) f(1234567);
    EXPECT_EQ(progress.Text(), "Rows read: 1,234,567");
    SetThousandSeparator(QChar(0xA0));
    for (const auto& f : cube->OnProgress) f(200000);
    EXPECT_EQ(progress.Text(), QString::fromUtf8("Rows read: 200\u00A0000"));
}

}  // namespace
