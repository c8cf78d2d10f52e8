#include <gtest/gtest.h>
#include <QTest>

#include "ExportTestSupport.h"
#include "db/Field.h"
#include "db/Query.h"
#include "export/CountRecords.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

using exporttest::Backend;
using exporttest::Source;

namespace {

class Counter : public exporttest::WindowTest<TFCountRecords> {
  protected:
    Counter() {
        src.exec("CREATE TABLE a (id INTEGER, kind VARCHAR(5))");
        src.exec("INSERT INTO a VALUES (1, 'x')");
        src.exec("INSERT INTO a VALUES (2, 'y')");
        src.exec("INSERT INTO a VALUES (3, 'x')");
        src.exec("CREATE TABLE c (id INTEGER)");
        form->Query->SetDatabaseName("X");
    }
    QStringList results() const { return form->MResults->Lines().ToStringList(); }
};

TEST_P(Counter, CountsEveryLineAndMarksTheFailuresThroughTheButton) {
    form->MTables->Lines().Assign(QStringList{"a", "b", "", "c"});
    QTest::mouseClick(form->BitBtn1->Button(), Qt::LeftButton);
    EXPECT_EQ(results(), QStringList({"a\t3", "b\tunkown", "\tunkown", "c\t0"}));
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
    EXPECT_EQ(form->Panel1->Caption(), "");
    // A second run gives the same lines once.
    QTest::mouseClick(form->BitBtn1->Button(), Qt::LeftButton);
    EXPECT_EQ(results(), QStringList({"a\t3", "b\tunkown", "\tunkown", "c\t0"}));
}

TEST_P(Counter, CountingShowsTheBusyCursor) {
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    exporttest::CursorAtPaint panel(form->Panel1->Widget());
    form->MTables->Lines().Assign(QStringList{"a", "c"});
    form->BitBtn1->Click();
    EXPECT_EQ(results(), QStringList({"a\t3", "c\t0"}));
    // The panel shows each table as it is counted, and once more emptied at the end.
    EXPECT_EQ(panel.shapes, QList<Qt::CursorShape>(3, Qt::WaitCursor));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_P(Counter, TheConditionGoesToEveryTable) {
    form->MTables->Lines().Assign(QStringList{"a", "c"});
    form->AdditionalCondition->SetText("  kind = 'x'  ");
    form->BitBtn1->Click();
    EXPECT_EQ(results(), QStringList({"a\t2", "c\tunkown"}));
    EXPECT_EQ(form->Query->SQL().ToStringList(),
              QStringList({"Select count(*) from c", "WHERE   kind = 'x'  "}));
    // Blanks alone add no condition.
    form->AdditionalCondition->SetText("   ");
    form->BitBtn1->Click();
    EXPECT_EQ(results(), QStringList({"a\t3", "c\t0"}));
    EXPECT_EQ(form->Query->SQL().ToStringList(), QStringList({"Select count(*) from c"}));
}

// A table whose name holds SQL, beside the table the SQL would read: counted as the table
// it names, letter case as the suggestion list gives it or as the catalogue spells it.
TEST_P(Counter, ALineIsATableNameNeverSql) {
    const QString trap = "A where 0 union all select 4242 order by 1 desc";
    src.exec("CREATE TABLE \"" + trap + "\" (id INTEGER)");
    src.exec("INSERT INTO \"" + trap + "\" VALUES (1)");
    src.exec("CREATE TABLE \"it's \"\"odd\"\"\" (id INTEGER)");
    src.exec("CREATE TABLE \"select\" (id INTEGER)");
    QString schema = "main";
    if (GetParam() == Backend::Postgres) {
        src.open("SELECT current_schema()");
        schema = src.query()->Fields(0)->AsString();
    }
    const QStringList lines{trap, trap.toUpper(), "it's \"odd\"", "SELECT",          "a where 1 = 1",
                            "A",  "a;",           schema + ".a",  schema + ".\"a\"", "nobody.a"};
    form->MTables->Lines().Assign(lines);
    form->BitBtn1->Click();
    EXPECT_EQ(results(), QStringList({trap + "\t1", trap.toUpper() + "\t1", "it's \"odd\"\t0", "SELECT\t0",
                                      "a where 1 = 1\tunkown", "A\t3", "a;\tunkown", lines[7] + "\t3",
                                      lines[8] + "\t3", "nobody.a\tunkown"}));
    // The condition stays the user's own SQL.
    form->MTables->Lines().Assign(QStringList{trap});
    form->AdditionalCondition->SetText("id > 0 and 1 = 1");
    form->BitBtn1->Click();
    EXPECT_EQ(results(), QStringList({trap + "\t1"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, Counter, testing::Values(Backend::Sqlite, Backend::Postgres),
                         exporttest::ParamName);

TEST(CounterHostileName, ATableNamedLikeAConditionRunsNothing) {
    Source src(Backend::Postgres);
    exporttest::HostileName hostile(src);
    ASSERT_FALSE(hostile.roleIsSuperuser());
    TStringList tables;
    tables.Add(hostile.name);
    tables.Add(hostile.name.toUpper());
    testenv::Dialogs().onModal = [](QWidget*, const QString&) {
        FCountRecords->BitBtn1->Click();
        EXPECT_EQ(FCountRecords->MResults->Lines().ToStringList(),
                  QStringList({"t where evil() is not null\t2", "T WHERE EVIL() IS NOT NULL\t2"}));
        return 2;
    };
    ShowCountRecords("X", tables);
    EXPECT_FALSE(hostile.roleIsSuperuser());
}

TEST(CounterWindow, ListsAreCutAndTheWindowGoesAfterItsRun) {
    Source src;
    TStringList tables;
    tables.Add("");
    tables.Add(QString(300, 'T'));
    testenv::Dialogs().onModal = [](QWidget*, const QString& name) {
        EXPECT_EQ(name, "FCountRecords");
        TFCountRecords* f = FCountRecords;
        EXPECT_EQ(f->Caption(), "Count number of records in tables");
        EXPECT_EQ(f->MTables->Lines().Count(), 2);
        f->BitBtn1->Click();
        const QStringList lines = f->MResults->Lines().ToStringList();
        EXPECT_EQ(lines.size(), 2);
        EXPECT_EQ(lines.value(0), "\tunkown");
        EXPECT_EQ(lines.value(1), QString(255, 'T'));
        EXPECT_EQ(f->Query->SQL()[0], ("Select count(*) from " + QString(255, 'T')).left(255));
        // Esc is the Cancel button.
        exporttest::PressEscape(f->AdditionalCondition, f->AdditionalCondition->LineEdit());
        EXPECT_FALSE(f->Visible());
        return 2;
    };
    ShowCountRecords("X", tables);
    EXPECT_EQ(FCountRecords, nullptr);

    // An empty list: nothing to count, nothing shown.
    testenv::Dialogs().onModal = [](QWidget*, const QString&) {
        FCountRecords->MResults->Lines().Add("old");
        FCountRecords->BitBtn1->Click();
        EXPECT_EQ(FCountRecords->MResults->Lines().Count(), 0);
        return 2;
    };
    ShowCountRecords("X", TStringList());
}

}  // namespace
