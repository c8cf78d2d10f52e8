#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "db/Field.h"
#include "export/ExportWriters.h"
#include "rtl/Exception.h"

using exporttest::Cp;
using exporttest::FileBytes;

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

}  // namespace
