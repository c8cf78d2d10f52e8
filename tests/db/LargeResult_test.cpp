#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "DbTestSupport.h"
#include "db/Aliases.h"
#include "db/Driver.h"
#include "db/RowStore.h"
#include "rtl/Exception.h"

using dbtest::Backend;
using dbtest::Scratch;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace {

// Row cache blocks of a few kilobytes, at most four in memory, so a few thousand rows
// pass through the temporary file.
class LargeResult : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        before_ = RowStore::SetLimits({4096, 4 * 4096});
        s = std::make_unique<Scratch>(GetParam());
    }
    void TearDown() override {
        s.reset();
        RowStore::SetLimits(before_);
    }
    void numbers(int n) { s->numbers("T", n); }

    std::unique_ptr<Scratch> s;

  private:
    RowStore::Limits before_{};
};

TEST_P(LargeResult, EveryRowStaysReachableAfterTheWalk) {
    numbers(20000);
    TQuery* q = s->query("SELECT * FROM T ORDER BY ID");
    q->Open();
    long long sum = 0;
    for (; !q->Eof(); q->Next()) sum += q->Fields(0)->AsString().toLongLong();
    EXPECT_EQ(sum, 20000LL * 20001 / 2);
    q->First();
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "row1");
    q->SetRecNo(12345);
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "row12345");
    EXPECT_EQ(q->DisplayText(2, 1), "row3");  // a grid scrolled back to the top
    EXPECT_EQ(q->RecordCount(), 20000);
}

TEST_P(LargeResult, LiveEditsOfRowsLongReadWriteTheRowAndKeepTheRest) {
    numbers(20000);
    TQuery* q = s->query("SELECT * FROM T ORDER BY ID", true);
    q->Open();
    q->Last();
    q->SetRecNo(3);
    q->Edit();
    q->FieldByName("NAME")->SetAsString("three");
    q->Post();
    q->SetRecNo(10);
    q->Delete();
    EXPECT_EQ(s->scalar("SELECT NAME FROM T WHERE ID = 3"), "three");
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "19999");
    EXPECT_EQ(q->RecordCount(), 19999);
    EXPECT_EQ(q->DisplayText(2, 1), "three");
    EXPECT_EQ(q->DisplayText(9, 1), "row11");
    EXPECT_EQ(q->DisplayText(19998, 1), "row20000");
}

TEST_P(LargeResult, AResultOutlivingItsConnectionIsRefusedNotRead) {
    numbers(5000);
    auto conn = ConnectAlias(FindAlias("TEST"), QString(), QString());
    auto result = conn->OpenQuery("SELECT * FROM T");
    RowStore rows(2);
    result->Fetch(rows, 10);
    conn.reset();
    EXPECT_THAT([&] { result->Fetch(rows, 10); }, ThrowsMessage<EDatabaseError>(HasSubstr("closed")));
    result.reset();
    EXPECT_EQ(*rows.Value(9, 1), "row10");
}

INSTANTIATE_TEST_SUITE_P(Backends, LargeResult, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

// ---- PostgreSQL: rows read in batches through a cursor ----------------------------------

class PostgresBatches : public ::testing::Test {
  protected:
    void SetUp() override {
        s.exec("CREATE TABLE T AS SELECT g AS ID FROM generate_series(1, 50000) g");
        other.SetDatabaseName("Y");
        other.SetAliasName("TEST");
    }
    // A value as another session sees it: what is committed.
    QString committed(const QString& sql) {
        TQuery q;
        q.SetDatabaseName("Y");
        q.SQL().Add(sql);
        q.Open();
        return q.Fields(0)->AsString();
    }

    // Reads `q` to the division by zero at row 30,000, pausing a while at row 4,000 so that
    // rows read ahead wait their turn; the rows read before the error.
    static int rowsBeforeTheFailure(TQuery* q) {
        q->Open();
        int rows = 0;
        EXPECT_THAT(
            [&] {
                for (; !q->Eof(); q->Next()) {
                    if (++rows == 4000) std::this_thread::sleep_for(std::chrono::milliseconds(300));
                }
            },
            ThrowsMessage<EDatabaseError>(HasSubstr("division by zero")));
        return rows;
    }

    Scratch s{Backend::Postgres};
    TDatabase other;
};

TEST_F(PostgresBatches, WritesWhileAResultIsOpenAreCommittedAtOnce) {
    TQuery* q = s.query("SELECT * FROM T ORDER BY ID");
    q->Open();
    EXPECT_FALSE(s.db().InTransaction());
    s.exec("INSERT INTO T VALUES (0)");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
    // The open result still gives the rows of its own moment, all of them.
    EXPECT_EQ(q->RecordCount(), 50000);
    EXPECT_EQ(q->Fields(0)->AsString(), "1");
}

TEST_F(PostgresBatches, AUserTransactionStartedWhileAResultIsOpenIsTheUsersAlone) {
    TQuery* q = s.query("SELECT * FROM T ORDER BY ID");
    q->Open();
    q->MoveBy(10);
    s.db().StartTransaction();
    s.exec("DELETE FROM T");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50000");
    s.db().Rollback();
    EXPECT_FALSE(s.db().InTransaction());
    EXPECT_EQ(q->RecordCount(), 50000);
    EXPECT_EQ(q->Fields(0)->AsString(), "11");
}

TEST_F(PostgresBatches, AResultOpenedInsideAUserTransactionSeesItsWorkAndSurvivesItsEnd) {
    s.db().StartTransaction();
    s.exec("INSERT INTO T VALUES (-1)");
    TQuery* q = s.query("SELECT * FROM T ORDER BY ID");
    q->Open();
    EXPECT_EQ(q->Fields(0)->AsString(), "-1");
    s.db().Commit();
    EXPECT_EQ(q->RecordCount(), 50001);
    EXPECT_EQ(committed("SELECT MIN(ID) FROM T"), "-1");
}

TEST_F(PostgresBatches, ARowThatFailsMidWayRaisesAndLeavesNoTransactionBehind) {
    TQuery* q = s.query("SELECT 100 / (30000 - g) AS X FROM generate_series(1, 50000) g");
    q->Open();
    EXPECT_THAT([&] { q->RecordCount(); }, ThrowsMessage<EDatabaseError>(HasSubstr("division by zero")));
    EXPECT_FALSE(s.db().InTransaction());
    EXPECT_EQ(q->Fields(0)->AsString(), "0");  // the rows before the failure stay
    s.exec("INSERT INTO T VALUES (0)");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
}

TEST_F(PostgresBatches, AFailureMetWhileReadingAheadIsRaisedAgainWhereItHappened) {
    TQuery* q = s.query("SELECT 100 / (30000 - g) AS X FROM generate_series(1, 50000) g");
    q->Open();
    // Another statement needs the session: the open result reads ahead and meets the error.
    EXPECT_THROW(s.exec("INSERT INTO T VALUES (0)"), EDatabaseError);
    int rows = 0;
    EXPECT_THAT(
        [&] {
            for (; !q->Eof(); q->Next()) ++rows;
        },
        ThrowsMessage<EDatabaseError>(HasSubstr("division by zero")));
    // Rows come in batches: those of the batches before the failing one.
    EXPECT_GT(rows, 1000);
    EXPECT_LT(rows, 30000);
    s.exec("INSERT INTO T VALUES (0)");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
}

// A reader that pauses lets the next batch come back while it still reads the one
// before (batches of 100, 400, 1600, 6400 and then 25600 rows: the fourth ends at row
// 8500): the rows still come once each and in order, also when another statement
// needs the session meanwhile, and a failing batch is raised only after every row
// before it.
TEST_F(PostgresBatches, ABatchBackWhileTheOneBeforeIsReadWaitsItsTurn) {
    TQuery* q = s.query("SELECT g AS X FROM generate_series(1, 50000) g");
    q->Open();
    int expected = 1;
    for (; !q->Eof(); q->Next(), ++expected) {
        if (expected == 4000) std::this_thread::sleep_for(std::chrono::milliseconds(300));
        // Another statement needs the session: the rows waiting aside are kept too.
        if (expected == 4600) s.exec("INSERT INTO T VALUES (0)");
        ASSERT_EQ(q->Fields(0)->AsString(), QString::number(expected));
    }
    EXPECT_EQ(expected, 50001);
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
    EXPECT_FALSE(s.db().InTransaction());
    EXPECT_EQ(q->RecordCount(), 50000);
    q->SetRecNo(30000);
    EXPECT_EQ(q->Fields(0)->AsString(), "30000");
}

// Inside the user's transaction a query is read through a cursor.
TEST_F(PostgresBatches, ABatchFailingWhileTheOneBeforeIsReadIsRaisedAfterItsRows) {
    s.db().StartTransaction();
    TQuery* q = s.query("SELECT 100000 / (30000 - g) AS X FROM generate_series(1, 50000) g");
    const int rows = rowsBeforeTheFailure(q);
    EXPECT_EQ(rows, 8500);
    EXPECT_EQ(q->Fields(0)->AsString(), QString::number(100000 / (30000 - 8500)));
    // Only the query was undone; the transaction goes on.
    EXPECT_TRUE(s.db().InTransaction());
    s.exec("INSERT INTO T VALUES (0)");
    s.db().Commit();
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
}

// Outside a transaction a query is copied out: a failing row is raised after every row before
// it, also when the reader paused meanwhile, and leaves the session free.
TEST_F(PostgresBatches, ARowFailingInAStreamIsRaisedAfterEveryRowBeforeIt) {
    TQuery* q = s.query("SELECT 100000 / (30000 - g) AS X FROM generate_series(1, 50000) g");
    const int rows = rowsBeforeTheFailure(q);
    EXPECT_EQ(rows, 29999);
    EXPECT_EQ(q->Fields(0)->AsString(), QString::number(100000));
    EXPECT_FALSE(s.db().InTransaction());
    s.exec("INSERT INTO T VALUES (0)");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
}

// A long query closed before its end is stopped on the server (a sequence, which no
// rollback undoes, counts the rows it made), and the session goes on at once.
TEST_F(PostgresBatches, AQueryClosedBeforeItsEndIsStoppedOnTheServer) {
    s.exec("CREATE SEQUENCE MADE");
    TQuery* q = s.query("SELECT g AS X, nextval('made') AS N FROM generate_series(1, 2000000) g");
    q->Open();
    q->MoveBy(5000);  // past the first rows: the rest are read ahead
    EXPECT_EQ(q->Fields(0)->AsString(), "5001");
    q->Close();
    EXPECT_FALSE(s.db().InTransaction());
    s.exec("INSERT INTO T VALUES (0)");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "50001");
    EXPECT_LT(committed("SELECT last_value FROM made").toLongLong(), 2000000);
}

// Around the rows read before the rest are read ahead (100): every row once, in order,
// and the count known.
TEST_F(PostgresBatches, ResultsAroundTheFirstRowsReadGiveEveryRowOnce) {
    for (int n : {0, 1, 99, 100, 101, 500}) {
        TQuery* q = s.query(QStringLiteral("SELECT ID FROM T WHERE ID <= %1 ORDER BY ID").arg(n));
        q->Open();
        int expected = 1;
        for (; !q->Eof(); q->Next(), ++expected)
            ASSERT_EQ(q->Fields(0)->AsString(), QString::number(expected)) << n;
        EXPECT_EQ(expected - 1, n);
        EXPECT_EQ(q->RecordCount(), n);
        EXPECT_FALSE(s.db().InTransaction());
        q->Close();
    }
}

// Whatever ends the statement's text (a semicolon, blanks, a comment on its last line),
// its rows come whole.
TEST_F(PostgresBatches, AQueryEndingInASemicolonOrACommentGivesAllItsRows) {
    for (const char* sql : {"SELECT ID FROM T WHERE ID <= 500 ORDER BY ID;  \r\n",
                            "SELECT ID FROM T WHERE ID <= 500 ORDER BY ID -- ) and more",
                            "SELECT ID FROM T WHERE ID <= 500 ORDER BY ID /* ) */"}) {
        TQuery* q = s.query(QString::fromLatin1(sql));
        q->Open();
        EXPECT_EQ(q->RecordCount(), 500) << sql;
        q->Last();
        EXPECT_EQ(q->Fields(0)->AsString(), "500") << sql;
        q->Close();
    }
}

TEST_F(PostgresBatches, StatementsNoCursorHoldsStillGiveTheirRowsOnce) {
    s.db().StartTransaction();
    TQuery* show = s.query("SHOW DateStyle");
    show->Open();
    EXPECT_EQ(show->Fields(0)->AsString(), "ISO, YMD");
    TQuery* ins = s.query("INSERT INTO T VALUES (-5) RETURNING ID * 2");
    ins->Open();
    EXPECT_EQ(ins->Fields(0)->AsString(), "-10");
    // A query a cursor refuses runs as it is, once, and the transaction goes on.
    TQuery* del = s.query("WITH d AS (DELETE FROM T WHERE ID < 3 RETURNING ID) SELECT ID FROM d ORDER BY ID");
    del->Open();
    EXPECT_EQ(del->RecordCount(), 3);
    EXPECT_EQ(del->Fields(0)->AsString(), "-5");
    EXPECT_TRUE(s.db().InTransaction());
    s.db().Commit();
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T WHERE ID < 3"), "0");
    EXPECT_EQ(committed("SELECT COUNT(*) FROM T"), "49998");
    // A wrong statement is refused with the server's own words for it.
    TQuery* wrong = s.query("SELECT ID FROM T WHERE");
    EXPECT_THAT([&] { wrong->Open(); },
                ThrowsMessage<EDatabaseError>(HasSubstr("syntax error at end of input")));
}

}  // namespace
