#include <gtest/gtest.h>
#include <QDir>
#include <QTest>

#include "ExportTestSupport.h"
#include "db/Catalog.h"
#include "db/Query.h"
#include "export/SuperUnion.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "platform/Paths.h"

using exporttest::Backend;
using exporttest::FileBytes;
using exporttest::Source;

namespace {

class Union : public exporttest::WindowTest<TFSuperUnion> {
  protected:
    Union() {
        src.exec("CREATE TABLE a (id INTEGER, name VARCHAR(20))");
        src.exec("INSERT INTO a VALUES (1, 'first')");
        src.exec("CREATE TABLE b (id INTEGER, price INTEGER)");
        src.exec("INSERT INTO b VALUES (7, 12)");
        form->TableItems->SetDatabaseName("X");
        form->Query->SetDatabaseName("X");
    }
    QStringList columns() const { return form->MColumns->Lines().ToStringList(); }
    QStringList boxes() const { return testenv::Dialogs().boxTexts(); }
};

TEST_P(Union, WorkedExampleThroughTheButtons) {
    form->MTables->Lines().Assign(QStringList{"a", "b"});
    QTest::mouseClick(form->BRefresh->Button(), Qt::LeftButton);
    EXPECT_EQ(columns(), QStringList({"id", "name", "price"}));
    QTest::mouseClick(form->BRefresh->Button(), Qt::LeftButton);
    EXPECT_EQ(columns(), QStringList({"id", "name", "price"}));
    QTest::mouseClick(form->BExport->Button(), Qt::LeftButton);
    EXPECT_EQ(FileBytes("c:\\superunion.csv"),
              "\"TABLE\",\"id\",\"name\",\"price\"\r\n"
              "\"a\",\"1\",\"first\",\"\"\r\n"
              "\"b\",\"7\",\"\",\"12\"\r\n");
    EXPECT_EQ(boxes(), QStringList({"Export finished"}));
    EXPECT_EQ(form->Panel->Caption(), "");
}

TEST_P(Union, TheColumnsAreTheUsersLines) {
    src.exec("CREATE TABLE q (id INTEGER, note VARCHAR(20))");
    src.exec("INSERT INTO q VALUES (5, 'say \"hi\", ok\nnext')");
    form->MTables->Lines().Assign(QStringList{"q"});
    // A name typed twice gives two header cells, only the first filled; a name no table
    // has stays empty; letter case tells columns apart; a deleted column is not written.
    form->MColumns->Lines().Assign(QStringList{"ID", "id", "extra", "id"});
    form->BExport->Click();
    EXPECT_EQ(FileBytes("c:\\superunion.csv"),
              "\"TABLE\",\"ID\",\"id\",\"extra\",\"id\"\r\n"
              "\"q\",\"\",\"5\",\"\",\"\"\r\n");
    // No union column: the table cell and a comma.
    form->MColumns->Lines().Clear();
    form->MTables->Lines().Assign(QStringList{"q", "a"});
    form->BExport->Click();
    EXPECT_EQ(FileBytes("c:\\superunion.csv"), "\"TABLE\",\r\n\"q\",\r\n\"a\",\r\n");
    form->MColumns->Lines().Assign(QStringList{"note"});
    form->MTables->Lines().Assign(QStringList{"q"});
    form->BExport->Click();
    EXPECT_EQ(FileBytes("c:\\superunion.csv"),
              "\"TABLE\",\"note\"\r\n\"q\",\"say \"\"hi\"\", ok\nnext\"\r\n");
}

TEST_P(Union, AFailingTableIsReportedAndTheNextOneFollows) {
    src.exec("CREATE TABLE w (id INTEGER, name VARCHAR(20))");
    src.exec("INSERT INTO w VALUES (1, 'kept')");
    src.exec("INSERT INTO w VALUES (2, '" + QString::fromUtf8("日本") + "')");
    src.exec("INSERT INTO w VALUES (3, 'after')");
    form->MTables->Lines().Assign(QStringList{"a", "missing", "w", "b"});
    form->BRefresh->Click();
    EXPECT_EQ(columns(), QStringList({"id", "name", "price"}));
    EXPECT_EQ(boxes(), QStringList({"Error durning trying read columns. Table:missing"}));
    form->BExport->Click();
    // A value the file cannot hold is named with its column and row, like every export's.
    EXPECT_EQ(boxes().mid(1), QStringList({"Error durning trying read records. Table:missing",
                                           "Error durning trying read records. Table:w\nCannot write file "
                                           "\"c:\\superunion.csv\": the character \"" +
                                               QString::fromUtf8("日") +
                                               "\" in column \"name\", row 2 cannot be saved in Windows-1250",
                                           "Export finished"}));
    // The rows of w before the one that cannot be written stay.
    const QByteArray file = FileBytes("c:\\superunion.csv");
    EXPECT_EQ(file,
              "\"TABLE\",\"id\",\"name\",\"price\"\r\n"
              "\"a\",\"1\",\"first\",\"\"\r\n"
              "\"w\",\"1\",\"kept\",\"\"\r\n"
              "\"b\",\"7\",\"\",\"12\"\r\n");
}

TEST_P(Union, ExportingShowsTheBusyCursor) {
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    exporttest::CursorAtPaint panel(form->Panel->Widget());
    form->MTables->Lines().Assign(QStringList{"a", "b"});
    form->BRefresh->Click();
    EXPECT_EQ(columns(), QStringList({"id", "name", "price"}));
    form->BExport->Click();
    EXPECT_EQ(panel.shapes, QList<Qt::CursorShape>(3, Qt::WaitCursor));
    EXPECT_EQ(boxes(), QStringList({"Export finished"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_P(Union, AnUnwritableCaptionOrTableNameIsNamed) {
    // A caption the file cannot hold stops the export before any row, naming it.
    form->MTables->Lines().Assign(QStringList{"a"});
    form->MColumns->Lines().Assign(QStringList{"id", QString::fromUtf8("имя")});
    form->BExport->Click();
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(
        boxes()[0].contains(QString::fromUtf8("the character \"и\" in the caption of column \"имя\"")))
        << boxes()[0].toStdString();
    EXPECT_EQ(FileBytes("c:\\superunion.csv"), "");

    // A table name it cannot hold fails that table at its first row; the next one follows.
    const QString odd = QString::fromUtf8("\"ж\"");
    src.exec("CREATE TABLE " + odd + " (id INTEGER)");
    src.exec("INSERT INTO " + odd + " VALUES (3)");
    form->MTables->Lines().Assign(QStringList{odd, "a"});
    form->MColumns->Lines().Assign(QStringList{"id"});
    testenv::Dialogs().clear();
    form->BExport->Click();
    ASSERT_EQ(boxes().size(), 2);
    EXPECT_TRUE(
        boxes()[0].endsWith(QString::fromUtf8("the character \"ж\" in the table name cannot be saved in "
                                              "Windows-1250")))
        << boxes()[0].toStdString();
    EXPECT_EQ(FileBytes("c:\\superunion.csv"), "\"TABLE\",\"id\"\r\n\"a\",\"1\"\r\n");
}

// A line names a table: one whose name holds SQL is read as that table, never run.
TEST_P(Union, ALineIsATableNameNeverSql) {
    const QString trap = "a where 0 union all select 4242, '1' order by 1 desc";
    src.exec("CREATE TABLE \"" + trap + "\" (id INTEGER, \"it's\" VARCHAR(5))");
    src.exec("INSERT INTO \"" + trap + "\" VALUES (3, 'x')");
    form->MTables->Lines().Assign(QStringList{trap.toUpper(), "a where 1 = 1", "\"b\""});
    form->BRefresh->Click();
    EXPECT_EQ(columns(), QStringList({"id", "it's", "price"}));
    form->MTables->Lines().Assign(QStringList{trap.toUpper(), "a where 1 = 1"});
    form->MColumns->Lines().Assign(QStringList{"id", "it's"});
    form->BExport->Click();
    EXPECT_EQ(FileBytes("c:\\superunion.csv"),
              "\"TABLE\",\"id\",\"it's\"\r\n\"" + trap.toUpper().toUtf8() + "\",\"3\",\"x\"\r\n");
    EXPECT_EQ(boxes(),
              QStringList({"Error durning trying read columns. Table:a where 1 = 1",
                           "Error durning trying read records. Table:a where 1 = 1", "Export finished"}));
}

TEST(UnionHostileName, ATableNamedLikeAConditionRunsNothing) {
    Source src(Backend::Postgres);
    exporttest::HostileName hostile(src);
    ASSERT_FALSE(hostile.roleIsSuperuser());
    TStringList tables;
    tables.Add(hostile.name.toUpper());
    tables.Add(hostile.name);
    testenv::Dialogs().onModal = [](QWidget*, const QString&) {
        FSuperUnion->BRefresh->Click();
        FSuperUnion->BExport->Click();
        return 2;
    };
    ShowSuperUnion("X", tables);
    EXPECT_FALSE(hostile.roleIsSuperuser());
    EXPECT_EQ(
        FileBytes("c:\\superunion.csv"),
        "\"TABLE\",\"id\"\r\n\"T WHERE EVIL() IS NOT NULL\",\"1\"\r\n\"T WHERE EVIL() IS NOT NULL\",\"2\"\r\n"
        "\"t where evil() is not null\",\"1\"\r\n\"t where evil() is not null\",\"2\"\r\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, Union, testing::Values(Backend::Sqlite, Backend::Postgres),
                         exporttest::ParamName);

TEST(UnionWindow, ManyColumnsAnEmptyListAndAnUnwritableFile) {
    Source src;
    TStringList tables;
    testenv::Dialogs().onModal = [](QWidget*, const QString& name) {
        EXPECT_EQ(name, "FSuperUnion");
        TFSuperUnion* f = FSuperUnion;
        EXPECT_EQ(f->Caption(), "Super union");
        f->BRefresh->Click();
        EXPECT_EQ(f->MColumns->Lines().Count(), 0);
        f->BExport->Click();
        EXPECT_EQ(FileBytes("c:\\superunion.csv"), "\"TABLE\",\r\n");

        // No fixed limit on the union's width.
        QStringList many;
        QByteArray header = "\"TABLE\"";
        for (int i = 0; i < 1500; ++i) {
            many << QString("c%1").arg(i);
            header += ",\"c" + QByteArray::number(i) + "\"";
        }
        f->MColumns->Lines().Assign(many);
        f->BExport->Click();
        EXPECT_EQ(FileBytes("c:\\superunion.csv"), header + "\r\n");

        // A file that cannot be made: the error, nothing after it.
        QFile::remove(platform::MapPath("c:\\superunion.csv"));
        QDir().mkpath(platform::MapPath("c:\\superunion.csv"));
        testenv::Dialogs().clear();
        f->BExport->Click();
        EXPECT_EQ(testenv::Dialogs().boxTexts().size(), 1);
        EXPECT_TRUE(testenv::Dialogs().boxTexts().value(0).contains("superunion.csv"));

        exporttest::PressEscape(f->MTables, f->MTables->Editor());
        EXPECT_FALSE(f->Visible());
        return 2;
    };
    ShowSuperUnion("X", tables);
    EXPECT_EQ(FSuperUnion, nullptr);
}

}  // namespace
