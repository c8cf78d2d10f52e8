// Long SQLite results are read ahead on a thread of their own after their first rows;
// every other statement on the session first stops that reading. The rows must come
// once each and in order whatever runs in between, and errors after the rows before them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "DbTestSupport.h"
#include "db/Aliases.h"
#include "db/Driver.h"
#include "db/RowStore.h"
#include "db/SqliteDriver.h"
#include "rtl/Exception.h"

using dbtest::Backend;
using dbtest::Scratch;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace {

TEST(SqliteReadAhead, StatementsBetweenReadsStopTheReaderAndTheRowsGoOnInOrder) {
    Scratch s(Backend::Sqlite);
    // More rows than are read ahead, so that the reader is at work when statements come.
    s.numbers("T", 200000);
    s.exec("CREATE TABLE LOG (N INTEGER)");
    TQuery* q = s.query("SELECT ID, NAME FROM T ORDER BY ID");
    q->Open();
    int expected = 1;
    for (; !q->Eof(); q->Next(), ++expected) {
        ASSERT_EQ(q->Fields(0)->AsString(), QString::number(expected));
        // Writes, reads of their own and a transaction between the rows of the walk.
        if (expected % 1001 == 0) s.exec(QStringLiteral("INSERT INTO LOG VALUES (%1)").arg(expected));
        if (expected % 9001 == 0) {
            EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM LOG"), QString::number(expected / 1001));
        }
        if (expected == 30000) {
            s.db().StartTransaction();
            s.exec("UPDATE LOG SET N = -N");
            s.db().Rollback();
        }
    }
    EXPECT_EQ(expected, 200001);
    EXPECT_EQ(q->RecordCount(), 200000);
    q->SetRecNo(145678);
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "row145678");
    const long long logged = 200000 / 1001;
    EXPECT_EQ(s.scalar("SELECT SUM(N) FROM LOG"), QString::number(1001 * logged * (logged + 1) / 2));
}

// The session serves one thread at a time: no statement starts while the reader is
// inside a row (SLOW takes a few microseconds for each), however often statements come.
TEST(SqliteReadAhead, NoStatementStartsWhileTheReaderIsInsideARow) {
    Scratch s(Backend::Sqlite);
    s.numbers("T", 15000);
    auto conn = ConnectAlias(FindAlias("TEST"), QString(), QString());
    sqlite3* db = dynamic_cast<SqliteConnection&>(*conn).Handle();
    struct Watch {
        std::atomic<int> inside{0};
        std::atomic<int> overlaps{0};
    } watch;
    ASSERT_EQ(sqlite3_create_function(
                  db, "SLOW", 1, SQLITE_UTF8, &watch,
                  [](sqlite3_context* context, int, sqlite3_value** values) {
                      auto* w = static_cast<Watch*>(sqlite3_user_data(context));
                      ++w->inside;
                      const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(5);
                      while (std::chrono::steady_clock::now() < until) {
                      }
                      --w->inside;
                      sqlite3_result_value(context, values[0]);
                  },
                  nullptr, nullptr),
              SQLITE_OK);
    sqlite3_trace_v2(
        db, SQLITE_TRACE_STMT,
        [](unsigned, void* w, void*, void*) {
            if (static_cast<Watch*>(w)->inside > 0) ++static_cast<Watch*>(w)->overlaps;
            return 0;
        },
        &watch);
    auto result = conn->OpenQuery("SELECT SLOW(ID) FROM T");
    RowStore rows(1);
    while (result->Fetch(rows, 500)) conn->Execute("UPDATE T SET NAME = NAME WHERE ID = 1");
    EXPECT_EQ(rows.Count(), 15000);
    EXPECT_EQ(watch.overlaps, 0);
    result.reset();
    sqlite3_trace_v2(db, 0, nullptr, nullptr);
}

TEST(SqliteReadAhead, ABadRowFarIntoTheResultComesAfterEveryRowBeforeItAndAgainWhenAskedAgain) {
    Scratch s(Backend::Sqlite);
    s.numbers("T", 20000);
    s.exec("UPDATE T SET NAME = CAST(x'61ff' AS TEXT) WHERE ID = 15000");  // not UTF-8
    auto conn = ConnectAlias(FindAlias("TEST"), QString(), QString());
    auto result = conn->OpenQuery("SELECT ID, NAME FROM T ORDER BY ID");
    RowStore rows(2);
    EXPECT_THAT(
        [&] {
            while (result->Fetch(rows, 1000)) {
            }
        },
        ThrowsMessage<EDatabaseError>(HasSubstr("row 15000")));
    ASSERT_EQ(rows.Count(), 14999);
    for (int r = 0; r < rows.Count(); r += 997) EXPECT_EQ(*rows.Value(r, 0), std::to_string(r + 1));
    EXPECT_THAT([&] { result->Fetch(rows, 10); }, ThrowsMessage<EDatabaseError>(HasSubstr("UTF-8")));
    EXPECT_EQ(rows.Count(), 14999);
}

TEST(SqliteReadAhead, AResultClosedWhileReadingAheadLeavesTheSessionUsable) {
    Scratch s(Backend::Sqlite);
    s.numbers("T", 50000);
    auto conn = ConnectAlias(FindAlias("TEST"), QString(), QString());
    for (int k = 0; k < 20; ++k) {
        auto result = conn->OpenQuery("SELECT ID, NAME FROM T");
        RowStore rows(2);
        for (int i = 0; i < 3 + k; ++i) result->Fetch(rows, 1000);
        result.reset();
        EXPECT_EQ(conn->Execute(QStringLiteral("UPDATE T SET NAME = 'k%1' WHERE ID = %1").arg(k + 1)), 1);
    }
    conn.reset();
    EXPECT_EQ(s.scalar("SELECT NAME FROM T WHERE ID = 20"), "k20");
}

}  // namespace
