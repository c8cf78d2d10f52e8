#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "db/Field.h"
#include "export/ExportWriters.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

using exporttest::Backend;
using exporttest::Cp;
using exporttest::FileBytes;
using testing::HasSubstr;
using testing::ThrowsMessage;

namespace {

TEST(ExportValueRules, QuoteValueDoublesOnlyTheDelimitersFirstCharacter) {
    EXPECT_EQ(QuoteValue("a|b", "|"), "|a||b|");
    EXPECT_EQ(QuoteValue("a<b>c", "<>"), "<>a<<b>c<>");
    EXPECT_EQ(QuoteValue("a,b", ""), "a,b");
    EXPECT_EQ(QuoteValue("", "\""), "\"\"");
    EXPECT_EQ(QuoteValue("say \"hi\"", "\""), "\"say \"\"hi\"\"\"");
}

TEST(ExportValueRules, SqlValuesDoubleApostrophesAndReplaceOnlyEmptyTexts) {
    EXPECT_EQ(DoubleApostrophes("O'Brien's"), "O''Brien''s");
    EXPECT_EQ(DoubleApostrophes("\"x\""), "\"x\"");
    EXPECT_EQ(FormatSQLValue("", "NULL", "'", "'"), "NULL");
    EXPECT_EQ(FormatSQLValue("  ", "NULL", "'", "'"), "'  '");
    EXPECT_EQ(FormatSQLValue("1'5", "NULL", "", ""), "1''5");
    EXPECT_EQ(FormatSQLValue("2001-02-03", "", "TO_DATE('", "','yyyy.mm.dd')"),
              "TO_DATE('2001-02-03','yyyy.mm.dd')");
}

class ExportWriters : public ::testing::Test {
  protected:
    void SetUp() override {
        src.exec("CREATE TABLE emp (id INTEGER, name VARCHAR(10))");
        src.exec("INSERT INTO emp VALUES (1, 'Ann')");
        src.exec("INSERT INTO emp VALUES (2, 'Bo''b')");
    }
    void open(const QString& sql) { src.open(sql); }
    std::vector<ExportColumn> columns(const QStringList& names) {
        std::vector<ExportColumn> c;
        for (const QString& n : names) c.push_back({n, n});
        return c;
    }
    std::vector<SqlColumnDef> defs(const QStringList& names) {
        std::vector<SqlColumnDef> d;
        for (const QString& n : names) d.push_back({n, "T", "", ""});
        return d;
    }
    QByteArray text(const QStringList& cols, const QString& sep, const QString& delim, bool transpose) {
        TextExportOptions o{"out.txt", sep, delim, transpose};
        WriteTextExport(*src.query(), columns(cols), o);
        return FileBytes("out.txt");
    }
    QByteArray sql(const QStringList& cols, SqlExportOptions o) {
        o.fileName = "out.sql";
        WriteSqlScript(*src.query(), columns(cols), defs(cols), o);
        return FileBytes("out.sql");
    }
    static SqlExportOptions plain(const QString& n) {
        SqlExportOptions o;
        o.tableName = "T";
        o.lineBreakCount = n;
        o.emptyValue = "NULL";
        o.separator = ",";
        o.createTable = false;
        return o;
    }
    exporttest::Source src;
};

TEST_F(ExportWriters, TextExampleWithApostropheDelimiterPlainAndTransposed) {
    open("SELECT id, name FROM emp ORDER BY id");
    EXPECT_EQ(text({"ID", "NAME"}, ",", "'", false), "'ID','NAME'\r\n'1','Ann'\r\n'2','Bo''b'\r\n");
    EXPECT_EQ(text({"ID", "NAME"}, ",", "'", true), "'ID','1','2'\r\n'NAME','Ann','Bo''b'\r\n");
    // The walk leaves the dataset on its last record.
    EXPECT_TRUE(src.query()->Eof());
    EXPECT_EQ(src.query()->FieldByName("id")->AsString(), "2");
}

TEST_F(ExportWriters, TextNullsEmptyDelimiterAndCaptionsFromTheGrid) {
    src.exec("INSERT INTO emp VALUES (3, NULL)");
    src.exec("INSERT INTO emp VALUES (4, 'a,b')");
    open("SELECT id, name FROM emp WHERE id > 2 ORDER BY id");
    EXPECT_EQ(text({"ID", "NAME"}, ",", "\"", false), "\"ID\",\"NAME\"\r\n\"3\",\"\"\r\n\"4\",\"a,b\"\r\n");
    EXPECT_EQ(text({"ID", "NAME"}, ";", "", false), "ID;NAME\r\n3;\r\n4;a,b\r\n");
    // The caption is the grid title; the value comes from the field named by the column.
    TextExportOptions o{"cap.txt", "|", "", false};
    WriteTextExport(*src.query(), {{"Numer", "ID"}}, o);
    EXPECT_EQ(FileBytes("cap.txt"), "Numer\r\n3\r\n4\r\n");
}

TEST_F(ExportWriters, TextWithoutRecordsWritesCaptionsOnly) {
    open("SELECT id, name FROM emp WHERE id < 0");
    EXPECT_EQ(text({"ID", "NAME"}, ",", "\"", false), "\"ID\",\"NAME\"\r\n");
    EXPECT_EQ(text({"ID", "NAME"}, ",", "\"", true), "\"ID\"\r\n\"NAME\"\r\n");
}

TEST_F(ExportWriters, FilesAreWindows1250AndReplaceEarlierContent) {
    src.exec("INSERT INTO emp VALUES (5, 'Zażółć łąkę')");
    testenv::WriteFile("out.txt", QByteArray(5000, 'x'));
    open("SELECT name FROM emp WHERE id = 5");
    EXPECT_EQ(text({"NAME"}, ",", "", false), Cp("NAME\r\nZażółć łąkę\r\n"));
    EXPECT_EQ(Cp("ż"), QByteArray("\xBF"));
}

TEST_F(ExportWriters, SqlScriptExampleWithCreateTableAndCarriedLineBreaks) {
    src.exec("CREATE TABLE hist (id INTEGER, name VARCHAR(10), hired DATE)");
    src.exec("INSERT INTO hist VALUES (1, 'Ann', '2001-02-03')");
    src.exec("INSERT INTO hist VALUES (2, 'O''Brien', NULL)");
    open("SELECT id, name, hired FROM hist ORDER BY id");
    src.query()->First();
    const QString d = src.query()->FieldByName("hired")->AsString();
    ASSERT_FALSE(d.isEmpty());
    SqlExportOptions o = plain("4");
    o.tableName = "EMP";
    o.createTable = true;
    o.fileName = "emp.sql";
    WriteSqlScript(*src.query(), columns({"ID", "NAME", "HIRED"}),
                   {{"ID", "NUMBER(10)", "", ""},
                    {"NAME", "VARCHAR2(10)", "'", "'"},
                    {"HIRED", "DATE", "TO_DATE('", "','yyyy.mm.dd')"}},
                   o);
    const QString expected =
        "CREATE TABLE EMP (\r\n"
        "ID\tNUMBER(10),\r\n"
        "NAME\tVARCHAR2(10),\r\n"
        "HIRED\tDATE);\r\n"
        "INSERT INTO EMP (ID,NAME,HIRED) VALUES (\r\n"
        "1,'Ann',TO_DATE('" +
        d +
        "','yyyy.mm.dd'));\r\n"
        "INSERT INTO EMP (ID,NAME,HIRED) VALUES (\r\n"
        "2,\r\n"
        "'O''Brien',NULL);\r\n";
    EXPECT_EQ(FileBytes("emp.sql"), Cp(expected));
}

TEST_F(ExportWriters, LineBreakCounterRunsAcrossRecords) {
    src.exec("CREATE TABLE abc (a INTEGER, b INTEGER, c INTEGER, d INTEGER)");
    src.exec("INSERT INTO abc VALUES (1, 2, 3, 4)");
    src.exec("INSERT INTO abc VALUES (5, 6, 7, 8)");
    open("SELECT a, b, c FROM abc ORDER BY a");
    EXPECT_EQ(sql({"A", "B", "C"}, plain("2")),
              "INSERT INTO T (A,B,\r\nC) VALUES (\r\n1,2,\r\n3);\r\n"
              "INSERT INTO T (A,B,\r\nC) VALUES (\r\n5,\r\n6,7\r\n);\r\n");
    open("SELECT a, b, c, d FROM abc ORDER BY a");
    EXPECT_EQ(sql({"A", "B", "C", "D"}, plain("4")),
              "INSERT INTO T (A,B,C,D\r\n) VALUES (\r\n1,2,3,4\r\n);\r\n"
              "INSERT INTO T (A,B,C,D\r\n) VALUES (\r\n5,6,7,8\r\n);\r\n");
    open("SELECT a, b FROM abc ORDER BY a");
    EXPECT_EQ(sql({"A", "B"}, plain("1")),
              "INSERT INTO T (A,\r\nB\r\n) VALUES (\r\n1,\r\n2\r\n);\r\n"
              "INSERT INTO T (A,\r\nB\r\n) VALUES (\r\n5,\r\n6\r\n);\r\n");
}

TEST_F(ExportWriters, ZeroAndNegativeCountsAddNoBreaksAmongItems) {
    open("SELECT id, name FROM emp ORDER BY id");
    EXPECT_EQ(sql({"ID", "NAME"}, plain("0")),
              "INSERT INTO T (ID,NAME) VALUES (1,Ann);\r\nINSERT INTO T (ID,NAME) VALUES (2,Bo''b);\r\n");
    EXPECT_EQ(
        sql({"ID", "NAME"}, plain(" -3")),
        "INSERT INTO T (ID,NAME) VALUES (\r\n1,Ann);\r\nINSERT INTO T (ID,NAME) VALUES (\r\n2,Bo''b);\r\n");
}

TEST_F(ExportWriters, SeparatorSemicolonAndEmptyLineOptions) {
    open("SELECT id, name FROM emp WHERE id = 1");
    SqlExportOptions o = plain("0");
    o.separator = ";";
    o.createTable = true;
    o.semicolon = false;
    o.emptyLine = true;
    EXPECT_EQ(sql({"ID", "NAME"}, o),
              "CREATE TABLE T (\r\nID\tT,\r\nNAME\tT)\r\n\r\n"
              "INSERT INTO T (ID;NAME) VALUES (1;Ann)\r\n\r\n");
}

TEST_F(ExportWriters, SqlWithoutRecordsAndStaleTableRows) {
    open("SELECT id, name FROM emp WHERE id < 0");
    SqlExportOptions o = plain("4");
    o.createTable = true;
    EXPECT_EQ(sql({"ID", "NAME"}, o), "CREATE TABLE T (\r\nID\tT,\r\nNAME\tT);\r\n");
    EXPECT_EQ(sql({"ID", "NAME"}, plain("4")), "");
    // A table row that does not exist gives empty name, type, prefix and suffix.
    open("SELECT id, name FROM emp WHERE id = 1");
    o.fileName = "stale.sql";
    WriteSqlScript(*src.query(), columns({"ID", "NAME"}), {{"X", "NUMBER(10)", "<", ">"}}, o);
    EXPECT_EQ(FileBytes("stale.sql"),
              "CREATE TABLE T (\r\nX\tNUMBER(10),\r\n\t);\r\nINSERT INTO T (X,) VALUES (\r\n<1>,Ann);\r\n");
}

TEST_F(ExportWriters, ErrorsAfterTheFileIsCreatedKeepWhatWasWritten) {
    open("SELECT id, name FROM emp");
    SqlExportOptions o = plain("four");
    EXPECT_THROW(sql({"ID"}, o), EConvertError);
    EXPECT_EQ(FileBytes("out.sql"), "");

    // A query that never opened fails on its first record, after CREATE TABLE.
    src.query()->Close();
    o = plain("4");
    o.createTable = true;
    EXPECT_THROW(sql({"ID"}, o), EDatabaseError);
    EXPECT_EQ(FileBytes("out.sql"), "CREATE TABLE T (\r\nID\tT);\r\n");
    EXPECT_FALSE(src.query()->ControlsDisabled());

    TextExportOptions t{"no/such/folder/x.txt", ",", "", false};
    open("SELECT id FROM emp");
    EXPECT_THROW(WriteTextExport(*src.query(), columns({"ID"}), t), EInOutError);
    EXPECT_FALSE(src.query()->ControlsDisabled());
}

TEST_F(ExportWriters, WindowsNamesLandUnderTheMappedDrive) {
    open("SELECT id FROM emp WHERE id = 1");
    TextExportOptions t{"c:\\1.txt", ",", "", false};
    WriteTextExport(*src.query(), columns({"ID"}), t);
    EXPECT_EQ(testenv::ReadFile(testenv::Root() + "/../data/zorvantic/drive_c/1.txt"), "ID\r\n1\r\n");
}

TEST_F(ExportWriters, CharactersOutsideTheCodePageStopTheExportNamingThem) {
    src.exec("INSERT INTO emp VALUES (3, 'Muñoz à Жук')");
    open("SELECT id, name FROM emp ORDER BY id");
    EXPECT_THAT(
        [&] {
            text({"ID", "NAME"}, ",", "\"", false);
        },
        ThrowsMessage<EInOutError>("Cannot write file \"out.txt\": the character \"ñ\" in column "
                                   "\"NAME\", row 3 cannot be saved in Windows-1250"));
    // The file keeps what was written before the character.
    EXPECT_EQ(FileBytes("out.txt"), "\"ID\",\"NAME\"\r\n\"1\",\"Ann\"\r\n\"2\",\"Bo'b\"\r\n\"3\",\"");
    EXPECT_FALSE(src.query()->ControlsDisabled());
    EXPECT_THAT(
        [&] {
            text({"ID", "NAME"}, ";", "", true);
        },
        ThrowsMessage<EInOutError>(HasSubstr("\"ñ\" in column \"NAME\", row 3 ")));

    EXPECT_THAT(
        [&] {
            sql({"ID", "NAME"}, plain("0"));
        },
        ThrowsMessage<EInOutError>(HasSubstr("the character \"ñ\" in column \"NAME\", row 3 ")));
    EXPECT_EQ(FileBytes("out.sql"),
              "INSERT INTO T (ID,NAME) VALUES (1,Ann);\r\nINSERT INTO T (ID,NAME) VALUES (2,Bo''b);\r\n"
              "INSERT INTO T (ID,NAME) VALUES (3,");

    // A character beyond 16 bits is named whole, in a value and at the very start of a caption.
    src.exec("INSERT INTO emp VALUES (4, 'ok 😀')");
    open("SELECT name FROM emp WHERE id = 4");
    EXPECT_THAT([&] { text({"NAME"}, ",", "'", false); },
                ThrowsMessage<EInOutError>(HasSubstr("\"😀\" in column \"NAME\", row 1 ")));
    EXPECT_EQ(FileBytes("out.txt"), "'NAME'\r\n'");
    open("SELECT id FROM emp WHERE id = 1");
    TextExportOptions o{"cap.txt", ",", "", false};
    EXPECT_THAT(
        [&] {
            WriteTextExport(*src.query(), {{"😀x", "ID"}}, o);
        },
        ThrowsMessage<EInOutError>(HasSubstr("\"😀\" in the caption of column \"😀x\" ")));
}

TEST_F(ExportWriters, SqlTextsOutsideTheCodePageStopOnlyWhenWritten) {
    src.exec("INSERT INTO emp VALUES (3, NULL)");
    open("SELECT id, name FROM emp WHERE id = 3");
    // The prefix of a column whose only value is empty is never written.
    SqlExportOptions o = plain("0");
    o.fileName = "unused.sql";
    WriteSqlScript(*src.query(), columns({"ID", "NAME"}), {{"ID", "T", "", ""}, {"NAME", "T", "Ж", ""}}, o);
    EXPECT_EQ(FileBytes("unused.sql"), "INSERT INTO T (ID,NAME) VALUES (3,NULL);\r\n");
    o = plain("0");
    o.emptyValue = "ŽИ";
    EXPECT_THAT(
        [&] {
            sql({"ID", "NAME"}, o);
        },
        ThrowsMessage<EInOutError>(HasSubstr("\"И\" in the empty value text ")));
    o = plain("0");
    o.tableName = "TAB€Ж";
    EXPECT_THAT([&] { sql({"ID"}, o); }, ThrowsMessage<EInOutError>(HasSubstr("\"Ж\" in the table name ")));
}

// The exports take a value's text from its cached bytes where they can: every field
// class must come out exactly as the field's own text would.
class ExportedValues : public ::testing::TestWithParam<Backend> {
  protected:
    void TearDown() override { SetDecimalSeparator('.'); }
};

TEST_P(ExportedValues, EveryFieldClassIsWrittenAsItsText) {
    exporttest::Source src(GetParam());
    const bool pg = GetParam() == Backend::Postgres;
    src.exec(
        pg ? "CREATE TABLE v (i INTEGER, s SMALLINT, b BIGINT, f DOUBLE PRECISION, r REAL, n NUMERIC(12,3), "
             "t VARCHAR(20), m TEXT, d DATE, ts TIMESTAMP, l BOOLEAN, e INTEGER)"
           : "CREATE TABLE v (i INTEGER, s SMALLINT, b BIGINT, f REAL, r FLOAT, n DECIMAL(12,3), "
             "t VARCHAR(20), m TEXT, d DATE, ts DATETIME, l BOOLEAN, e INTEGER)");
    src.exec(QStringLiteral("INSERT INTO v VALUES (1, -2, 9000000000, 1.5, 0.1, 12.345, 'Zażółć \"q\" 1', "
                            "'O''Brien; ęą', '2001-02-03', '2001-02-03 04:05:06', %1, NULL)")
                 .arg(pg ? "true" : "1"));
    src.exec(QStringLiteral("INSERT INTO v VALUES (-2147483648, 0, -1, 1e20, -0.0, -0.5, '', 'x', NULL, "
                            "'2001-02-03 00:00:00', %1, 7)")
                 .arg(pg ? "false" : "0"));
    src.exec(
        "INSERT INTO v VALUES (NULL, NULL, NULL, 1e-5, 123456789.125, 0, NULL, NULL, NULL, NULL, NULL, "
        "NULL)");
    src.open("SELECT * FROM v ORDER BY b");
    TQuery* q = src.query();
    const int n = q->FieldCount();
    std::vector<ExportColumn> cols;
    std::vector<SqlColumnDef> defs;
    QStringList names;
    for (int i = 0; i < n; ++i) {
        names << q->Fields(i)->FieldName();
        cols.push_back({q->Fields(i)->FieldName(), q->Fields(i)->FieldName()});
        defs.push_back({q->Fields(i)->FieldName(), "T", "<", ">"});
    }
    for (const QChar point : {QChar('.'), QChar(',')}) {
        SetDecimalSeparator(point);
        for (const QString& delimiter : {QString("\""), QString("1"), QString("ę|")}) {
            QString text, script;
            for (int i = 0; i < n; ++i) text += (i ? "," : "") + QuoteValue(cols[i].caption, delimiter);
            text += "\r\n";
            for (q->First(); !q->Eof(); q->Next()) {
                script += "INSERT INTO T (" + names.join(",") + ") VALUES (";
                for (int i = 0; i < n; ++i) {
                    const QString v = q->Fields(i)->AsString();
                    text += (i ? "," : "") + QuoteValue(v, delimiter);
                    script += (i ? "," : "") + FormatSQLValue(v, "NULL", "<", ">");
                }
                text += "\r\n";
                script += ");\r\n";
            }
            WriteTextExport(*q, cols, {"v.txt", ",", delimiter, false});
            EXPECT_EQ(FileBytes("v.txt"), Cp(text))
                << "separator " << int(point.unicode()) << " delimiter " << delimiter.toStdString();
            SqlExportOptions o;
            o.fileName = "v.sql";
            o.tableName = "T";
            o.lineBreakCount = "0";
            o.emptyValue = "NULL";
            o.separator = ",";
            o.createTable = false;
            WriteSqlScript(*q, cols, defs, o);
            EXPECT_EQ(FileBytes("v.sql"), Cp(script)) << "separator " << int(point.unicode());
        }
    }
}

// A value of a NUMBER column is written without quotes, so it must be a number: text in
// it (SQLite lets an INTEGER column hold text; on PostgreSQL a text column typed as a
// number) stops the export naming value, column and row. Quoted values keep doubling.
TEST_P(ExportedValues, ValuesWrittenWithoutQuotesMustBeNumbers) {
    exporttest::Source src(GetParam());
    const bool pg = GetParam() == Backend::Postgres;
    src.exec(pg ? "CREATE TABLE emp (id VARCHAR(40), name VARCHAR(10), pay NUMERIC(7,2))"
                : "CREATE TABLE emp (id INTEGER, name VARCHAR(10), pay NUMERIC(7,2))");
    src.exec("INSERT INTO emp VALUES ('7', 'Bo''b', -1.25)");
    src.exec("INSERT INTO emp VALUES ('0); DROP TABLE emp; --', 'Mallory', NULL)");
    src.open("SELECT id, name, pay FROM emp ORDER BY name");
    const std::vector<ExportColumn> cols{{"ID", "id"}, {"NAME", "name"}, {"PAY", "pay"}};
    std::vector<SqlColumnDef> defs{
        {"ID", "NUMBER(10)", "", ""}, {"NAME", "VARCHAR2(10)", "'", "'"}, {"PAY", "NUMBER(7,2)", "", ""}};
    SqlExportOptions o;
    o.fileName = "emp.sql";
    o.tableName = "EMP";
    o.lineBreakCount = "0";
    o.emptyValue = "NULL";
    o.separator = ";";
    o.createTable = false;
    SetDecimalSeparator(',');
    EXPECT_THAT([&] { WriteSqlScript(*src.query(), cols, defs, o); },
                ThrowsMessage<EInOutError>(
                    HasSubstr("the value \"0); DROP TABLE emp; --\" in column \"ID\", row 2 ")));
    EXPECT_EQ(
        FileBytes("emp.sql"),
        "INSERT INTO EMP (ID;NAME;PAY) VALUES (7;'Bo''b';-1,25);\r\nINSERT INTO EMP (ID;NAME;PAY) VALUES (");
    // Inside quotes (an odd number of apostrophes before it) the value is text again.
    defs[0].prefix = "'";
    defs[0].suffix = "'";
    WriteSqlScript(*src.query(), cols, defs, o);
    EXPECT_EQ(FileBytes("emp.sql"),
              "INSERT INTO EMP (ID;NAME;PAY) VALUES ('7';'Bo''b';-1,25);\r\n"
              "INSERT INTO EMP (ID;NAME;PAY) VALUES ('0); DROP TABLE emp; --';'Mallory';NULL);\r\n");
    // A whole-number type takes no fraction.
    defs[0] = {"ID", "NUMBER(10)", "", ""};
    defs[2].type = "NUMBER(7)";
    src.open("SELECT id, name, pay FROM emp WHERE name = 'Bo''b'");
    EXPECT_THAT([&] { WriteSqlScript(*src.query(), cols, defs, o); },
                ThrowsMessage<EInOutError>(HasSubstr("the value \"-1,25\" in column \"PAY\", row 1 ")));
    // Every number the database layer writes, in either separator, passes.
    src.exec(pg ? "CREATE TABLE n (i INTEGER, b BIGINT, f DOUBLE PRECISION, d NUMERIC(12,3))"
                : "CREATE TABLE n (i INTEGER, b BIGINT, f REAL, d DECIMAL(12,3))");
    src.exec("INSERT INTO n VALUES (-2147483648, 9000000000, 1e20, -0.5)");
    src.exec("INSERT INTO n VALUES (0, -1, 1.25e-7, 12.345)");
    src.open("SELECT * FROM n");
    const std::vector<ExportColumn> numbers{{"I", "i"}, {"B", "b"}, {"F", "f"}, {"D", "d"}};
    const std::vector<SqlColumnDef> numberDefs{{"I", "NUMBER(10)", "", ""},
                                               {"B", "number (15, 0)", "", ""},
                                               {"F", "NUMBER", "", ""},
                                               {"D", "NUMBER(12,3)", "", ""}};
    for (const QChar point : {QChar('.'), QChar(',')}) {
        SetDecimalSeparator(point);
        EXPECT_NO_THROW(WriteSqlScript(*src.query(), numbers, numberDefs, o)) << int(point.unicode());
    }
}

// Dates and times are written from their cached bytes: the date alone at midnight, no
// fraction of a second, a text that is no date as it stands.
TEST_P(ExportedValues, DatesAndTimesAreWrittenAsShown) {
    exporttest::Source src(GetParam());
    const bool pg = GetParam() == Backend::Postgres;
    src.exec(pg ? "CREATE TABLE w (k INTEGER, d DATE, ts TIMESTAMP, t TIME)"
                : "CREATE TABLE w (k INTEGER, d DATE, ts DATETIME, t TIME)");
    src.exec("INSERT INTO w VALUES (1, '2001-02-03', '2001-02-03 04:05:06', '04:05:06')");
    src.exec(pg ? "INSERT INTO w VALUES (2, NULL, '2001-02-03 00:00:00.5', '04:05:00')"
                : "INSERT INTO w VALUES (2, 'not a date', '2001-02-03 00:00:00.5', '4:05')");
    src.exec(pg ? "INSERT INTO w VALUES (3, '1999-12-31', '2001-02-03 00:00:00', '23:59:59.75')"
                : "INSERT INTO w VALUES (3, '1999-12-31 00:00:00.000', '2001-02-03T07:08:09.123', "
                  "'23:59:59.75')");
    src.open("SELECT d, ts, t FROM w ORDER BY k");
    std::vector<ExportColumn> cols = {{"d", "d"}, {"ts", "ts"}, {"t", "t"}};
    const QString second = pg ? ",2001-02-03 00:00:00,04:05:00" : "not a date,2001-02-03 00:00:00,4:05";
    const QString third = pg ? "1999-12-31,2001-02-03,23:59:59" : "1999-12-31,2001-02-03 07:08:09,23:59:59";
    WriteTextExport(*src.query(), cols, {"w.txt", ",", "", false});
    EXPECT_EQ(FileBytes("w.txt"),
              Cp("d,ts,t\r\n2001-02-03,2001-02-03 04:05:06,04:05:06\r\n" + second + "\r\n" + third + "\r\n"));
    SqlExportOptions o;
    o.fileName = "w.sql";
    o.tableName = "T";
    o.lineBreakCount = "0";
    o.emptyValue = "NULL";
    o.separator = ",";
    o.createTable = false;
    WriteSqlScript(*src.query(), cols, {{"d", "", "<", ">"}, {"ts", "", "<", ">"}, {"t", "", "<", ">"}}, o);
    EXPECT_EQ(FileBytes("w.sql"),
              Cp("INSERT INTO T (d,ts,t) VALUES (<2001-02-03>,<2001-02-03 04:05:06>,<04:05:06>);\r\n"
                 "INSERT INTO T (d,ts,t) VALUES (" +
                 QString(pg ? "NULL,<2001-02-03 00:00:00>,<04:05:00>"
                            : "<not a date>,<2001-02-03 00:00:00>,<4:05>") +
                 ");\r\nINSERT INTO T (d,ts,t) VALUES (" +
                 QString(pg ? "<1999-12-31>,<2001-02-03>,<23:59:59>"
                            : "<1999-12-31>,<2001-02-03 07:08:09>,<23:59:59>") +
                 ");\r\n"));
}

// Floating-point numbers are written from their digits where they are short enough:
// the text must be the one the field shows, in every notation and at every edge.
TEST_P(ExportedValues, FloatingPointNumbersAreWrittenAsShown) {
    exporttest::Source src(GetParam());
    const bool pg = GetParam() == Backend::Postgres;
    src.exec(pg ? "CREATE TABLE f (k INTEGER, v DOUBLE PRECISION)" : "CREATE TABLE f (k INTEGER, v REAL)");
    const QStringList values = {"1.37",
                                "-0.5",
                                "0",
                                "-0.0",
                                "1e20",
                                "1e-5",
                                "0.0001",
                                "0.00012345",
                                "123456789012345",
                                "1234567890123456",
                                "1e14",
                                "1e15",
                                "99999999999999.9",
                                "999999999999999.9",
                                "0.1",
                                "1.05",
                                "100",
                                "1.5e-300",
                                "2.5e300",
                                "1.7e308",
                                "4.9e-324",
                                "123456789.125",
                                "0.30000000000000004",
                                "-1234.5e-7",
                                "7e-4",
                                "12345678901234500000"};
    for (int i = 0; i < values.size(); ++i)
        src.exec(QStringLiteral("INSERT INTO f VALUES (%1, %2)").arg(i).arg(values[i]));
    src.exec(pg ? "INSERT INTO f VALUES (100, 'NaN'), (101, '-Infinity')"
                : "INSERT INTO f VALUES (100, NULL)");
    src.open("SELECT v FROM f ORDER BY k");
    TQuery* q = src.query();
    for (const QChar point : {QChar('.'), QChar(',')}) {
        SetDecimalSeparator(point);
        QString expected = "v\r\n";
        for (q->First(); !q->Eof(); q->Next()) expected += q->Fields(0)->AsString() + "\r\n";
        WriteTextExport(*q, {{"v", "v"}}, {"f.txt", ",", "", false});
        EXPECT_EQ(FileBytes("f.txt"), Cp(expected)) << "separator " << int(point.unicode());
    }
    EXPECT_THAT(QString::fromLatin1(FileBytes("f.txt")).split("\r\n"),
                testing::IsSupersetOf({QString("1,37"), QString("1E20"), QString("1E-5"), QString("1E15"),
                                       QString("100000000000000")}));
}

INSTANTIATE_TEST_SUITE_P(Backends, ExportedValues, testing::Values(Backend::Sqlite, Backend::Postgres),
                         exporttest::ParamName);

}  // namespace
