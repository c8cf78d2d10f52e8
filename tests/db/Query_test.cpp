#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "db/Catalog.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

using dbtest::Backend;
using dbtest::Scratch;
using ::testing::HasSubstr;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

namespace {

class Contract : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override { s = std::make_unique<Scratch>(GetParam()); }
    void TearDown() override { s.reset(); }
    bool pg() const { return GetParam() == Backend::Postgres; }
    void numbers(const QString& table, int n) { s->numbers(table, n); }

    std::unique_ptr<Scratch> s;
};

struct Recorder : TDataSetObserver {
    std::vector<TDataEvent> events;
    void DataSetEvent(TDataSet*, TDataEvent e, int) override { events.push_back(e); }
};

TEST_P(Contract, WalksRowsInOrderWithRecordNumbersAndEnds) {
    numbers("T", 3);
    TQuery* q = s->query("SELECT ID, NAME FROM T ORDER BY ID");
    q->Open();
    EXPECT_TRUE(q->Active());
    EXPECT_TRUE(q->Bof());
    QStringList seen;
    for (q->First(); !q->Eof(); q->Next())
        seen << QString::number(q->RecNo()) + ":" + q->FieldByName("name")->AsString();
    EXPECT_EQ(seen, QStringList({"1:row1", "2:row2", "3:row3"}));
    EXPECT_EQ(q->RecNo(), 3);  // Next at the last row does not move
    q->Prior();
    EXPECT_EQ(q->Fields(0)->AsString(), "2");
    q->Last();
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(q->RecordCount(), 3);
    EXPECT_EQ(q->MoveBy(-5), -2);
    EXPECT_TRUE(q->Bof());
    q->SetRecNo(2);
    EXPECT_EQ(q->FieldByName("ID")->AsString(), "2");
    const auto mark = q->GetBookmark();
    q->Last();
    q->GotoBookmark(mark);
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "row2");
    EXPECT_EQ(q->RecNo(), 2);
}

TEST_P(Contract, FieldsByNameIgnoreCaseAndMissingNamesRaise) {
    numbers("T", 1);
    TQuery* q = s->query("SELECT ID, NAME, ID AS id2 FROM T");
    q->Open();
    EXPECT_EQ(q->FieldCount(), 3);
    EXPECT_EQ(q->FieldByName("Name"), q->Fields(1));
    EXPECT_EQ(q->FindField("nothing"), nullptr);
    EXPECT_THAT([&] { q->FieldByName("NOPE"); },
                ThrowsMessage<EDatabaseError>(StrEq("Field 'NOPE' not found")));
    EXPECT_EQ(q->Fields(1)->DisplayLabel(), q->Fields(1)->FieldName());
}

TEST_P(Contract, StatementWithoutRowsRunsAndAnswersNoCursor) {
    numbers("T", 2);
    TQuery* q = s->query("UPDATE T SET NAME = 'x'");
    EXPECT_THAT([&] { q->Open(); }, ThrowsMessage<EDatabaseError>(StrEq("Error creating cursor handle")));
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T WHERE NAME = 'x'"), "2");
    // A second statement in one text is refused, not run.
    EXPECT_THROW(s->exec("DELETE FROM T; DROP TABLE T"), EDatabaseError);
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "2");
}

// The backend's own code of an error, or "<none>" when nothing was raised.
QString codeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.NativeCode();
    }
    return QStringLiteral("<none>");
}

TEST_P(Contract, ErrorsCarryTheBackendMessageAndCodeAndTheSessionGoesOn) {
    TQuery* q = s->query("SELEC nonsense FROM");
    EXPECT_THAT([&] { q->Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("syntax error")));
    EXPECT_EQ(codeOf([&] { q->Open(); }), pg() ? "42601" : "1");  // SQLITE_ERROR
    EXPECT_THAT([&] { s->exec("SELECT * FROM no_such_table"); },
                ThrowsMessage<EDatabaseError>(HasSubstr("no_such_table")));
    s->exec("CREATE TABLE U (A INTEGER PRIMARY KEY)");
    s->exec("INSERT INTO U VALUES (1)");
    EXPECT_EQ(codeOf([&] { s->exec("INSERT INTO U VALUES (1)"); }),
              pg() ? "23505" : "1555");                   // SQLITE_CONSTRAINT_PRIMARYKEY
    EXPECT_EQ(codeOf([&] { q->FieldByName("A"); }), "");  // the layer's own errors have none
    EXPECT_EQ(s->scalar("SELECT 1 + 1"), "2");
}

TEST_P(Contract, ClosedDatasetRefusesNavigationAndNewSqlClosesIt) {
    TQuery* q = s->query("SELECT 1");
    EXPECT_THAT([&] { q->First(); },
                ThrowsMessage<EDatabaseError>(StrEq("Cannot perform this operation on a closed dataset")));
    EXPECT_THAT([&] { q->RecordCount(); },
                ThrowsMessage<EDatabaseError>(StrEq("Cannot perform this operation on a closed dataset")));
    EXPECT_EQ(q->RecNo(), 0);
    // Changing the text of an open query closes it and tells its controls.
    q->Open();
    Recorder r;
    q->AddObserver(&r);
    q->SQL().Clear();
    EXPECT_FALSE(q->Active());
    ASSERT_FALSE(r.events.empty());
    EXPECT_EQ(r.events.back(), TDataEvent::Closed);
    q->RemoveObserver(&r);
}

TEST_P(Contract, RowsAreFetchedLazilyAndCountingFetchesTheRest) {
    numbers("T", 5000);
    TQuery* q = s->query("SELECT * FROM T ORDER BY ID");
    q->Open();
    EXPECT_LT(q->FetchedCount(), 5000);
    EXPECT_FALSE(q->AllFetched());
    EXPECT_EQ(q->DisplayText(0, 1), "row1");
    EXPECT_EQ(q->RecordCount(), 5000);
    EXPECT_TRUE(q->AllFetched());
    EXPECT_EQ(q->DisplayText(4999, 0), "5000");
    EXPECT_EQ(q->RecNo(), 1);  // counting does not move the cursor
}

TEST_P(Contract, SeveralOpenQueriesAndWritesInterleave) {
    numbers("A", 3000);
    numbers("B", 3000);
    TQuery* a = s->query("SELECT ID FROM A ORDER BY ID");
    TQuery* b = s->query("SELECT ID FROM B ORDER BY ID DESC");
    a->Open();
    b->Open();
    s->exec("INSERT INTO A VALUES (9999, 'late')");
    long long sumA = 0, sumB = 0;
    int n = 0;
    while (!a->Eof() || !b->Eof()) {
        if (!a->Eof()) {
            sumA += a->Fields(0)->AsString().toLongLong();
            a->Next();
        }
        if (!b->Eof()) {
            sumB += b->Fields(0)->AsString().toLongLong();
            b->Next();
        }
        ++n;
    }
    // The insert came after A's result was opened: A sees the rows as they were.
    EXPECT_EQ(sumA, 3000LL * 3001 / 2);
    EXPECT_EQ(sumB, 3000LL * 3001 / 2);
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM A"), "3001");
}

TEST_P(Contract, DisabledControlsHearNothingThenOneRefresh) {
    numbers("T", 10);
    TQuery* q = s->query("SELECT * FROM T");
    q->Open();
    Recorder r;
    q->AddObserver(&r);
    q->DisableControls();
    q->DisableControls();
    for (q->First(); !q->Eof(); q->Next()) {
    }
    q->EnableControls();
    EXPECT_TRUE(r.events.empty());
    q->EnableControls();
    ASSERT_EQ(r.events.size(), 1u);
    EXPECT_EQ(r.events[0], TDataEvent::Refreshed);
    q->Next();
    EXPECT_FALSE(q->ControlsDisabled());
    q->RemoveObserver(&r);
}

TEST_P(Contract, EmptyResultHasFieldsAndNoRecord) {
    numbers("T", 0);
    TQuery* q = s->query("SELECT * FROM T");
    q->Open();
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_TRUE(q->Eof());
    EXPECT_TRUE(q->Bof());
    EXPECT_EQ(q->RecNo(), 0);
    EXPECT_EQ(q->FieldCount(), 2);
    EXPECT_TRUE(q->Fields(0)->IsNull());
    EXPECT_EQ(q->Fields(0)->AsString(), "");
    // Its bookmark leads nowhere, without error.
    const auto mark = q->GetBookmark();
    q->DisableControls();
    int n = 0;
    for (q->First(); !q->Eof(); q->Next()) ++n;
    EXPECT_NO_THROW(q->GotoBookmark(mark));
    q->EnableControls();
    EXPECT_EQ(n, 0);
    EXPECT_EQ(q->RecNo(), 0);
}

TEST_P(Contract, ValuesAsTextFollowTheRegionalSettings) {
    s->exec(pg() ? "CREATE TABLE V (i INTEGER, s SMALLINT, b BIGINT, f DOUBLE PRECISION, n NUMERIC(10,2), "
                   "c VARCHAR(20), m TEXT, ok BOOLEAN, d DATE, ts TIMESTAMP, bin BYTEA)"
                 : "CREATE TABLE V (i INTEGER, s SMALLINT, b BIGINT, f DOUBLE PRECISION, n NUMERIC(10,2), "
                   "c VARCHAR(20), m TEXT, ok BOOLEAN, d DATE, ts TIMESTAMP, bin BLOB)");
    s->exec(
        pg() ? "INSERT INTO V VALUES (-7, 3, 9000000000, 2.5, 12.25, 'Zażółć', 'long', true, '2024-02-29', "
               "'2024-02-29 13:45:10', '\\x00ff41')"
             : "INSERT INTO V VALUES (-7, 3, 9000000000, 2.5, 12.25, 'Zażółć', 'long', 1, '2024-02-29', "
               "'2024-02-29 13:45:10', x'00ff41')");
    s->exec("INSERT INTO V (i, f, ts, ok) VALUES (1, 0.1, '2024-03-01 00:00:00.000', false)");
    s->exec("INSERT INTO V (i, ts) VALUES (2, '2024-03-02 00:00:00.5')");
    TQuery* q = s->query("SELECT * FROM V ORDER BY i");
    q->Open();
    auto text = [&](const char* name) { return q->FieldByName(name)->AsString(); };

    q->First();
    EXPECT_EQ(text("i"), "-7");
    EXPECT_EQ(text("s"), "3");
    EXPECT_EQ(text("b"), "9000000000");
    EXPECT_EQ(text("f"), "2.5");
    EXPECT_EQ(text("n"), "12.25");
    EXPECT_EQ(text("c"), QString::fromUtf8("Zażółć"));
    EXPECT_EQ(text("m"), "long");
    EXPECT_EQ(text("ok"), "True");
    EXPECT_EQ(text("d"), "2024-02-29");
    EXPECT_EQ(text("ts"), "2024-02-29 13:45:10");
    EXPECT_EQ(q->FieldByName("bin")->Value().toByteArray(), QByteArray("\x00\xff"
                                                                       "A",
                                                                       3));
    EXPECT_EQ(q->FieldByName("b")->Value().toLongLong(), 9000000000LL);

    SetDecimalSeparator(',');
    EXPECT_EQ(text("f"), "2,5");
    EXPECT_EQ(text("n"), "12,25");
    SetDecimalSeparator('.');

    q->Next();
    EXPECT_EQ(text("f"), "0.1");
    EXPECT_EQ(text("ts"), "2024-03-01");  // midnight shows the date only
    EXPECT_EQ(text("ok"), "False");
    q->Next();
    EXPECT_TRUE(q->FieldByName("c")->IsNull());
    EXPECT_EQ(text("d"), "");
    EXPECT_FALSE(q->FieldByName("c")->Value().isValid());
    EXPECT_EQ(text("ts"), "2024-03-02 00:00:00");  // only an exact midnight drops the time
}

TEST_P(Contract, FieldClassesAndDisplayWidthsFollowTheDeclaredTypes) {
    s->exec(
        "CREATE TABLE V (i INTEGER, s SMALLINT, b BIGINT, f DOUBLE PRECISION, n NUMERIC(10,2), c "
        "VARCHAR(20), "
        "ch CHAR(5), m TEXT, ok BOOLEAN, d DATE, ts TIMESTAMP)");
    TQuery* q = s->query("SELECT * FROM V");
    q->Open();
    auto f = [&](const char* name) { return q->FieldByName(name); };
    EXPECT_TRUE(f("i")->InheritsFrom<TIntegerField>());
    EXPECT_TRUE(f("s")->InheritsFrom<TSmallintField>());
    EXPECT_TRUE(f("s")->InheritsFrom<TIntegerField>());
    EXPECT_TRUE(f("b")->InheritsFrom<TLargeintField>());
    EXPECT_FALSE(f("b")->InheritsFrom<TIntegerField>());
    EXPECT_TRUE(f("f")->InheritsFrom<TFloatField>());
    EXPECT_TRUE(f("n")->InheritsFrom<TBCDField>());
    EXPECT_TRUE(f("c")->InheritsFrom<TStringField>());
    EXPECT_EQ(f("c")->Size(), 20);
    EXPECT_EQ(f("ch")->Size(), 5);
    EXPECT_TRUE(f("m")->InheritsFrom<TMemoField>());
    EXPECT_TRUE(f("m")->InheritsFrom<TBlobField>());
    EXPECT_TRUE(f("ok")->InheritsFrom<TBooleanField>());
    EXPECT_TRUE(f("d")->InheritsFrom<TDateTimeField>());
    EXPECT_TRUE(f("ts")->InheritsFrom<TDateTimeField>());
    EXPECT_EQ(f("c")->DisplayWidth(), 20);
    EXPECT_EQ(f("i")->DisplayWidth(), 10);
    EXPECT_EQ(f("f")->DisplayWidth(), 10);
    EXPECT_EQ(f("b")->DisplayWidth(), 15);
    f("i")->SetDisplayWidth(3);
    EXPECT_EQ(f("i")->DisplayWidth(), 3);
}

// ---- connection -----------------------------------------------------------------

TEST_P(Contract, DatasetOpensItsClosedDatabaseWithTheLoginHandler) {
    s->db().Close();
    int logins = 0;
    s->db().Params().SetValue("USER NAME", "nobody-from-params");
    s->db().OnLogin = [&](TDatabase* db, TStrings& params) {
        ++logins;
        EXPECT_EQ(params.Values("USER NAME"), "nobody-from-params");
        params.SetValue("USER NAME", "");  // the server's own default user
    };
    EXPECT_FALSE(s->db().Connected());
    EXPECT_EQ(s->scalar("SELECT 42"), "42");
    EXPECT_TRUE(s->db().Connected());
    EXPECT_EQ(logins, 1);
}

TEST_P(Contract, DatabaseWithoutAliasOrNameRaises) {
    s->db().Close();
    s->db().SetAliasName("");
    EXPECT_THAT([&] { s->scalar("SELECT 1"); }, ThrowsMessage<EDatabaseError>(HasSubstr("alias")));
    TQuery q;
    q.SetDatabaseName("NOT_THERE");
    q.SQL().Add("SELECT 1");
    EXPECT_THAT([&] { q.Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("NOT_THERE")));
    s->db().SetAliasName("NO_SUCH_ALIAS");
    EXPECT_THAT([&] { s->db().Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("NO_SUCH_ALIAS")));
    EXPECT_FALSE(s->db().Connected());
}

TEST_P(Contract, TransactionsCommitAndRollBack) {
    numbers("T", 0);
    EXPECT_FALSE(s->db().InTransaction());
    EXPECT_THROW(s->db().Commit(), EDatabaseError);
    s->db().StartTransaction();
    EXPECT_TRUE(s->db().InTransaction());
    EXPECT_THROW(s->db().StartTransaction(), EDatabaseError);
    s->exec("INSERT INTO T VALUES (1, 'a')");
    s->db().Rollback();
    EXPECT_FALSE(s->db().InTransaction());
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "0");
    s->db().StartTransaction();
    s->exec("INSERT INTO T VALUES (2, 'b')");
    s->db().Commit();
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "1");
}

TEST_P(Contract, ClosingAResultBeforeItsEndKeepsTheTransactionAndItsWork) {
    numbers("T", 0);
    s->db().StartTransaction();
    s->exec("INSERT INTO T VALUES (1, 'kept')");
    TQuery* q = s->query(s->series(300000));
    q->Open();
    q->Next();
    q->Close();
    EXPECT_TRUE(s->db().InTransaction());
    s->exec("INSERT INTO T VALUES (2, 'also kept')");
    s->db().Commit();
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "2");
}

// ---- catalogue ----------------------------------------------------------------------

TEST_P(Contract, CatalogueListsTablesWithSystemTablesAndColumns) {
    numbers("EMP", 0);
    TDatabaseItems tables;
    tables.SetDatabaseName("X");
    tables.Open();
    ASSERT_EQ(tables.Fields(0)->FieldName(), "NAME");
    QStringList names;
    for (tables.First(); !tables.Eof(); tables.Next()) names << tables.Fields(0)->AsString();
    EXPECT_TRUE(names.contains("emp", Qt::CaseInsensitive));
    EXPECT_TRUE(names.contains(pg() ? "pg_class" : "sqlite_master"));

    TTableItems cols;
    cols.SetDatabaseName("X");
    cols.SetTableName(pg() ? "emp" : "EMP");
    cols.Open();
    QStringList colNames, colTypes;
    for (cols.First(); !cols.Eof(); cols.Next()) {
        colNames << cols.Fields(1)->AsString().toUpper();
        colTypes << cols.FieldByName("TYPE")->AsString().toUpper();
    }
    EXPECT_EQ(colNames, QStringList({"ID", "NAME"}));
    EXPECT_EQ(colTypes[0], pg() ? "INTEGER" : "INTEGER");
    EXPECT_TRUE(colTypes[1].contains("VARCHAR(20)") || colTypes[1] == "CHARACTER VARYING(20)")
        << colTypes[1].toStdString();

    cols.Close();
    cols.SetTableName("NO_SUCH_TABLE");
    EXPECT_THROW(cols.Open(), EDatabaseError);
}

TEST_P(Contract, ClosingTheDatabaseClosesItsDatasetsAndCatalogueLists) {
    numbers("EMP", 0);
    TQuery* q = s->query("SELECT 1");
    q->Open();
    s->db().StartTransaction();
    TDatabaseItems tables;
    tables.SetDatabaseName("X");
    tables.Open();
    TTableItems cols;
    cols.SetDatabaseName("X");
    cols.SetTableName(pg() ? "emp" : "EMP");
    cols.Open();
    s->db().Close();
    EXPECT_FALSE(q->Active());
    EXPECT_FALSE(s->db().InTransaction());
    EXPECT_FALSE(tables.Active());
    EXPECT_FALSE(cols.Active());
    tables.Open();  // and they open it again by themselves
    EXPECT_TRUE(s->db().Connected());
    EXPECT_FALSE(tables.IsEmpty());
}

// ---- live query ----------------------------------------------------------------------------
TEST_P(Contract, LiveEditThatMovesARowInTheOrderStillShowsItOnce) {
    s->exec("CREATE TABLE T (ID INTEGER, V INTEGER)");
    s->exec("CREATE INDEX T_V ON T (V)");
    s->exec("INSERT INTO T SELECT X, X FROM (" + s->series(3000) + ") s");
    TQuery* q = s->query("SELECT * FROM T\n ORDER BY V", true);
    q->Open();
    ASSERT_TRUE(q->CanModify());
    q->Edit();
    q->FieldByName("V")->SetAsString("100000");
    q->Post();
    EXPECT_EQ(q->RecordCount(), 3000);
    int ones = 0;
    for (q->First(); !q->Eof(); q->Next())
        if (q->FieldByName("ID")->AsString() == "1") ++ones;
    EXPECT_EQ(ones, 1);
}

TEST_P(Contract, LiveQueryWritesEditsInsertsAndDeletesAtOnce) {
    numbers("T", 3);
    TQuery* q = s->query("SELECT * FROM T\n Where ID >= 2\n ORDER BY ID", true);
    q->Open();
    ASSERT_TRUE(q->CanModify());
    EXPECT_EQ(q->RecordCount(), 2);
    q->First();
    q->Edit();
    EXPECT_EQ(q->State(), TDataSetState::dsEdit);
    q->FieldByName("NAME")->SetAsString("two");
    q->Post();
    EXPECT_EQ(q->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(s->scalar("SELECT NAME FROM T WHERE ID = 2"), "two");
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "two");

    q->Append();
    q->FieldByName("ID")->SetAsString("10");
    q->FieldByName("NAME")->SetAsString("ten");
    q->Post();
    EXPECT_EQ(s->scalar("SELECT NAME FROM T WHERE ID = 10"), "ten");
    EXPECT_EQ(q->RecordCount(), 3);

    q->First();
    q->Delete();
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T WHERE ID = 2"), "0");
    EXPECT_EQ(q->FieldByName("ID")->AsString(), "3");
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "3");
}

TEST_P(Contract, LiveRowWithNullsIsFoundAndCancelLeavesItAlone) {
    s->exec("CREATE TABLE T (A INTEGER, B VARCHAR(10))");
    s->exec("INSERT INTO T (A) VALUES (1)");
    TQuery* q = s->query("SELECT * FROM T", true);
    q->Open();
    q->Edit();
    q->FieldByName("B")->SetAsString("x");
    q->Cancel();
    EXPECT_TRUE(q->FieldByName("B")->IsNull());
    q->Edit();
    q->FieldByName("B")->SetAsString("set");
    q->Post();
    EXPECT_EQ(s->scalar("SELECT B FROM T WHERE A = 1"), "set");
}

TEST_P(Contract, LivePostThatWouldHitTwoRowsFailsAndChangesNothing) {
    s->exec("CREATE TABLE T (A INTEGER, B VARCHAR(10))");
    s->exec("INSERT INTO T VALUES (1, 'same')");
    s->exec("INSERT INTO T VALUES (1, 'same')");
    TQuery* q = s->query("SELECT * FROM T", true);
    q->Open();
    q->Edit();
    q->FieldByName("B")->SetAsString("new");
    EXPECT_THAT([&] { q->Post(); }, ThrowsMessage<EDatabaseError>(HasSubstr("More than one row")));
    EXPECT_EQ(q->State(), TDataSetState::dsEdit);
    q->Cancel();
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T WHERE B = 'same'"), "2");
    EXPECT_THAT([&] { q->Delete(); }, ThrowsMessage<EDatabaseError>(HasSubstr("More than one row")));
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "2");
}

TEST_P(Contract, LivePostOfARowChangedBehindFails) {
    numbers("T", 1);
    TQuery* q = s->query("SELECT * FROM T", true);
    q->Open();
    s->exec("UPDATE T SET NAME = 'other'");
    q->Edit();
    q->FieldByName("NAME")->SetAsString("mine");
    EXPECT_THAT([&] { q->Post(); }, ThrowsMessage<EDatabaseError>(HasSubstr("no longer")));
    EXPECT_EQ(s->scalar("SELECT NAME FROM T"), "other");
}

TEST_P(Contract, ResultsOfJoinsOrExpressionsAreReadOnly) {
    numbers("T", 1);
    for (const char* sql : {"SELECT ID FROM T", "SELECT * FROM T a, T b", "SELECT * FROM T x"}) {
        TQuery* q = s->query(sql, true);
        q->Open();
        EXPECT_FALSE(q->CanModify()) << sql;
        EXPECT_THROW(q->Edit(), EDatabaseError);
    }
    TQuery* plain = s->query("SELECT * FROM T", false);
    plain->Open();
    EXPECT_FALSE(plain->CanModify());
}

TEST_P(Contract, TableNamesWithQuotesOrSemicolonsCannotInject) {
    numbers("T", 1);
    for (const char* name : {"T; DROP TABLE T", "T\"; DROP TABLE T; --", "T' OR '1'='1", "\"T\"\"\""}) {
        TQuery* q = s->query(QStringLiteral("SELECT * FROM ") + name, true);
        EXPECT_THROW(q->Open(), EDatabaseError) << name;
    }
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM T"), "1");
    // A properly quoted name with odd characters is a table like any other.
    s->exec("CREATE TABLE \"we;ird\"\"t\" (A INTEGER)");
    s->exec("INSERT INTO \"we;ird\"\"t\" VALUES (5)");
    TQuery* q = s->query("SELECT * FROM \"we;ird\"\"t\"", true);
    q->Open();
    ASSERT_TRUE(q->CanModify());
    q->Edit();
    q->Fields(0)->SetAsString("6");
    q->Post();
    EXPECT_EQ(s->scalar("SELECT A FROM \"we;ird\"\"t\""), "6");
}

TEST_P(Contract, EditingValidatesTypedValues) {
    numbers("T", 1);
    TQuery* q = s->query("SELECT * FROM T", true);
    q->Open();
    q->Edit();
    EXPECT_THROW(q->FieldByName("ID")->SetAsString("abc"), EConvertError);
    EXPECT_THROW(q->FieldByName("NAME")->SetAsString(QString(21, 'x')), EConvertError);
    q->Cancel();
    EXPECT_THAT([&] { q->FieldByName("ID")->SetAsString("1"); },
                ThrowsMessage<EDatabaseError>(StrEq("Dataset not in edit or insert mode")));
}

// A date column keeps its own form, so that the table's comparisons still find an edited
// row; a date-and-time column keeps its time.
TEST_P(Contract, EditedDatesAreWrittenInTheColumnsOwnForm) {
    s->exec("CREATE TABLE D (ID INTEGER, BORN DATE, SEEN TIMESTAMP)");
    s->exec("INSERT INTO D VALUES (1, '1999-12-31', '1999-12-31 08:00:00')");
    s->exec("INSERT INTO D VALUES (2, '2000-02-29', '2000-02-29 00:00:00')");
    TQuery* q = s->query("SELECT * FROM D ORDER BY ID", true);
    q->Open();
    EXPECT_EQ(q->FieldByName("BORN")->DataType(), TFieldType::ftDate);
    EXPECT_TRUE(q->FieldByName("BORN")->InheritsFrom<TDateField>());
    EXPECT_EQ(q->FieldByName("SEEN")->DataType(), TFieldType::ftDateTime);
    q->Edit();
    q->FieldByName("BORN")->SetAsString("2000-02-29");
    q->FieldByName("SEEN")->SetAsString("2000-02-29 13:45:10");
    q->Post();
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM D WHERE BORN = '2000-02-29'"), "2");
    EXPECT_EQ(s->scalar("SELECT ID FROM D WHERE SEEN = '2000-02-29 13:45:10'"), "1");
    EXPECT_EQ(q->FieldByName("BORN")->AsString(), "2000-02-29");

    // Midnight typed with its time is the date; any other time is no date.
    q->Next();
    q->Edit();
    q->FieldByName("BORN")->SetAsString("2000-03-01 00:00:00");
    q->Post();
    EXPECT_EQ(s->scalar("SELECT ID FROM D WHERE BORN = '2000-03-01'"), "2");
    q->Edit();
    EXPECT_THROW(q->FieldByName("BORN")->SetAsString("2000-03-01 12:00:00"), EConvertError);
    q->Cancel();

    if (pg()) return;
    // SQLite keeps any text in a date column: a time stored there shows, never hidden.
    s->exec("INSERT INTO D VALUES (3, '2001-01-01 10:30:00', NULL)");
    q->Close();
    q->Open();
    q->Last();
    EXPECT_EQ(q->FieldByName("BORN")->AsString(), "2001-01-01 10:30:00");
}

INSTANTIATE_TEST_SUITE_P(Backends, Contract, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
