#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QRegularExpression>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/SqliteDriver.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

// DECODE(a, b, then, else) as the Oracle statements use it.
void decode(sqlite3_context* context, int, sqlite3_value** argv) {
    const bool same = sqlite3_value_type(argv[0]) != SQLITE_NULL &&
                      QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))) ==
                          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])));
    sqlite3_result_value(context, argv[same ? 2 : 3]);
}

double number(const QString& text) {
    return QString(text).replace(DecimalSeparator(), QChar('.')).toDouble();
}

class MainWindowOracle : public wbtest::WorkbenchTest {
  protected:
    void SetUp() override {
        wb.connect();
        m->DirectCoefficient->SetText("a");
        m->CacheDirectCoefficient->SetText("b");
        m->CacheDictionaryDirectCoefficient->SetText("c");
    }

    // The three V$ views over tables of the test, and DECODE, on the program's connection.
    void oracleViews() {
        const bool pg = GetParam() == Backend::Postgres;
        if (pg) {
            wb.seed(
                "CREATE FUNCTION decode(a TEXT, b TEXT, c DOUBLE PRECISION, d DOUBLE PRECISION) "
                "RETURNS DOUBLE PRECISION AS 'SELECT CASE WHEN a = b THEN c ELSE d END' LANGUAGE sql");
        } else {
            auto& c = dynamic_cast<SqliteConnection&>(m->Database->Connection());
            ASSERT_EQ(sqlite3_create_function(c.Handle(), "DECODE", 4, SQLITE_UTF8, nullptr, decode, nullptr,
                                              nullptr),
                      SQLITE_OK);
        }
        wb.seed("CREATE TABLE sysstat (name VARCHAR(30), value DOUBLE PRECISION)");
        wb.seed(
            "INSERT INTO sysstat VALUES ('consistent gets', 900), ('db block gets', 100), "
            "('physical reads', 50), ('other', 7)");
        wb.seed("CREATE VIEW V$SYSSTAT AS SELECT * FROM sysstat");
        wb.seed("CREATE TABLE librarycache (pins DOUBLE PRECISION, reloads DOUBLE PRECISION)");
        wb.seed("INSERT INTO librarycache VALUES (300, 1), (100, 1)");
        wb.seed("CREATE VIEW V$LIBRARYCACHE AS SELECT * FROM librarycache");
        wb.seed("CREATE TABLE rowcache (getmisses DOUBLE PRECISION, count DOUBLE PRECISION)");
        wb.seed("INSERT INTO rowcache VALUES (2, 60), (3, 40)");
        wb.seed("CREATE VIEW V$ROWCACHE AS SELECT * FROM rowcache");
    }
};

TEST_P(MainWindowOracle, RefreshSendsTheThreeStatementsExactlyAndFillsTheRatios) {
    oracleViews();
    QStringList sent;
    if (GetParam() == Backend::Sqlite) {
        auto& c = dynamic_cast<SqliteConnection&>(m->Database->Connection());
        sqlite3_trace_v2(
            c.Handle(), SQLITE_TRACE_STMT,
            [](unsigned, void* list, void*, void* sql) {
                static_cast<QStringList*>(list)->append(QString::fromUtf8(static_cast<const char*>(sql)));
                return 0;
            },
            &sent);
    }
    QTest::mouseClick(m->BitBtn1->Widget(), Qt::LeftButton);
    ASSERT_TRUE(testenv::Dialogs().boxes.empty()) << testenv::Dialogs().boxTexts().join("|").toStdString();
    EXPECT_NEAR(number(m->DirectCoefficient->Text()), 950.0 / 10900.0, 1e-9);
    EXPECT_NEAR(number(m->CacheDirectCoefficient->Text()), 400.0 / 600.0, 1e-9);
    EXPECT_NEAR(number(m->CacheDictionaryDirectCoefficient->Text()), 95.0, 1e-9);
    // The last result stays open.
    ASSERT_TRUE(m->MainQuery->Active());
    EXPECT_EQ(m->MainQuery->Fields(0)->AsString(), m->CacheDictionaryDirectCoefficient->Text());
    const QStringList expected{
        " SELECT(SUM(DECODE(NAME,'consistent gets',VALUE,0))+SUM(DECODE(NAME,'db block gets',VALUE,0))"
        "-SUM(DECODE(NAME,'physical reads',VALUE,0)))/(SUM(DECODE(NAME,'consistent gets',VALUE,0))"
        "+(SUM(DECODE(NAME,'db block gets',VALUE,0)))*100) \"Hit Ratio\"FROM V$SYSSTAT",
        "SELECT SUM(PINS) / (SUM( PINS) + SUM(RELOADS)*100) FROM V$LIBRARYCACHE",
        "SELECT (1 - (SUM(GETMISSES)/SUM(COUNT)))*100 FROM V$ROWCACHE"};
    EXPECT_EQ(expected[0].size(), 257);
    EXPECT_EQ(m->MainQuery->SQL().Text().trimmed(), expected[2]);
    if (GetParam() == Backend::Sqlite) {
        // Each goes as the one line of the query's text, ended by the line break every line has.
        QStringList statements;
        for (const QString& s : sent) statements << QString(s).remove(QRegularExpression("\\r\\n$"));
        EXPECT_EQ(statements, expected);
    }
    // The statement's own column name comes back, so the alias went with it.
    EXPECT_EQ(m->QueryScalar(expected[0]), m->DirectCoefficient->Text());
    EXPECT_EQ(m->MainQuery->Fields(0)->FieldName(), "Hit Ratio");
}

TEST_P(MainWindowOracle, WithoutTheViewsTheFirstErrorShowsAndTheEditsKeepTheirText) {
    QTest::mouseClick(m->BitBtn1->Widget(), Qt::LeftButton);
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(m->DirectCoefficient->Text(), "a");
    EXPECT_EQ(m->CacheDirectCoefficient->Text(), "b");
    EXPECT_EQ(m->CacheDictionaryDirectCoefficient->Text(), "c");
}

INSTANTIATE_TEST_SUITE_P(Backends, MainWindowOracle, testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
