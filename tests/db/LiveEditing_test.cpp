// The live query on tables whose columns have no equality of their own, on names beyond
// ASCII, and the reason a result stays read-only: on both backends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "rtl/Exception.h"

using dbtest::Backend;
using dbtest::Scratch;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace {

class LiveEditing : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override { s = std::make_unique<Scratch>(GetParam()); }
    void TearDown() override { s.reset(); }
    bool pg() const { return GetParam() == Backend::Postgres; }

    std::unique_ptr<Scratch> s;
};

TEST_P(LiveEditing, ColumnsWithoutEqualityAreEditedAndDeletedWithOrWithoutAKey) {
    for (const QString key : {"", " PRIMARY KEY"}) {
        s->exec("DROP TABLE IF EXISTS J");
        s->exec("CREATE TABLE J (ID INTEGER" + key + ", DOC JSON, X XML, P POINT)");
        s->exec("INSERT INTO J VALUES (1, '{\"a\": 1}', '<a>1</a>', '(1,2)')");
        s->exec("INSERT INTO J VALUES (2, '[2]', '<b/>', '(3.5,4)')");
        s->exec("INSERT INTO J VALUES (3, NULL, NULL, NULL)");
        TQuery* q = s->query("SELECT * FROM J ORDER BY ID", true);
        q->Open();
        ASSERT_TRUE(q->CanModify());
        q->Edit();
        q->FieldByName("DOC")->SetAsString("{\"b\": [1, 2]}");
        q->FieldByName("P")->SetAsString("(5,6)");
        q->Post();
        q->Next();
        q->Delete();
        q->Edit();  // the row of NULLs
        q->FieldByName("X")->SetAsString("<c/>");
        q->Post();
        EXPECT_EQ(s->scalar("SELECT CAST(DOC AS TEXT) || ' ' || CAST(P AS TEXT) FROM J WHERE ID = 1"),
                  "{\"b\": [1, 2]} (5,6)");
        EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM J"), "2");
        EXPECT_EQ(s->scalar("SELECT CAST(X AS TEXT) FROM J WHERE ID = 3"), "<c/>");
        q->Close();
    }
}

TEST_P(LiveEditing, AKeyFindsItsRowWhateverElseChanged) {
    s->exec("CREATE TABLE K (ID INTEGER NOT NULL, CODE INTEGER NOT NULL, NAME VARCHAR(10))");
    s->exec("CREATE UNIQUE INDEX K_CODE ON K (CODE)");
    s->exec("INSERT INTO K VALUES (1, 10, 'one')");
    TQuery* q = s->query("SELECT * FROM K", true);
    q->Open();
    s->exec("UPDATE K SET NAME = 'other', ID = 2");
    q->Edit();
    q->FieldByName("NAME")->SetAsString("mine");
    q->Post();
    EXPECT_EQ(s->scalar("SELECT NAME FROM K WHERE CODE = 10"), "mine");
}

TEST_P(LiveEditing, NamesBeyondAsciiAreEditable) {
    s->exec(QString::fromUtf8("CREATE TABLE zamówienia (id INTEGER, ilość INTEGER, opis VARCHAR(20))"));
    s->exec(QString::fromUtf8("INSERT INTO zamówienia VALUES (1, 5, 'żółw')"));
    s->exec(QString::fromUtf8("CREATE TABLE \"Łódź\" (\"Ilość\" INTEGER)"));
    s->exec(QString::fromUtf8("INSERT INTO \"Łódź\" VALUES (7)"));
    TQuery* q = s->query(QString::fromUtf8("SELECT * FROM zamówienia WHERE ilość > 0 ORDER BY id"), true);
    q->Open();
    ASSERT_TRUE(q->CanModify()) << q->ReadOnlyReason().toStdString();
    q->Edit();
    q->FieldByName(QString::fromUtf8("ilość"))->SetAsString("6");
    q->Post();
    q->Append();
    q->FieldByName("id")->SetAsString("2");
    q->FieldByName(QString::fromUtf8("ilość"))->SetAsString("1");
    q->FieldByName("opis")->SetAsString(QString::fromUtf8("źdźbło"));
    q->Post();
    q->First();
    q->Delete();
    EXPECT_EQ(s->scalar(QString::fromUtf8("SELECT id || ':' || ilość || ':' || opis FROM zamówienia")),
              QString::fromUtf8("2:1:źdźbło"));
    TQuery* quoted = s->query(QString::fromUtf8("SELECT * FROM \"Łódź\""), true);
    quoted->Open();
    ASSERT_TRUE(quoted->CanModify());
    quoted->Edit();
    quoted->Fields(0)->SetAsString("8");
    quoted->Post();
    EXPECT_EQ(s->scalar(QString::fromUtf8("SELECT \"Ilość\" FROM \"Łódź\"")), "8");
}

TEST_P(LiveEditing, AResultThatCannotBeWrittenBackSaysWhy) {
    s->numbers("T", 1);
    struct Case {
        const char* sql;
        const char* why;
    };
    for (const Case c : {Case{"SELECT * FROM T x", "the table name T x cannot be written back safely"},
                         Case{"SELECT * FROM T, T u WHERE 1 = 1", "the table name T, T u cannot"},
                         Case{"SELECT ID FROM T", "only SELECT * FROM one table"}}) {
        TQuery* q = s->query(c.sql, true);
        q->Open();
        EXPECT_FALSE(q->CanModify());
        EXPECT_THAT(q->ReadOnlyReason().toStdString(), HasSubstr(c.why)) << c.sql;
        EXPECT_THAT([&] { q->Edit(); }, ThrowsMessage<EDatabaseError>(HasSubstr(c.why)));
        EXPECT_THAT([&] { q->Delete(); }, ThrowsMessage<EDatabaseError>(HasSubstr(c.why)));
    }
    TQuery* live = s->query("SELECT * FROM T", true);
    live->Open();
    EXPECT_EQ(live->ReadOnlyReason(), "");
}

INSTANTIATE_TEST_SUITE_P(Backends, LiveEditing, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace

namespace {

// The server ends the session (as a restart does) between an edit and its post.
class PostgresLostSession : public ::testing::Test {
  protected:
    void SetUp() override {
        s.numbers("T", 3);
        q = s.query("SELECT * FROM T ORDER BY ID", true);
        q->Open();
    }
    void loseSession() {
        s.admin("SELECT pg_terminate_backend(" + s.scalar("SELECT pg_backend_pid()") + ")");
    }

    Scratch s{Backend::Postgres};
    TQuery* q = nullptr;
};

TEST_F(PostgresLostSession, ThePendingRowIsKeptSaidUnsavedAndPostedAgainOnANewSession) {
    q->Edit();
    q->FieldByName("NAME")->SetAsString("pending");
    loseSession();
    try {
        q->Post();
        ADD_FAILURE() << "posted on a lost session";
    } catch (const EDatabaseError& e) {
        const QStringList lines = e.Message().split('\n');
        EXPECT_THAT(e.Message().toStdString(), HasSubstr("connection to the database server was lost"));
        EXPECT_EQ(lines.last(),
                  "The row was not saved: it stays as edited, and posting it again writes it on a new "
                  "connection.");
        EXPECT_EQ(e.Message().count("server closed the connection"), 1) << e.Message().toStdString();
    }
    EXPECT_EQ(q->State(), TDataSetState::dsEdit);
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "pending");
    q->Post();
    EXPECT_EQ(s.scalar("SELECT NAME FROM T WHERE ID = 1"), "pending");
}

TEST_F(PostgresLostSession, AnotherActionReconnectsAndTheEditStaysToBePosted) {
    q->Last();
    q->Edit();
    q->FieldByName("NAME")->SetAsString("kept");
    loseSession();
    EXPECT_THROW(s.scalar("SELECT 1"), EDatabaseError);
    EXPECT_EQ(s.scalar("SELECT 2"), "2");  // a new session
    ASSERT_TRUE(q->Active());
    EXPECT_EQ(q->State(), TDataSetState::dsEdit);
    q->Post();
    EXPECT_EQ(s.scalar("SELECT NAME FROM T WHERE ID = 3"), "kept");
    // Rows read to their end stay editable after the next loss too.
    loseSession();
    q->First();
    EXPECT_THAT([&] { q->Delete(); }, ThrowsMessage<EDatabaseError>(HasSubstr("The row was not deleted.")));
    q->Delete();
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "2");
    EXPECT_EQ(q->RecordCount(), 2);
}

}  // namespace
