#include <gtest/gtest.h>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Dispatch.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

QLineEdit* edit(TEdit* field) {
    return field->LineEdit();
}

// Gives the field the keyboard focus, as a click into it would.
void focus(TEdit* field) {
    field->SetFocus();
    ASSERT_EQ(field->LineEdit()->window()->focusWidget(), field->LineEdit());
}

// Empties the field with the flag cleared, then types `keys` into it.
void typeInto(TFMain* m, TEdit* field, const QString& keys) {
    focus(field);
    field->LineEdit()->clear();
    m->FSkipHint = false;
    QTest::keyClicks(edit(field), keys);
}

void pressEnter(TEdit* field) {
    focus(field);
    QTest::keyClick(edit(field), Qt::Key_Return);
}

// Runs `sql` from SQL1 as the user would: the text in the field, then Enter.
void runFromField(TFMain* m, TEdit* field, const QString& sql) {
    m->FSkipHint = true;  // a typed statement must not be completed here
    field->SetText(sql);
    m->FSkipHint = false;
    pressEnter(field);
}

const QRegularExpression kElapsed(QStringLiteral("^\\d+\\.\\d{5}$"));

// ---- running a statement -----------------------------------------------------------

class OneLineQuery : public wbtest::WorkbenchTest {};

// Notes the light's colour when the query opens, and may fail the open with an error
// that does not come from the database.
class OpenWatcher : public TDataSetObserver {
  public:
    explicit OpenWatcher(TFMain* m) : main_(m) {}
    void DataSetEvent(TDataSet*, TDataEvent event, int) override {
        if (event != TDataEvent::Opened) return;
        colourWhileOpening = main_->Light->BrushColor();
        if (fail) throw Exception(QStringLiteral("disk full"));
    }
    TColor colourWhileOpening = clWhite;
    bool fail = false;

  private:
    TFMain* main_;
};

TEST_P(OneLineQuery, EnterRunsTheFocusedFieldWithTheLightRedMeanwhile) {
    wb.seed("CREATE TABLE t (id INTEGER, name VARCHAR(10))");
    wb.seed("INSERT INTO t VALUES (1, 'a')");
    wb.seed("INSERT INTO t VALUES (2, 'b')");
    wb.show();
    wb.selectAlias();
    OpenWatcher watcher(m);
    m->MainQuery->AddObserver(&watcher);
    m->SQL1->SetText("SELECT name FROM t");
    m->SQL4->SetText("SELECT id, name FROM t ORDER BY id");
    pressEnter(m->SQL4);
    m->MainQuery->RemoveObserver(&watcher);

    ASSERT_TRUE(m->Database->Connected()) << "the first query connects";
    ASSERT_TRUE(m->MainQuery->Active());
    EXPECT_EQ(m->MainQuery->FieldCount(), 2) << "SQL4 ran, not SQL1";
    EXPECT_EQ(m->Grid->ColumnCount(), 2);
    EXPECT_EQ(m->MainQuery->FieldByName("NAME")->AsString(), "a");
    EXPECT_EQ(watcher.colourWhileOpening, clRed);
    EXPECT_EQ(m->Light->BrushColor(), clGreen);
    EXPECT_EQ(m->H->Lines().ToStringList(), QStringList({"SELECT id, name FROM t ORDER BY id"}));
    EXPECT_TRUE(kElapsed.match(m->StatusBar->PanelText(1)).hasMatch())
        << m->StatusBar->PanelText(1).toStdString();
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST_P(OneLineQuery, MouseClickOnTheDefaultButtonRunsNothing) {
    wb.connect();
    m->SQL2->SetText("SELECT 1");
    focus(m->SQL2);
    QTest::mouseClick(m->BWykonaj->Button(), Qt::LeftButton);
    EXPECT_FALSE(m->MainQuery->Active());
    EXPECT_EQ(m->H->Lines().Count(), 0);
    // Run straight from code while the button has the focus: still nothing.
    m->BWykonaj->SetFocus();
    m->BWykonajClick(m->BWykonaj);
    EXPECT_FALSE(m->MainQuery->Active());
    EXPECT_EQ(m->H->Lines().Count(), 0);
}

TEST_P(OneLineQuery, StatementsWithoutRowsAreExecutedAndAnsweredOk) {
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.seed("INSERT INTO t VALUES (1)");
    wb.connect();
    // An empty result writes the time without a message.
    runFromField(m, m->SQL1, "SELECT id FROM t WHERE id < 0");
    ASSERT_TRUE(m->MainQuery->Active());
    EXPECT_TRUE(m->MainQuery->IsEmpty());
    EXPECT_TRUE(kElapsed.match(m->StatusBar->PanelText(1)).hasMatch());
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    m->StatusBar->SetPanelText(1, "before");

    const QStringList statements = {"UPDATE t SET id = 5", "CREATE TABLE made_here (id INTEGER)",
                                    "INSERT INTO made_here VALUES (3)", "INSERT INTO made_here VALUES (4)",
                                    "DELETE FROM made_here WHERE id = 3"};
    for (const QString& sql : statements) runFromField(m, m->SQL2, sql);
    EXPECT_EQ(wb.scalar("SELECT id FROM t"), "5");
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM made_here"), "1");
    EXPECT_EQ(wb.scalar("SELECT id FROM made_here"), "4");
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList(statements.size(), "OK !"));
    EXPECT_EQ(testenv::Dialogs().boxes[0].caption, "Zorvantic");
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::None);
    EXPECT_EQ(m->H->Lines().ToStringList(), QStringList("SELECT id FROM t WHERE id < 0") + statements);
    EXPECT_EQ(m->Light->BrushColor(), clGreen);
    EXPECT_FALSE(m->MainQuery->Active()) << "the grid shows no rows";
    EXPECT_EQ(m->StatusBar->PanelText(1), "before");
}

TEST_P(OneLineQuery, DatabaseErrorIsShownAndKeptInTheHistory) {
    wb.connect();
    m->StatusBar->SetPanelText(1, "before");
    runFromField(m, m->SQL3, "SELECT * FROM no_such_table");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    const QString message = testenv::Dialogs().boxes[0].text;
    EXPECT_FALSE(message.isEmpty());
    EXPECT_NE(message, "OK !");
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::None);
    // A message of several lines (PostgreSQL points at the error) adds as many lines.
    const QStringList history = m->H->Lines().ToStringList();
    ASSERT_GE(history.size(), 2);
    EXPECT_EQ(history[0], "SELECT * FROM no_such_table");
    EXPECT_EQ(history.mid(1).join("\n"), QString(message).replace("\r\n", "\n"));
    EXPECT_EQ(m->Light->BrushColor(), clGreen);
    EXPECT_FALSE(m->MainQuery->Active());
    EXPECT_EQ(m->StatusBar->PanelText(1), "before");
}

TEST_P(OneLineQuery, OtherErrorLeavesTheLightRedAndReachesTheErrorBox) {
    wb.connect();
    OpenWatcher watcher(m);
    watcher.fail = true;
    m->MainQuery->AddObserver(&watcher);
    runFromField(m, m->SQL1, "SELECT 1");
    m->MainQuery->RemoveObserver(&watcher);
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 2u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].text, "Error different that EDataBaseError");
    EXPECT_EQ(testenv::Dialogs().boxes[1].icon, platform::BoxIcon::Error);
    EXPECT_TRUE(testenv::Dialogs().boxes[1].text.startsWith("disk full"));
    EXPECT_EQ(m->Light->BrushColor(), clRed);
    EXPECT_EQ(m->H->Lines().ToStringList(), QStringList({"SELECT 1"}));
}

TEST_P(OneLineQuery, WithoutAliasNothingRunsAndTheLightStaysAsItWas) {
    wb.show();
    runFromField(m, m->SQL1, "SELECT 1");
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Enter the database name"}));
    EXPECT_EQ(m->H->Lines().Count(), 0);
    EXPECT_EQ(m->Light->BrushColor(), clGreen);
    EXPECT_FALSE(m->MainQuery->Active());
}

TEST(OneLineQueryConnection, ConnectionThatCannotBeOpenedRunsNothingAndKeepsTheSuggestions) {
    Workbench wb(Backend::Sqlite);
    wb.seed("CREATE TABLE keep_me (x INTEGER)");
    wb.connect();
    TFMain* m = wb.main();
    ASSERT_TRUE(m->HINTS->Lines().ToStringList().contains("KEEP_ME"));
    // The alias now points at a folder, which no database can be opened in.
    testenv::WriteFile(testenv::Root() + "/../config/zorvantic/aliases.conf",
                       "[TEST]\nTYPE=SQLITE\nPATH=" + testenv::Root().toUtf8() + "\n");
    Dispatch([&] { m->BConnectClick(nullptr); });
    EXPECT_FALSE(m->Database->Connected());
    EXPECT_TRUE(m->HINTS->Lines().ToStringList().contains("KEEP_ME"));

    m->StatusBar->SetPanelText(1, "before");
    runFromField(m, m->SQL1, "SELECT 1");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 2u);
    EXPECT_EQ(testenv::Dialogs().boxes[1].icon, platform::BoxIcon::Error);
    EXPECT_FALSE(m->Database->Connected());
    EXPECT_EQ(m->H->Lines().Count(), 0);
    EXPECT_EQ(m->Light->BrushColor(), clGreen);
    EXPECT_FALSE(m->MainQuery->Active());
    EXPECT_EQ(m->StatusBar->PanelText(1), "before");
}

TEST_P(OneLineQuery, LongResultIsShownWithoutFetchingEveryRow) {
    wb.seed("CREATE TABLE t (id INTEGER)");
    if (GetParam() == Backend::Postgres)
        wb.seed("INSERT INTO t SELECT g FROM generate_series(1, 20000) AS g");
    else
        wb.seed(
            "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 20000) "
            "INSERT INTO t SELECT n FROM s");
    wb.connect();
    runFromField(m, m->SQL1, "SELECT id FROM t");
    ASSERT_TRUE(m->MainQuery->Active());
    EXPECT_FALSE(m->MainQuery->AllFetched());
    EXPECT_LT(m->MainQuery->FetchedCount(), 20000);
}

INSTANTIATE_TEST_SUITE_P(Backends, OneLineQuery, testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

// ---- abbreviations and completion (no database involved) ---------------------------

class QueryFieldTyping : public ::testing::Test {
  protected:
    void SetUp() override {
        wb.show();
        m->HINTS->SetText("DEPT\r\nemployees_lower\r\nEMPLOYEES\r\nEMP\r\nEMPLOYEES.ID\r\n");
    }
    Workbench wb{Backend::Sqlite};
    TFMain* m = wb.main();
};

TEST_F(QueryFieldTyping, LeadingAbbreviationsExpandWithTheirBlankKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"s ", "SELECT * FROM  "},
        {"sc ", "SELECT COUNT(*) FROM  "},
        {"Sd ", "SELECT DISTINCT * FROM  "},
        {"u ", "UPDATE  SET  "},
        {"D ", "DELETE FROM  WHERE  "},
        {"i ", "INSERT INTO  VALUES  "},
        {"s x", "SELECT * FROM  x"},
        // Elsewhere than at the start an abbreviation is left alone.
        {"x s ", "x s "},
        {"ss ", "ss "},
    };
    for (const auto& [keys, expected] : cases) {
        typeInto(m, m->SQL1, keys);
        EXPECT_EQ(m->SQL1->Text(), expected) << keys;
        if (QString(keys).endsWith(' ')) {
            EXPECT_EQ(edit(m->SQL1)->cursorPosition(), QString(expected).size()) << keys;
            EXPECT_FALSE(edit(m->SQL1)->hasSelectedText()) << keys;
        }
    }
}

TEST_F(QueryFieldTyping, LastWordIsCompletedAndTheRestSelected) {
    typeInto(m, m->SQL1, "select * from e");
    EXPECT_EQ(m->SQL1->Text(), "select * from eMPLOYEES");
    EXPECT_EQ(edit(m->SQL1)->selectedText(), "MPLOYEES");
    EXPECT_EQ(edit(m->SQL1)->selectionStart(), 15);
    EXPECT_EQ(m->TABELA->Caption(), "MPLOYEES");
    EXPECT_FALSE(m->FSkipHint) << "the appended rest cleared the flag";

    QTest::keyClicks(edit(m->SQL1), "m");
    EXPECT_EQ(m->SQL1->Text(), "select * from emPLOYEES");
    EXPECT_EQ(edit(m->SQL1)->selectedText(), "PLOYEES");

    // A suggestion equal to the word: its empty rest appends nothing.
    m->HINTS->SetText("EMP\r\nEMPLOYEES\r\n");
    typeInto(m, m->SQL1, "x emp");
    EXPECT_EQ(m->SQL1->Text(), "x emp");
    EXPECT_FALSE(edit(m->SQL1)->hasSelectedText());
    EXPECT_EQ(m->TABELA->Caption(), "");

    // The whole text is the word when it holds no blank; a point is part of the word.
    m->HINTS->SetText("EMPLOYEES\r\nEMPLOYEES.ID\r\n");
    typeInto(m, m->SQL1, "employees.");
    EXPECT_EQ(m->SQL1->Text(), "employees.ID");
    EXPECT_EQ(edit(m->SQL1)->selectedText(), "ID");
}

TEST_F(QueryFieldTyping, NothingIsCompletedAfterABlankOrFromLowerCaseLines) {
    m->HINTS->SetText("employees\r\n");
    typeInto(m, m->SQL1, "x e");
    EXPECT_EQ(m->SQL1->Text(), "x e");
    EXPECT_EQ(m->TABELA->Caption(), "");
    m->HINTS->SetText("EMPLOYEES\r\n");
    typeInto(m, m->SQL1, "x e ");
    EXPECT_EQ(m->SQL1->Text(), "x e ") << "the blank replaced the selected rest";
}

TEST_F(QueryFieldTyping, BackspaceOrDeleteRemovesTheCompletionAndInsertPutsItBack) {
    typeInto(m, m->SQL1, "select * from e");
    ASSERT_EQ(m->SQL1->Text(), "select * from eMPLOYEES");
    QTest::keyClick(edit(m->SQL1), Qt::Key_Backspace);
    EXPECT_EQ(m->SQL1->Text(), "select * from e");
    EXPECT_FALSE(m->FSkipHint);
    EXPECT_EQ(m->TABELA->Caption(), "MPLOYEES") << "a skipped change keeps the remainder";

    QTest::keyClick(edit(m->SQL1), Qt::Key_Insert);
    EXPECT_EQ(m->SQL1->Text(), "select * from eMPLOYEES");
    EXPECT_FALSE(edit(m->SQL1)->hasSelectedText());
    EXPECT_EQ(m->TABELA->Caption(), "") << "the change after Insert completed anew, with nothing left";

    // Insert with no remainder changes nothing.
    QTest::keyClick(edit(m->SQL1), Qt::Key_Insert);
    EXPECT_EQ(m->SQL1->Text(), "select * from eMPLOYEES");

    // Delete of the selected rest does not complete again either.
    typeInto(m, m->SQL3, "x d");
    ASSERT_EQ(m->SQL3->Text(), "x dEPT");
    QTest::keyClick(edit(m->SQL3), Qt::Key_Delete);
    EXPECT_EQ(m->SQL3->Text(), "x d");
    QTest::keyClick(edit(m->SQL3), Qt::Key_Insert);
    EXPECT_EQ(m->SQL3->Text(), "x dEPT");
}

TEST_F(QueryFieldTyping, DeletionThatChangesNothingLeavesTheFlagForTheNextChangeOfAnyField) {
    m->EUserName->SetFocus();
    QTest::keyClick(m->EUserName->LineEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(m->FSkipHint) << "only the query fields set it";

    typeInto(m, m->SQL1, "ab");
    edit(m->SQL1)->setCursorPosition(0);
    QTest::keyClick(edit(m->SQL1), Qt::Key_Backspace);
    EXPECT_EQ(m->SQL1->Text(), "ab");
    EXPECT_TRUE(m->FSkipHint);

    focus(m->SQL5);
    edit(m->SQL5)->clear();  // this change is the skipped one
    EXPECT_FALSE(m->FSkipHint);
    QTest::keyClicks(edit(m->SQL5), "e");
    EXPECT_EQ(m->SQL5->Text(), "eMPLOYEES");

    m->SQL6->SetText("");
    typeInto(m, m->SQL2, "cd");
    QTest::keyClick(edit(m->SQL2), Qt::Key_Delete);  // caret at the end
    EXPECT_EQ(m->SQL2->Text(), "cd");
    EXPECT_TRUE(m->FSkipHint);
    focus(m->SQL6);
    QTest::keyClicks(edit(m->SQL6), "e");
    EXPECT_EQ(m->SQL6->Text(), "e");
    QTest::keyClicks(edit(m->SQL6), "m");
    EXPECT_EQ(m->SQL6->Text(), "emPLOYEES");
}

TEST_F(QueryFieldTyping, ExpansionRunsTheHandlerAgainOnTheExpandedText) {
    // A pasted text: the nested change completes the word, then the expansion puts the
    // caret at the end, so nothing stays selected.
    focus(m->SQL1);
    m->SQL1->SetText("s emp");
    EXPECT_EQ(m->SQL1->Text(), "SELECT * FROM  empLOYEES");
    EXPECT_FALSE(edit(m->SQL1)->hasSelectedText());
    EXPECT_EQ(edit(m->SQL1)->cursorPosition(), m->SQL1->Text().size());
    EXPECT_EQ(m->TABELA->Caption(), "");
    EXPECT_FALSE(m->FSkipHint);
}

// ---- elapsed time --------------------------------------------------------------------

TEST(FormatElapsed, HundredthsOfAMinuteWithFiveDecimalsAndAPoint) {
    constexpr long double kSecond = 1.0L / 86400.0L;
    EXPECT_EQ(TFMain::FormatElapsed(0), "0.00000");
    EXPECT_EQ(TFMain::FormatElapsed(kSecond), "1.66667");
    EXPECT_EQ(TFMain::FormatElapsed(kSecond / 1000), "0.00167");
    EXPECT_EQ(TFMain::FormatElapsed(60 * kSecond), "100.00000");
    EXPECT_EQ(TFMain::FormatElapsed(1.0L), "144000.00000");
    EXPECT_EQ(TFMain::FormatElapsed(-kSecond), "-1.66667");
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    EXPECT_EQ(TFMain::FormatElapsed(2.5L * kSecond), "4.16667");
    QLocale::setDefault(QLocale::c());
}

}  // namespace
