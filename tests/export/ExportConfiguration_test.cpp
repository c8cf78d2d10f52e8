#include <gtest/gtest.h>

#include "TestEnv.h"
#include "export/ExportConfiguration.h"
#include "platform/Codepage.h"
#include "rtl/Exception.h"

namespace {

ExportConfiguration threeColumns() {
    ExportConfiguration c;
    c.rows = {{"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"},
              {"ID", "NUMBER(10)", "", "", ""},
              {"NAZWA", "VARCHAR2(30)", "'", "'", ""},
              {"DATA", "DATE", "TO_DATE('", "','yyyy.mm.dd')", "Wątpliwa maska pola"}};
    c.fileName = "C:\\skrypt.sql";
    c.tableName = "EMP";
    c.lineBreakCount = "4";
    c.emptyValue = "NULL";
    c.runAfter = false;
    c.emptyLine = true;
    c.doubleApostrophes = false;
    return c;
}

TEST(ExportConfigurationFile, ThreeColumnsGiveThirtyOneLinesInWindows1250AndReadBackWhole) {
    SaveExportConfiguration("a.cfg", threeColumns());
    const QByteArray bytes = testenv::ReadFile("a.cfg");
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    // Every line, the last one too, ends with CR LF.
    const QList<QByteArray> lines = bytes.split('\n').mid(0, bytes.count('\n'));
    ASSERT_EQ(lines.size(), 31);
    for (const QByteArray& l : lines) EXPECT_TRUE(l.endsWith('\r'));
    EXPECT_EQ(lines[0], "4\r");
    EXPECT_EQ(lines[1], "Nazwa pola\r");
    EXPECT_EQ(lines[5], "Status\r");
    EXPECT_EQ(lines[20], platform::ToCp1250("Wątpliwa maska pola\r"));
    EXPECT_EQ(lines[21], "C:\\skrypt.sql\r");
    EXPECT_EQ(lines[24], "NULL\r");
    const QList<QByteArray> flags(lines.begin() + 25, lines.end());
    EXPECT_EQ(flags, QList<QByteArray>({"FALSE\r", "TRUE\r", "TRUE\r", "TRUE\r", "FALSE\r", "TRUE\r"}));

    // Read back, every value comes back.
    EXPECT_EQ(ReadConfigurationRowCount("a.cfg"), 4);
    const ExportConfiguration back = LoadExportConfiguration("a.cfg");
    const ExportConfiguration want = threeColumns();
    EXPECT_EQ(back.rows, want.rows);
    EXPECT_EQ(back.fileName, want.fileName);
    EXPECT_EQ(back.tableName, want.tableName);
    EXPECT_EQ(back.lineBreakCount, want.lineBreakCount);
    EXPECT_EQ(back.emptyValue, want.emptyValue);
    EXPECT_EQ(std::vector<bool>({back.runAfter, back.semicolon, back.emptyLine, back.createTable,
                                 back.doubleApostrophes, back.lockDoubtful}),
              std::vector<bool>({false, true, true, true, false, true}));
}

TEST(ExportConfigurationFile, CharacterOutsideTheCodePageRefusesTheFileUntouched) {
    testenv::WriteFile("a.cfg", "old");
    ExportConfiguration c = threeColumns();
    c.rows[3][1] = "DATE Жук";
    try {
        SaveExportConfiguration("a.cfg", c);
        ADD_FAILURE() << "saved";
    } catch (const EInOutError& e) {
        EXPECT_EQ(
            e.Message(),
            "Cannot write file \"a.cfg\": the character \"Ж\" in column \"Typ pola\", row 3 of the column "
            "type table cannot be saved in Windows-1250");
    }
    c = threeColumns();
    c.tableName = "ñ";
    EXPECT_THROW(SaveExportConfiguration("a.cfg", c), EInOutError);
    EXPECT_EQ(testenv::ReadFile("a.cfg"), "old");
}

TEST(ExportConfigurationFile, LeadingCountIsReadLikeANumberInAText) {
    auto count = [](const QByteArray& bytes) {
        testenv::WriteFile("c.cfg", bytes);
        return ReadConfigurationRowCount("c.cfg");
    };
    EXPECT_EQ(count("abc\r\n"), -1);
    EXPECT_EQ(count("4x\r\n"), -1);
    EXPECT_EQ(count(""), 0);
    EXPECT_EQ(count("   \r\n  \r\n"), 0);
    EXPECT_EQ(count("\r\n  7 rest of line\r\nnext"), 7);
    EXPECT_EQ(count("2\n"), 2);
    EXPECT_THROW(ReadConfigurationRowCount("missing.cfg"), EInOutError);
}

TEST(ExportConfigurationFile, OnlyExactTrueChecksAndMissingLinesReadEmpty) {
    testenv::WriteFile(
        "b.cfg",
        "1\r\nA\r\nB\r\nC\r\nD\r\nE\r\nout.sql\r\nTAB\r\n2\r\n\r\nTrue\r\ntrue\r\nTRUE\r\n TRUE\r\nTRUE");
    const ExportConfiguration c = LoadExportConfiguration("b.cfg");
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.rows[0][4], "E");
    EXPECT_EQ(c.emptyValue, "");
    EXPECT_FALSE(c.runAfter);
    EXPECT_FALSE(c.semicolon);
    EXPECT_TRUE(c.emptyLine);
    EXPECT_FALSE(c.createTable);
    EXPECT_TRUE(c.doubleApostrophes);
    EXPECT_FALSE(c.lockDoubtful);  // no such line
}

TEST(ExportConfigurationFile, ACountNoResultCanHaveIsRefusedNotAllocated) {
    // A damaged count once made the reader try to allocate gigabytes of empty rows.
    testenv::WriteFile("huge.cfg", "2000000000\r\nA\r\n");
    EXPECT_THROW(LoadExportConfiguration("huge.cfg"), EInOutError);
    testenv::WriteFile("most.cfg", "32767\r\nA\r\n");
    EXPECT_EQ(LoadExportConfiguration("most.cfg").rows.size(), 32767u);
}

}  // namespace
