#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "ExportTestSupport.h"
#include "db/Query.h"
#include "export/MultiFileEksport.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "platform/Paths.h"

using exporttest::Backend;
using exporttest::Cp;
using exporttest::FileBytes;
using exporttest::FileExists;
using exporttest::Source;

namespace {

QString local(const QString& windowsPath) {
    return platform::MapPath(windowsPath);
}

// Upper-case names on both backends.
const QString kSelect =
    "SELECT code AS \"CODE\", name AS \"NAME\", fname AS \"FNAME\", dir AS \"DIR\" FROM t ";

// A multi-file export window on database "X" whose base folder c:\Export\ exists.
class MultiFile : public exporttest::WindowTest<TFMultiFileEksport> {
  protected:
    MultiFile() {
        QDir().mkpath(local("c:\\Export"));
        src.exec(
            "CREATE TABLE t (ord INTEGER, code VARCHAR(10), name VARCHAR(20), fname VARCHAR(300), "
            "dir VARCHAR(300))");
        set("CODE", "FNAME", "DIR", "2", ";", "'");
    }
    void set(const QString& group, const QString& file, const QString& folder, const QString& n,
             const QString& sep, const QString& delimiter) {
        form->EGROUP->SetText(group);
        form->EFILE->SetText(file);
        form->EFOLDER->SetText(folder);
        form->EOrphColumns->SetText(n);
        form->ESep->SetText(sep);
        form->EDelimiter->SetText(delimiter);
    }
    void rows(const QStringList& values) {
        int ord = 0;
        for (const QString& v : values) src.exec(QString("INSERT INTO t VALUES (%1, %2)").arg(++ord).arg(v));
    }
    void exportQuery(const QString& where = "ORDER BY ord") {
        const QString select = kSelect + where;
        form->SQL->Lines().Assign(QStringList{select});
        form->BRefresh->Click();
        form->BExport->Click();
    }
    QStringList boxes() const { return testenv::Dialogs().boxTexts(); }
};

TEST_P(MultiFile, WorkedExampleThroughTheButtons) {
    rows({"'A1', 'x', 'A1.txt', 'A'", "'A1', 'O''Neil', 'A1.txt', 'A'", "'B2', 'z', 'B2.txt', 'B'"});
    form->SQL->Lines().Assign(QStringList{"-- comment lines go with the query",
                                          "SELECT code AS \"CODE\", name AS \"NAME\",", "fname, dir", "",
                                          "FROM t ORDER BY ord"});
    QTest::mouseClick(form->BRefresh->Button(), Qt::LeftButton);
    ASSERT_TRUE(form->Query->Active());
    QTest::mouseClick(form->BExport->Button(), Qt::LeftButton);

    EXPECT_EQ(FileBytes("c:\\Export\\A\\A1.txt"), "'CODE';'NAME'\r\n'A1';'x'\r\n'A1';'O''Neil'\r\n");
    EXPECT_EQ(FileBytes("c:\\Export\\B\\B2.txt"), "'CODE';'NAME'\r\n'B2';'z'\r\n");
    EXPECT_EQ(QDir(local("c:\\Export")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"A", "B"}));
    EXPECT_EQ(boxes(), QStringList({"Eksport zakonczyl sie"}));
    EXPECT_EQ(form->StatusBar->SimpleText(), "B2.txt");
    EXPECT_TRUE(form->Query->Eof());
    EXPECT_FALSE(form->Query->ControlsDisabled());

    // The export writes the opened query, not the text edited since.
    form->SQL->Lines().Assign(QStringList{"SELECT nothing FROM nowhere"});
    form->BExport->Click();
    EXPECT_EQ(FileBytes("c:\\Export\\B\\B2.txt"), "'CODE';'NAME'\r\n'B2';'z'\r\n");
    EXPECT_EQ(boxes().last(), "Eksport zakonczyl sie");
}

TEST_P(MultiFile, FileAndFolderComeFromTheFirstRowOfARunOnly) {
    // Letter case starts a new run; a group coming back replaces its file.
    rows({"'A', 'r1', 'a.txt', 'D1'", "'A', 'r2', 'other.txt', 'D2'", "'a', 'r3', 'low.txt', 'D1'",
          "'A', 'r4', 'a.txt', 'D1'"});
    set("code", "fname", "dir", "0", ",", "");
    exportQuery();
    EXPECT_EQ(FileBytes("c:\\Export\\D1\\a.txt"), "CODE,NAME,FNAME,DIR\r\nA,r4,a.txt,D1\r\n");
    EXPECT_EQ(FileBytes("c:\\Export\\D1\\low.txt"), "CODE,NAME,FNAME,DIR\r\na,r3,low.txt,D1\r\n");
    EXPECT_FALSE(FileExists("c:\\Export\\D2\\other.txt"));
    EXPECT_FALSE(QDir(local("c:\\Export\\D2")).exists());
}

TEST_P(MultiFile, GroupValuesCountUpTo255Characters) {
    src.exec("CREATE TABLE g (ord INTEGER, code VARCHAR(300), fname VARCHAR(20), dir VARCHAR(10))");
    const QString head(255, 'X');
    src.exec("INSERT INTO g VALUES (1, '" + head + "a', 'g.txt', 'D')");
    src.exec("INSERT INTO g VALUES (2, '" + head + "b', 'h.txt', 'D')");
    set("CODE", "FNAME", "DIR", "3", ";", "");
    form->SQL->Lines().Assign(QStringList{"SELECT ord AS \"ORD\", code, fname, dir FROM g ORDER BY ord"});
    form->BRefresh->Click();
    form->BExport->Click();
    EXPECT_EQ(FileBytes("c:\\Export\\D\\g.txt"), "ORD\r\n1\r\n2\r\n");
    EXPECT_FALSE(FileExists("c:\\Export\\D\\h.txt"));
}

TEST_P(MultiFile, ColumnsLeftOutSeparatorAndDelimiterRules) {
    rows({"'K', 'a\"b|c', 'f.txt', 'D'", "'K', NULL, 'f.txt', 'D'"});
    // N at or above the column count: only empty lines.
    set("CODE", "FNAME", "DIR", "4", "|", "\"");
    exportQuery();
    EXPECT_EQ(FileBytes("c:\\Export\\D\\f.txt"), "\r\n\r\n\r\n");
    // A delimiter of several characters wraps in its first one; an empty separator runs items together.
    set("CODE", "FNAME", "DIR", "2", "", "\"x");
    exportQuery();
    EXPECT_EQ(FileBytes("c:\\Export\\D\\f.txt"), "\"CODE\"\"NAME\"\r\n\"K\"\"a\"\"b|c\"\r\n\"K\"\"\"\r\n");
    // No delimiter: items bare, even with the separator inside.
    set("CODE", "FNAME", "DIR", "3", "|", "");
    exportQuery();
    EXPECT_EQ(FileBytes("c:\\Export\\D\\f.txt"), "CODE\r\nK\r\nK\r\n");
    EXPECT_EQ(form->QuoteFieldValue("O'Neil"), "O'Neil");
    form->EDelimiter->SetText("'");
    EXPECT_EQ(form->QuoteFieldValue("O'Neil"), "'O''Neil'");
    form->EDelimiter->SetText("ab");
    EXPECT_EQ(form->QuoteFieldValue("x"), "axa");
}

TEST_P(MultiFile, PathsAsWindowsWritesThem) {
    rows({"'A', 'x', 'sub\\f.txt', 'A'", "'B', 'y', 'g.txt', ''", "'C', 'z', 'up.txt', '..\\Export\\C'",
          "'D', 'w', 'd.txt', 'X'"});
    QDir().mkpath(local("c:\\Export\\A\\sub"));
    set("CODE", "FNAME", "DIR", "3", ";", "");
    exportQuery();
    // A backslash inside a value separates folders.
    EXPECT_EQ(FileBytes("c:\\Export\\A\\sub\\f.txt"), "CODE\r\nA\r\n");
    // An empty folder value names the base path itself.
    EXPECT_EQ(FileBytes("c:\\Export\\g.txt"), "CODE\r\nB\r\n");
    // A folder value that climbs out of the base folder and back into it stays inside.
    EXPECT_EQ(FileBytes("c:\\Export\\C\\up.txt"), "CODE\r\nC\r\n");

    // Without a trailing backslash the base path runs into the folder value.
    form->EPath->SetText("c:\\Export");
    exportQuery("WHERE code = 'D'");
    EXPECT_EQ(FileBytes("c:\\ExportX\\d.txt"), "CODE\r\nD\r\n");
    // A Linux path works as it stands.
    form->EPath->SetText(testenv::Root() + "/out");
    exportQuery("WHERE code = 'B'");
    EXPECT_EQ(FileBytes(testenv::Root() + "/out/g.txt"), "CODE\r\nB\r\n");
    EXPECT_EQ(boxes().last(), "Eksport zakonczyl sie");
}

// Folder and file names come from the data: none may lead outside the folder the base
// path names, whether by "..", an absolute path or a symbolic link. The export stops at
// such a row with an error naming the value and the row; nothing is made for that row
// and the files finished before it stay as written.
TEST_P(MultiFile, NamesFromTheDataCannotLeadOutsideTheBaseFolder) {
    const QString outside = QDir::cleanPath(testenv::Root() + "/../outside");
    QDir().mkpath(outside);
    testenv::WriteFile(outside + "/victim.txt", "mine");
    QDir().mkpath(local("c:\\Export\\In"));
    QFile::link(outside, local("c:\\Export\\Out"));
    QFile::link(local("c:\\Export\\In"), local("c:\\Export\\Link"));
    QDir().mkpath(local("c:\\Export\\F"));
    QFile::link(outside + "/victim.txt", local("c:\\Export\\F\\f.txt"));
    QFile::link(outside + "/new.txt", local("c:\\Export\\F\\dangling.txt"));
    struct Case {
        QString group, file, folder, leaving;
    };
    const QList<Case> cases = {
        {"'P'", "'.profile'", "'..\\..\\..\\..\\..\\..\\..\\..'", "..\\..\\..\\..\\..\\..\\..\\.."},
        {"'Q'", "'..\\..\\q.txt'", "'In'", "..\\..\\q.txt"},
        {"'R'", "'r.txt'", "'Out'", "Out"},
        {"'S'", "'f.txt'", "'F'", "f.txt"},
        {"'T'", "'dangling.txt'", "'F'", "dangling.txt"},
        {"'U'", "'u.txt'", "'In/../../..'", "In/../../.."},
    };
    rows({"'A', 'x', 'a.txt', 'In'", "'B', 'y', 'b.txt', 'Link'"});
    int ord = 10;
    for (const Case& c : cases)
        src.exec(
            QString("INSERT INTO t VALUES (%1, %2, 'v', %3, %4)").arg(++ord).arg(c.group, c.file, c.folder));
    set("CODE", "FNAME", "DIR", "2", ";", "");
    ord = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leaving.toStdString());
        // Two good runs first, then the bad one as the third row.
        exportQuery(QString("WHERE ord < 3 OR ord = %1 ORDER BY ord").arg(++ord));
        const QString box = boxes().last();
        EXPECT_TRUE(box.contains("Row 3") && box.contains('"' + c.leaving + '"')) << box.toStdString();
        EXPECT_FALSE(form->Query->ControlsDisabled());
        EXPECT_EQ(FileBytes("c:\\Export\\In\\a.txt"), "CODE;NAME\r\nA;x\r\n");
        // A link that stays inside the base folder is followed.
        EXPECT_EQ(FileBytes("c:\\Export\\In\\b.txt"), "CODE;NAME\r\nB;y\r\n");
    }
    EXPECT_EQ(testenv::ReadFile(outside + "/victim.txt"), "mine");
    EXPECT_EQ(QDir(outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"victim.txt"});
    EXPECT_FALSE(QFileInfo::exists(local("c:\\q.txt")));
    EXPECT_FALSE(QFileInfo::exists(local("c:\\Export\\In\\u.txt")));

    // An absolute folder value where the base path is empty (the current folder).
    form->EPath->SetText("");
    src.exec("INSERT INTO t VALUES (30, 'W', 'w', 'w.txt', '" + outside + "')");
    exportQuery("WHERE ord = 30");
    EXPECT_TRUE(boxes().last().contains(outside)) << boxes().last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(outside + "/w.txt"));
    // A subfolder of the current folder still works.
    src.exec("INSERT INTO t VALUES (31, 'V', 'v', 'v.txt', 'sub')");
    exportQuery("WHERE ord = 31");
    EXPECT_EQ(FileBytes(testenv::Root() + "/sub/v.txt"), "CODE;NAME\r\nV;v\r\n");
}

TEST_P(MultiFile, BadInputStopsWithTheErrorAndLeavesFinishedFilesAsWritten) {
    rows({"'A', 'x', 'a.txt', 'A'", "'B', 'y', 'b.txt', 'B'"});
    // A missing column: the error comes before any folder is made.
    set("CODE", "NOSUCH", "DIR", "2", ";", "");
    exportQuery();
    EXPECT_TRUE(boxes().last().contains("NOSUCH")) << boxes().last().toStdString();
    EXPECT_FALSE(QDir(local("c:\\Export\\A")).exists());
    EXPECT_FALSE(form->Query->ControlsDisabled());

    // N not a number: the first file exists and stays empty.
    set("CODE", "FNAME", "DIR", "two", ";", "");
    form->BExport->Click();
    EXPECT_TRUE(boxes().last().contains("two")) << boxes().last().toStdString();
    EXPECT_EQ(FileBytes("c:\\Export\\A\\a.txt"), "");
    EXPECT_FALSE(FileExists("c:\\Export\\B\\b.txt"));

    // A negative N asks for a column past the last one.
    form->EOrphColumns->SetText("-1");
    form->BExport->Click();
    EXPECT_TRUE(boxes().last().contains("index")) << boxes().last().toStdString();
    EXPECT_EQ(FileBytes("c:\\Export\\A\\a.txt"), "");

    // A folder whose parent is missing: the first file could not be opened.
    form->EOrphColumns->SetText("2");
    form->EPath->SetText("c:\\Missing\\");
    form->BExport->Click();
    EXPECT_TRUE(boxes().last().contains("Missing")) << boxes().last().toStdString();
    EXPECT_NE(boxes().last(), "Eksport zakonczyl sie");
    EXPECT_FALSE(form->Query->ControlsDisabled());
}

TEST_P(MultiFile, ACharacterTheCodePageLacksStopsTheExportAndKeepsWhatWasWritten) {
    rows({"'A', 'x', 'a.txt', 'A'", "'B', 'ok', 'b.txt', 'B'",
          "'B', '" + QString::fromUtf8("日本") + "', 'b.txt', 'B'", "'C', 'z', 'c.txt', 'C'"});
    set("CODE", "FNAME", "DIR", "2", ";", "");
    exportQuery();
    EXPECT_EQ(FileBytes("c:\\Export\\A\\a.txt"), "CODE;NAME\r\nA;x\r\n");
    // The file being written keeps its lines before the one that could not be written.
    EXPECT_EQ(FileBytes("c:\\Export\\B\\b.txt"), "CODE;NAME\r\nB;ok\r\n");
    EXPECT_FALSE(FileExists("c:\\Export\\C\\c.txt"));
    EXPECT_TRUE(boxes().last().contains("Windows-1250")) << boxes().last().toStdString();
    EXPECT_FALSE(form->Query->ControlsDisabled());
}

TEST_P(MultiFile, EmptyResultAndUnopenedQuery) {
    form->BExport->Click();
    EXPECT_TRUE(boxes().last().contains("closed dataset")) << boxes().last().toStdString();
    EXPECT_TRUE(QDir(local("c:\\Export")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    // No rows: the target is named from empty values and cannot be written.
    set("CODE", "FNAME", "DIR", "2", ";", "");
    exportQuery();
    EXPECT_TRUE(boxes().last().contains("Cannot")) << boxes().last().toStdString();
    EXPECT_NE(boxes().last(), "Eksport zakonczyl sie");
}

INSTANTIATE_TEST_SUITE_P(Backends, MultiFile, testing::Values(Backend::Sqlite, Backend::Postgres),
                         exporttest::ParamName);

TEST(MultiFileWindow, StartsWithTheDefaultsAndKeepsTheValuesOfItsLastClose) {
    Source src;
    testenv::Dialogs().onModal = [](QWidget*, const QString& name) {
        EXPECT_EQ(name, "FMultiFileEksport");
        TFMultiFileEksport* f = FMultiFileEksport;
        EXPECT_EQ(f->Caption(), "Multifile export - export data to many files");
        EXPECT_EQ(f->EGROUP->Text(), "NJS");
        EXPECT_EQ(f->EFILE->Text(), "NJS_TXT");
        EXPECT_EQ(f->EPath->Text(), "c:\\Export\\");
        EXPECT_EQ(f->EFOLDER->Text(), "FOLDER");
        EXPECT_EQ(f->EOrphColumns->Text(), "4");
        EXPECT_EQ(f->ESep->Text(), "|");
        EXPECT_EQ(f->EDelimiter->Text(), "\"");
        EXPECT_EQ(f->SQL->Lines().Count(), 41);
        EXPECT_EQ(f->SQL->Lines()[40], "");
        EXPECT_FALSE(f->Query->Active());
        f->EGROUP->SetText("KOD");
        f->SQL->Lines().Assign(QStringList{"select 1 as x"});
        // Esc closes the window.
        exporttest::PressEscape(f->EGROUP, f->EGROUP->LineEdit());
        EXPECT_FALSE(f->Visible());
        return 2;
    };
    ShowMultiFileEksport();
    EXPECT_EQ(FMultiFileEksport, nullptr);

    testenv::Dialogs().onModal = [](QWidget*, const QString&) {
        EXPECT_EQ(FMultiFileEksport->EGROUP->Text(), "KOD");
        EXPECT_EQ(FMultiFileEksport->SQL->Lines().Text(), "select 1 as x\r\n");
        EXPECT_EQ(FMultiFileEksport->EFILE->Text(), "NJS_TXT");
        return 2;
    };
    ShowMultiFileEksport();
}

}  // namespace
