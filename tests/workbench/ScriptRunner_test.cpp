#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/Dispatch.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

const QString kOver = QStringLiteral("Executing of the script is over");
const QString kStopped = QStringLiteral("Executing of the script has benn stopped due error");

// Every statement inserts a distinct power of two into "log", so the sum of "log"
// tells exactly which statements ran.
class ScriptRunner : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        wb_ = std::make_unique<Workbench>(GetParam());
        wb_->seed("CREATE TABLE log (n INTEGER)");
        wb_->connect();
        testenv::Dialogs().clear();
    }
    TFMain* m() const { return wb_->main(); }
    // Runs `script` as typed in the editor; returns the error memo's lines.
    QStringList run(const QString& script) {
        m()->EScript->SetText(script);
        m()->BExecSQLClick(nullptr);
        return m()->MErrorsAndWarnings->Lines().ToStringList();
    }
    QString sum() { return wb_->scalar("SELECT COALESCE(SUM(n), 0) FROM log"); }
    static QStringList boxes() { return testenv::Dialogs().boxTexts(); }
    static QStringList entries(const QStringList& memo) {
        return memo.filter(QRegularExpression("^Error: "));
    }

    std::unique_ptr<Workbench> wb_;
};

// How a script is cut into statements: `entry` is the one error entry expected (empty:
// none), `sum` tells which statements ran.
struct Cut {
    const char* what;
    QString script;
    QString entry;
    QString sum;
    QString box;
};

TEST_P(ScriptRunner, LinesAreCutIntoStatementsAsTyped) {
    const Cut cuts[] = {
        {"empty script", "", "", "0", kOver},
        {"single statement needs no semicolon", "INSERT INTO log\r\nVALUES (1)", "", "1", kOver},
        {"remark and prompt lines skipped in any case, also inside a statement",
         "REM first\nremarks;\nINSERT INTO log\nPrompt inside\nVALUES (1);\npromptly;\n"
         "rEm\nINSERT INTO log VALUES (2);\nPROMPT",
         "", "3", kOver},
        {"a blank before REM makes the line part of the statement",
         "INSERT INTO log VALUES (1)\n REM not a remark;\nINSERT INTO log VALUES (2);",
         "Error: \"INSERT INTO log VALUES (1)\",\" REM not a remark\"", "0", kStopped},
        {"a lone semicolon line is skipped", "INSERT INTO log\n;\nVALUES (1);\n;", "", "1", kOver},
        {"double slash and dash lines skipped, single ones kept",
         "// note\n-- note;\nINSERT INTO log VALUES (8\n/2\n-1);\n//x;", "", "3", kOver},
        {"a semicolon followed by a blank ends nothing",
         "INSERT INTO log VALUES (1); \nINSERT INTO log VALUES (2);",
         "Error: \"INSERT INTO log VALUES (1); \",\"INSERT INTO log VALUES (2)\"", "0", kStopped},
        {"two semicolons leave one on the statement",
         "INSERT INTO log VALUES (1);;\nINSERT INTO log VALUES (2);", "", "3", kOver},
        {"a statement with rows runs without an entry",
         "SELECT n FROM log;\nINSERT INTO log VALUES (1);\nSELECT 1", "", "1", kOver},
        {"lines reach the database ended by CR LF", "INSERT INTO log VALUES (LENGTH('a\nb'));", "", "4",
         kOver},
        {"long lines reach the database whole",
         "INSERT INTO log VALUES (LENGTH('" + QString(9000, QChar('x')) + "'));", "", "9000", kOver},
        {"stop on error ends the run after the first failure",
         "INSERT INTO log VALUES (1);\nINSERT INTO nowhere VALUES (2);\nINSERT INTO log VALUES (4);",
         "Error: \"INSERT INTO nowhere VALUES (2)\"", "1", kStopped},
        {"a failing final statement ends as over", "INSERT INTO log VALUES (1);\nBOGUS", "Error: BOGUS", "1",
         kOver},
        {"entries quote lines with blanks, quotes and commas", "SELECT \"a,b\",\tc FROM nowhere;",
         "Error: \"SELECT \"\"a,b\"\",\tc FROM nowhere\"", "0", kStopped},
    };
    for (const Cut& c : cuts) {
        SCOPED_TRACE(c.what);
        wb_->seed("DELETE FROM log");
        testenv::Dialogs().clear();
        const QStringList memo = run(c.script);
        if (c.entry.isEmpty()) {
            EXPECT_TRUE(memo.isEmpty()) << memo.join("|").left(200).toStdString();
        } else {
            EXPECT_EQ(entries(memo), QStringList({c.entry})) << memo.join("|").toStdString();
            ASSERT_GE(memo.size(), 2);
            EXPECT_FALSE(memo[1].isEmpty()) << "the database's message follows on the next line";
        }
        EXPECT_EQ(sum(), c.sum);
        ASSERT_EQ(boxes(), QStringList({c.box}));
        EXPECT_EQ(testenv::Dialogs().boxes[0].icon,
                  c.box == kOver ? platform::BoxIcon::Information : platform::BoxIcon::Error);
    }
}

TEST_P(ScriptRunner, BlankLinesAfterTheLastSemicolonAreExecutedAsAFinalStatement) {
    const QStringList memo = run("INSERT INTO log VALUES (1);\r\n\r\n\r\n");
    ASSERT_EQ(entries(memo).size(), 1) << memo.join("|").toStdString();
    EXPECT_EQ(memo[0], "Error: ,") << "two empty lines in comma form";
    EXPECT_EQ(sum(), "1");
    EXPECT_EQ(boxes(), QStringList({kOver})) << "the final statement never stops the run";

    const QStringList one = run("INSERT INTO log VALUES (2);\n\n");
    ASSERT_FALSE(one.isEmpty());
    EXPECT_EQ(one[0], "Error: \"\"") << "the memo was emptied first; one empty line";
}

TEST_P(ScriptRunner, WithoutStopOnErrorEveryStatementIsTried) {
    m()->ChStopOnError->SetChecked(false);
    const QStringList memo =
        run("BOGUS1;\nINSERT INTO log VALUES (1);\nBOGUS2;\nINSERT INTO nowhere\nVALUES (2);\nBOGUS3");
    EXPECT_EQ(entries(memo), QStringList({"Error: BOGUS1", "Error: BOGUS2",
                                          "Error: \"INSERT INTO nowhere\",\"VALUES (2)\"", "Error: BOGUS3"}));
    EXPECT_EQ(sum(), "1");
    EXPECT_EQ(boxes(), QStringList({kOver}));
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Information);
}

TEST_P(ScriptRunner, EachRunEmptiesTheMemoAndLeavesTheMainQueryClosedAndEmpty) {
    wb_->openMain("SELECT n FROM log");
    run("BOGUS;");
    EXPECT_FALSE(m()->MainQuery->Active());
    EXPECT_EQ(m()->MainQuery->SQL().Count(), 0);
    EXPECT_EQ(entries(run("INSERT INTO log VALUES (1)")).size(), 0);
}

TEST_P(ScriptRunner, RunsInsideTheOpenTransactionWithoutEndingIt) {
    m()->BStartTransactionClick(nullptr);
    run("INSERT INTO log VALUES (1);\nINSERT INTO log VALUES (2)");
    EXPECT_TRUE(m()->Database->InTransaction());
    m()->BRollbackClick(nullptr);
    EXPECT_EQ(sum(), "0");
}

// The database would read only up to a NUL and run the start of the statement.
TEST_P(ScriptRunner, AStatementHoldingANulIsAnErrorNamingItsLineAndNeverRuns) {
    m()->ChStopOnError->SetChecked(false);
    QString script =
        "INSERT INTO log VALUES (1);\nINSERT INTO log\nVALUES (2)#, (8);\nINSERT INTO log VALUES (4);";
    script[script.indexOf('#')] = QChar(u'\0');
    const QStringList memo = run(script);
    EXPECT_EQ(sum(), "5");
    ASSERT_EQ(entries(memo).size(), 1) << memo.join("|").toStdString();
    EXPECT_TRUE(memo.join("\n").contains("Line 3 holds a NUL character")) << memo.join("|").toStdString();
}

// Notes what a widget showed each time it was painted, and the cursor meanwhile.
struct PaintNotes : QObject {
    PaintNotes(QWidget* widget, std::function<QString()> shown) : shown_(std::move(shown)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            texts << shown_();
            const QCursor* c = QGuiApplication::overrideCursor();
            cursors << (c != nullptr ? c->shape() : Qt::ArrowCursor);
        }
        return false;
    }
    QStringList texts;
    QList<Qt::CursorShape> cursors;

  private:
    std::function<QString()> shown_;
};

// A run shows the busy cursor and, painted as it goes (no event is handled meanwhile),
// how many statements it has run and the error entries so far.
TEST_P(ScriptRunner, ARunShowsTheBusyCursorAndHowFarItHasGone) {
    m()->PageControl1->SetActivePage(m()->TabSheet1);
    auto* panel = m()->ScriptStatusBar->Widget()->findChild<QLabel*>("ScriptStatusBar_Panel3");
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel->window()));
    PaintNotes bar(panel, [panel] { return panel->text(); });
    QWidget* memo = m()->MErrorsAndWarnings->Editor()->viewport();
    PaintNotes errors(memo, [this] { return m()->MErrorsAndWarnings->Text(); });
    m()->ChStopOnError->SetChecked(false);
    run("INSERT INTO log VALUES (1);\nNO SUCH STATEMENT;\nINSERT INTO log VALUES (4);\nINSERT INTO log "
        "VALUES (8)");
    EXPECT_EQ(sum(), "13");
    ASSERT_FALSE(bar.texts.isEmpty());
    EXPECT_EQ(bar.texts.first(), "Statements run: 0");
    EXPECT_TRUE(bar.texts.contains("Statements run: 1")) << "painted after the first statement";
    EXPECT_EQ(bar.texts.last(), "Statements run: 4");
    for (const Qt::CursorShape c : bar.cursors) EXPECT_EQ(c, Qt::WaitCursor);
    ASSERT_FALSE(errors.texts.isEmpty());
    EXPECT_TRUE(errors.texts.last().startsWith("Error: ")) << "the entry shows before the run ends";
    EXPECT_EQ(panel->text(), "Statements run: 4");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(boxes(), QStringList({kOver}));
}

INSTANTIATE_TEST_SUITE_P(Backends, ScriptRunner, testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

TEST(ScriptRunnerSqlite, AFailingCommitIsEnteredWithoutQuotes) {
    Workbench wb(Backend::Sqlite);
    wb.connect();
    wb.main()->EScript->SetText("COMMIT;");
    wb.main()->BExecSQLClick(nullptr);
    const QStringList memo = wb.main()->MErrorsAndWarnings->Lines().ToStringList();
    ASSERT_EQ(memo.size(), 2);
    EXPECT_EQ(memo[0], "Error: COMMIT");
    EXPECT_TRUE(memo[1].contains("no transaction")) << memo[1].toStdString();
}

TEST(ScriptRunnerSqlite, WithoutAConnectionNothingRunsAndTheMemoStays) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    wb.main()->MErrorsAndWarnings->Lines().Add("from the last run");
    wb.main()->EScript->SetText("BOGUS");
    wb.main()->BExecSQLClick(nullptr);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Enter the database name"}));
    EXPECT_EQ(wb.main()->MErrorsAndWarnings->Lines().ToStringList(), QStringList({"from the last run"}));
}

}  // namespace
