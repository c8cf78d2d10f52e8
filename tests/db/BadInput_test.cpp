#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include "DbTestSupport.h"
#include "db/Aliases.h"
#include "db/Catalog.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"
#include "support/TestEnv.h"

using dbtest::Backend;
using dbtest::Scratch;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

namespace {

// ---- SQLite texts that are no valid text --------------------------------------------

TEST(SqliteText, NulOrBrokenUtf8InTextColumnsGiveAClearErrorAndTheRowsBeforeStay) {
    Scratch s(Backend::Sqlite);
    s.exec("CREATE TABLE T (ID INTEGER, S TEXT)");
    s.exec("INSERT INTO T VALUES (1, 'fine')");
    s.exec("INSERT INTO T VALUES (2, CAST(x'61006263' AS TEXT))");  // "a", NUL, "bc"
    s.exec("INSERT INTO T VALUES (3, CAST(x'61ff' AS TEXT))");      // not UTF-8
    TQuery* q = s.query("SELECT * FROM T WHERE ID IN (1, 2) ORDER BY ID");
    q->Open();
    EXPECT_EQ(q->FieldByName("S")->AsString(), "fine");
    EXPECT_THAT([&] { q->Next(); }, ThrowsMessage<EDatabaseError>(HasSubstr("NUL")));
    EXPECT_EQ(q->FieldByName("S")->AsString(), "fine");  // the fetched row is still there

    TQuery* broken = s.query("SELECT S FROM T WHERE ID = 3");
    EXPECT_THAT([&] { broken->Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("UTF-8")));
    EXPECT_FALSE(broken->Active());
    EXPECT_FALSE(broken->ControlsDisabled());  // the failed open leaves the controls attached
    EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM T"), "3");
    // Binary columns hold any bytes.
    EXPECT_EQ(s.scalar("SELECT length(CAST(S AS BLOB)) FROM T WHERE ID = 2"), "4");
}

TEST(SqliteTypes, ExpressionsTakeTheTypeOfTheirFirstValueAndOracleNumbersMap) {
    Scratch s(Backend::Sqlite);
    s.exec(
        "CREATE TABLE O (A NUMBER(5), B NUMBER(12), C NUMBER(10,2), D NUMBER, E VARCHAR2(7), F DATE, G "
        "CLOB)");
    s.exec("INSERT INTO O VALUES (1, 2, 3.5, 4.25, 'x', '2001-02-03 04:05:06', 'g')");
    TQuery* q = s.query("SELECT O.*, 1 + 1 AS I, 1.5 AS R, 'abc' AS S, 5000000000 AS L FROM O");
    q->Open();
    EXPECT_TRUE(q->FieldByName("A")->InheritsFrom<TIntegerField>());
    EXPECT_TRUE(q->FieldByName("B")->InheritsFrom<TLargeintField>());
    EXPECT_TRUE(q->FieldByName("C")->InheritsFrom<TBCDField>());
    EXPECT_TRUE(q->FieldByName("D")->InheritsFrom<TFloatField>());
    EXPECT_EQ(q->FieldByName("E")->Size(), 7);
    EXPECT_TRUE(q->FieldByName("F")->InheritsFrom<TDateTimeField>());
    EXPECT_EQ(q->FieldByName("F")->AsString(), "2001-02-03 04:05:06");
    EXPECT_TRUE(q->FieldByName("G")->InheritsFrom<TMemoField>());
    EXPECT_TRUE(q->FieldByName("I")->InheritsFrom<TIntegerField>());
    EXPECT_TRUE(q->FieldByName("R")->InheritsFrom<TFloatField>());
    EXPECT_TRUE(q->FieldByName("S")->InheritsFrom<TStringField>());
    EXPECT_TRUE(q->FieldByName("L")->InheritsFrom<TLargeintField>());
    EXPECT_EQ(q->FieldByName("D")->AsString(), "4.25");
}

TEST(SqliteTypes, FloatsKeepFullPrecisionSoLiveEditsFindTheirRow) {
    Scratch s(Backend::Sqlite);
    s.exec("CREATE TABLE F (X DOUBLE, Y INTEGER)");
    s.exec("INSERT INTO F VALUES (0.1 + 0.2, 1)");
    TQuery* q = s.query("SELECT * FROM F", true);
    q->Open();
    EXPECT_EQ(q->FieldByName("X")->AsString(), "0.3");  // 15 significant digits shown
    q->Edit();
    q->FieldByName("Y")->SetAsString("2");
    q->Post();
    EXPECT_EQ(s.scalar("SELECT Y FROM F"), "2");
}

// ---- PostgreSQL sessions that fail ----------------------------------------------------------

TEST(PostgresSession, UnknownUserIsRefusedWithTheServerMessage) {
    Scratch s(Backend::Postgres);
    s.db().Close();
    s.db().OnLogin = [](TDatabase*, TStrings& p) {
        p.SetValue("USER NAME", "no_such_role");
        p.SetValue("PASSWORD", "wrong");
    };
    EXPECT_THAT([&] { s.db().Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("no_such_role")));
    EXPECT_FALSE(s.db().Connected());
}

TEST(PostgresSession, LostServerMidWalkRaisesAndAReconnectWorks) {
    Scratch s(Backend::Postgres);
    s.exec("CREATE TABLE T AS SELECT g AS ID FROM generate_series(1, 200000) g");
    s.exec("SELECT set_config('application_name', 'zv_victim', false)");
    TQuery* q = s.query("SELECT * FROM T");
    q->Open();
    s.admin("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'zv_victim'");
    EXPECT_THROW(
        {
            for (int i = 0; i < 200000 && !q->Eof(); ++i) q->Next();
        },
        EDatabaseError);
    EXPECT_FALSE(s.db().Connected());
    EXPECT_EQ(s.scalar("SELECT 7"), "7");  // the next dataset opens a new session
    EXPECT_TRUE(s.db().Connected());
}

TEST(PostgresTypes, ServerTypesMapToTheirFieldClasses) {
    Scratch s(Backend::Postgres);
    TQuery* q = s.query(
        "SELECT 1::int2 a, 1::int8 b, 1.5::float4 c, 12.5::money d, 1.50::numeric(6,2) e, 'x'::char(3) f, "
        "now()::date g, '10:11:12'::time h, now() i, 'ab'::bytea j, 'q'::varchar k, true l");
    q->Open();
    EXPECT_TRUE(q->FieldByName("a")->InheritsFrom<TSmallintField>());
    EXPECT_TRUE(q->FieldByName("b")->InheritsFrom<TLargeintField>());
    EXPECT_TRUE(q->FieldByName("c")->InheritsFrom<TFloatField>());
    EXPECT_TRUE(q->FieldByName("d")->InheritsFrom<TCurrencyField>());
    EXPECT_EQ(q->FieldByName("d")->AsString(), "12.5");
    EXPECT_EQ(q->FieldByName("e")->AsString(), "1.50");
    EXPECT_EQ(q->FieldByName("f")->Size(), 3);
    EXPECT_TRUE(q->FieldByName("g")->InheritsFrom<TDateField>());
    EXPECT_TRUE(q->FieldByName("h")->InheritsFrom<TTimeField>());
    EXPECT_EQ(q->FieldByName("h")->AsString(), "10:11:12");
    EXPECT_TRUE(q->FieldByName("i")->InheritsFrom<TDateTimeField>());
    EXPECT_EQ(q->FieldByName("i")->AsString().size(), 19);
    EXPECT_EQ(q->FieldByName("j")->Value().toByteArray(), QByteArray("ab"));
    EXPECT_TRUE(q->FieldByName("k")->InheritsFrom<TMemoField>());
    EXPECT_EQ(q->FieldByName("l")->AsString(), "True");
}

// ---- alias file ---------------------------------------------------------------------

TEST(AliasFile, MissingFileIsWrittenWithTheLocalSqliteAlias) {
    ASSERT_FALSE(QFileInfo::exists(platform::DataFolder()));  // a new machine
    TBDEItems items;
    items.Open();
    ASSERT_EQ(items.RecordCount(), 1);
    EXPECT_EQ(items.FieldByName("NAME")->AsString(), "LOCAL");
    EXPECT_EQ(items.FieldByName("DBTYPE")->AsString(), "SQLITE");
    EXPECT_TRUE(items.FieldByName("PHYNAME")->AsString().endsWith("/zorvantic/local.db"));
    EXPECT_EQ(items.FieldByName("PHYNAME")->Size(), 260);
    EXPECT_TRUE(QFile::exists(AliasFilePath()));

    // The default alias works at once.
    TDatabase db;
    db.SetDatabaseName("L");
    db.SetAliasName("local");
    db.Open();
    EXPECT_TRUE(db.Connected());
}

TEST(AliasFile, MistypedSqliteFolderIsAnErrorAndNoFolderIsMade) {
    const QString missing = testenv::Root() + "/no-such-folder/sub";
    testenv::WriteFile(AliasFilePath(), ("[TYPO]\nTYPE=SQLITE\nPATH=" + missing + "/x.db\n").toUtf8());
    TDatabase db;
    db.SetDatabaseName("T");
    db.SetAliasName("TYPO");
    EXPECT_THAT([&] { db.Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr(missing.toStdString())));
    EXPECT_FALSE(QFileInfo::exists(testenv::Root() + "/no-such-folder"));
    // A new file in a folder that exists is a new, empty database.
    testenv::WriteFile(AliasFilePath(),
                       ("[NEW]\nTYPE=SQLITE\nPATH=" + testenv::Root() + "/new.db\n").toUtf8());
    db.SetAliasName("NEW");
    db.Open();
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(QFileInfo::exists(testenv::Root() + "/new.db"));
}

TEST(AliasFile, AliasesComeInFileOrderWithTheirFields) {
    testenv::WriteFile(
        AliasFilePath(),
        "; comment\r\n[ZED]\r\nTYPE=postgresql\r\nSERVER NAME=host=/tmp dbname=x\r\n"
        "DESCRIPTION=Serwer \xb9\xea\r\n\r\n[ALPHA]\r\nTYPE=SQLITE\r\nPATH=c:\\data\\a.db\r\n");
    const auto aliases = ReadAliases();
    ASSERT_EQ(aliases.size(), 2u);
    EXPECT_EQ(aliases[0].name, "ZED");
    EXPECT_EQ(aliases[0].type, "POSTGRESQL");
    EXPECT_EQ(aliases[0].physicalName, "host=/tmp dbname=x");
    EXPECT_EQ(aliases[0].description, QString::fromUtf8("Serwer ąę"));  // Windows-1250
    EXPECT_EQ(aliases[1].name, "ALPHA");
    EXPECT_EQ(FindAlias("alpha").physicalName, "c:\\data\\a.db");
    EXPECT_THAT([] { FindAlias("GAMMA"); }, ThrowsMessage<EDatabaseError>(HasSubstr("GAMMA")));
}

// The alias list cuts names to 31 characters; what it lists can be connected to.
TEST(AliasFile, NamesAreListedCutTo31AndFoundByTheListedName) {
    const QString exact(31, 'A');
    const QString longer = QString(31, 'B') + "_LONGER";
    testenv::WriteFile(AliasFilePath(), ("[" + exact + "]\r\nTYPE=SQLITE\r\nPATH=c:\\a.db\r\n[" + longer +
                                         "]\r\nTYPE=SQLITE\r\nPATH=c:\\b.db\r\n")
                                            .toLatin1());
    TBDEItems items;
    items.Open();
    ASSERT_EQ(items.RecordCount(), 2);
    EXPECT_EQ(items.FieldByName("NAME")->AsString(), exact);
    items.Next();
    EXPECT_EQ(items.FieldByName("NAME")->AsString(), longer.left(31));
    EXPECT_EQ(FindAlias(exact).physicalName, "c:\\a.db");
    EXPECT_EQ(FindAlias(longer.left(31).toLower()).physicalName, "c:\\b.db");
    EXPECT_EQ(FindAlias(longer).physicalName, "c:\\b.db");
    EXPECT_THAT([&] { FindAlias(longer.left(30)); },
                ThrowsMessage<EDatabaseError>(HasSubstr(longer.left(30).toStdString())));
}

TEST(AliasFile, MalformedFileNamesFileAndLineAndIsNotRewritten) {
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"[A]\nTYPE=SQLITE\nPATH=x\njunk line\n", 4},
        {"TYPE=SQLITE\n", 1},
        {"[A]\nTYPE=ORACLE\nPATH=x\n", 2},
        {"[A]\nPATH=x\n[B]\nTYPE=SQLITE\nPATH=y\n", 1},
        {"[A]\nTYPE=SQLITE\nPATH=x\n[a]\n", 4},
        {"[A\n", 1},
    };
    for (const auto& c : cases) {
        testenv::WriteFile(AliasFilePath(), c.text);
        EXPECT_THAT([] { ReadAliases(); },
                    ThrowsMessage<EDatabaseError>(StartsWith(
                        (AliasFilePath() + QStringLiteral(", line %1:").arg(c.line)).toStdString())));
        EXPECT_EQ(testenv::ReadFile(AliasFilePath()), QByteArray(c.text));
    }
}

}  // namespace

namespace {

// The fast float text must be the runtime's FloatToStr, value for value.
TEST(FloatText, MatchesTheRuntimeConversion) {
    TFloatField f(nullptr, "F");
    for (double v : {0.0, -0.0, 1.0, 2.5, 0.1, 1.0 / 3, 123456789012345.0, 1234567890123456.0, 1e20, 1e-5,
                     1.5e-7, -42.125, 1e300, 6.02214076e23, 0.000123}) {
        char buf[40];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        EXPECT_EQ(f.FormatValue(std::string_view(buf, static_cast<size_t>(r.ptr - buf))), FloatToStr(v))
            << buf;
    }
    SetDecimalSeparator(',');
    EXPECT_EQ(f.FormatValue("2.5"), "2,5");
    SetDecimalSeparator('.');
}

}  // namespace
