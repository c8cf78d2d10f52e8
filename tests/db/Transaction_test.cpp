// A refused statement inside the user's transaction undoes only itself, on both
// backends: the earlier work is committed and seen from a second connection.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QSet>

#include "DbTestSupport.h"
#include "db/Catalog.h"
#include "db/PostgresDriver.h"
#include "rtl/Exception.h"

using dbtest::Backend;
using dbtest::Scratch;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::ThrowsMessage;

namespace {

class Transaction : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        s = std::make_unique<Scratch>(GetParam());
        s->exec("CREATE TABLE T (ID INTEGER, QTY INTEGER CHECK (QTY >= 0))");
    }
    void TearDown() override {
        PostgresConnection::SetStatementSavepoints(true);
        second.reset();
        s.reset();
    }
    bool pg() const { return GetParam() == Backend::Postgres; }

    // The rows of T as a second session sees them: only what was committed.
    QString committed() {
        if (!second) {
            second = std::make_unique<TDatabase>();
            second->SetDatabaseName("SECOND");
            second->SetAliasName("TEST");
        }
        TQuery q;
        q.SetDatabaseName("SECOND");
        q.SQL().Add("SELECT ID, QTY FROM T ORDER BY ID");
        q.Open();
        QStringList rows;
        for (; !q.Eof(); q.Next()) rows << q.Fields(0)->AsString() + "=" + q.Fields(1)->AsString();
        return rows.join(' ');
    }
    void refused(const std::function<void()>& action) {
        EXPECT_THROW(action(), EDatabaseError);
        EXPECT_TRUE(s->db().InTransaction());
    }

    std::unique_ptr<Scratch> s;
    std::unique_ptr<TDatabase> second;
};

TEST_P(Transaction, RefusedStatementsKeepEarlierWork) {
    s->db().StartTransaction();
    s->exec("INSERT INTO T VALUES (1, 5)");
    refused([&] { s->exec("INSERT INTO T VALUES (2, -1)"); });  // the CHECK
    refused([&] { s->exec("INSERT INTO NO_SUCH_TABLE VALUES (1)"); });
    refused([&] { s->exec("INSERT INTO T VALUES (2, 2, 2)"); });
    s->exec("INSERT INTO T VALUES (3, 7)");
    EXPECT_EQ(committed(), "");
    s->db().Commit();
    EXPECT_FALSE(s->db().InTransaction());
    EXPECT_EQ(committed(), "1=5 3=7");
}

TEST_P(Transaction, QueriesThatFailKeepEarlierWork) {
    // The big query's road: every statement is opened, one without rows answers
    // "Error creating cursor handle".
    s->db().StartTransaction();
    TQuery* q = s->query("UPDATE T SET QTY = 1");
    s->exec("INSERT INTO T VALUES (1, 0)");
    EXPECT_THAT([&] { q->Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("cursor handle")));
    for (const char* bad :
         {"SELEC * FROM T", "SELECT * FROM NO_SUCH_TABLE", "SELECT abs(-9223372036854775807 - 1) FROM T",
          "UPDATE T SET QTY = -5", "INSERT INTO T VALUES (9, -9) RETURNING *"}) {
        q->SQL().SetText(bad);
        refused([&] { q->Open(); });
    }
    // A query that fails after its first rows, while they are read.
    s->exec("INSERT INTO T SELECT X, 1 FROM (" + s->series(3000) + ") s WHERE X > 1");
    q->SQL().SetText(
        "SELECT ID, abs(CASE WHEN ID = 2500 THEN -9223372036854775807 - 1 ELSE ID END) FROM T ORDER BY ID");
    refused([&] {
        q->Open();
        q->Last();
    });
    q->Close();
    s->exec("DELETE FROM T WHERE ID > 2");
    s->db().Commit();
    EXPECT_EQ(committed(), "1=1 2=1");
}

TEST_P(Transaction, RefusedLiveEditKeepsTheAcceptedOne) {
    s->exec("INSERT INTO T VALUES (1, 1)");
    s->exec("INSERT INTO T VALUES (2, 2)");
    TQuery* q = s->query("SELECT * FROM T ORDER BY ID", true);
    q->Open();
    s->db().StartTransaction();
    q->Edit();
    q->FieldByName("QTY")->SetAsString("10");
    q->Post();
    q->Next();
    q->Edit();
    q->FieldByName("QTY")->SetAsString("-1");
    refused([&] { q->Post(); });
    q->Cancel();
    q->Append();
    q->FieldByName("ID")->SetAsString("3");
    q->FieldByName("QTY")->SetAsString("-3");
    refused([&] { q->Post(); });
    q->FieldByName("QTY")->SetAsString("3");
    q->Post();
    s->db().Commit();
    EXPECT_EQ(committed(), "1=10 2=2 3=3");
}

TEST_P(Transaction, CatalogueReadsOfMissingTablesKeepEarlierWork) {
    s->db().StartTransaction();
    s->exec("INSERT INTO T VALUES (1, 1)");
    TTableItems cols;
    cols.SetDatabaseName("X");
    for (const char* name : {"NO_SUCH_TABLE", "t where 1 = 1", "a.b.c.d"}) {
        cols.Close();
        cols.SetTableName(name);
        refused([&] { cols.Open(); });
    }
    cols.Close();
    cols.SetTableName(pg() ? "t" : "T");
    cols.Open();
    EXPECT_EQ(cols.RecordCount(), 2);
    s->db().Commit();
    EXPECT_EQ(committed(), "1=1");
}

TEST_P(Transaction, StatementsOfTheirOwnTransactionControlRunAsTheyAre) {
    // Savepoints the user sets are the user's: the driver's own do not disturb them.
    s->db().StartTransaction();
    s->exec("INSERT INTO T VALUES (1, 1)");
    s->exec("SAVEPOINT mine");
    s->exec("INSERT INTO T VALUES (2, 2)");
    s->exec("ROLLBACK TO SAVEPOINT mine");
    s->exec("INSERT INTO T VALUES (3, 3)");
    s->exec("RELEASE SAVEPOINT mine");
    s->exec("COMMIT");
    EXPECT_FALSE(s->db().InTransaction());
    EXPECT_EQ(committed(), "1=1 3=3");
    // Outside a transaction every statement commits at once.
    s->exec("INSERT INTO T VALUES (4, 4)");
    EXPECT_EQ(committed(), "1=1 3=3 4=4");
}

INSTANTIATE_TEST_SUITE_P(Backends, Transaction, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

// A transaction that failed all the same (a statement of the user's own transaction
// control refused) is rolled back by the server at COMMIT: that is an error, never a
// success, whichever road the COMMIT takes.
TEST(PostgresTransaction, CommitAnsweredWithRollbackIsAnError) {
    Scratch s(Backend::Postgres);
    s.exec("CREATE TABLE T (ID INTEGER)");
    int ended = 0;
    s.db().OnTransactionEnd = [&](TDatabase*) { ++ended; };
    for (int road = 0; road < 3; ++road) {
        s.db().StartTransaction();
        s.exec("INSERT INTO T VALUES (1)");
        EXPECT_THROW(s.exec("RELEASE SAVEPOINT no_such_savepoint"), EDatabaseError);
        const auto commit = [&] {
            if (road == 0) s.db().Commit();
            if (road == 1) s.exec("COMMIT");
            if (road == 2) s.query("END")->Open();
        };
        EXPECT_THAT(commit, ThrowsMessage<EDatabaseError>(::testing::StrEq(
                                "The transaction was rolled back by the server: nothing was committed")));
        EXPECT_FALSE(s.db().InTransaction());
        EXPECT_EQ(ended, road + 1);
    }
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "0");
}

TEST(PostgresTransaction, ServerLostDuringATransactionSaysSoAndTheNextActionReconnects) {
    Scratch s(Backend::Postgres);
    s.exec("CREATE TABLE T (ID INTEGER)");
    int ended = 0;
    s.db().OnTransactionEnd = [&](TDatabase*) { ++ended; };
    s.db().StartTransaction();
    s.exec("INSERT INTO T VALUES (1)");
    s.admin("SELECT pg_terminate_backend(" + s.scalar("SELECT pg_backend_pid()") + ")");
    try {
        s.exec("INSERT INTO T VALUES (2)");
        ADD_FAILURE() << "a statement on a lost session succeeded";
    } catch (const EDatabaseError& e) {
        const QString m = e.Message();
        EXPECT_THAT(m.toStdString(),
                    HasSubstr("lost during a transaction: nothing of the transaction was committed"));
        // Each line of the library's own message once.
        const QStringList lines = m.split('\n');
        EXPECT_EQ(QSet<QString>(lines.begin(), lines.end()).size(), lines.size()) << m.toStdString();
    }
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(s.db().InTransaction());
    EXPECT_FALSE(s.db().Connected());
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "0");
    EXPECT_TRUE(s.db().Connected());
    // Lost outside a transaction: said plainly, without the transaction's words.
    s.admin("SELECT pg_terminate_backend(" + s.scalar("SELECT pg_backend_pid()") + ")");
    EXPECT_THAT([&] { s.exec("INSERT INTO T VALUES (3)"); },
                ThrowsMessage<EDatabaseError>(::testing::AllOf(
                    HasSubstr("connection to the database server was lost"), Not(HasSubstr("transaction")))));
    EXPECT_EQ(ended, 1);
}

}  // namespace
