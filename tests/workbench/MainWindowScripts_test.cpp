#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <functional>

#include "WorkbenchFixture.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/Dispatch.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/Codepage.h"
#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

const QString kNoName = QStringLiteral("c:\\noname.sql");
const QString kQuestion = QStringLiteral("Do you wish save file c:\\noname.sql ?");

QString onDisk(const QString& windowsName) {
    return platform::MapPath(windowsName);
}
QByteArray bytesOf(const QString& windowsName) {
    QFile f(onDisk(windowsName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void writeWindowsFile(const QString& windowsName, const QByteArray& bytes) {
    testenv::WriteFile(onDisk(windowsName), bytes);
}

// A shown main window with a new script; the dialogs start with a clean record.
class ScriptPage : public ::testing::Test {
  protected:
    void SetUp() override {
        wb_.show();
        testenv::Dialogs().clear();
    }
    TFMain* m() const { return wb_.main(); }
    // Text as the user types it: the editor's modified mark comes on.
    void type(const QString& line) { m()->EScript->Lines().Add(line); }
    bool scriptOpen() const {
        for (TControl* c :
             std::initializer_list<TControl*>{m()->BSave, m()->BExecSQL, m()->BSaveAs, m()->BZamknij,
                                              m()->EScript, m()->AssistMemo, m()->MErrorsAndWarnings})
            if (!c->Enabled()) return false;
        return true;
    }
    bool scriptClosed() const {
        for (TControl* c :
             std::initializer_list<TControl*>{m()->BSave, m()->BExecSQL, m()->BSaveAs, m()->BZamknij,
                                              m()->EScript, m()->AssistMemo, m()->MErrorsAndWarnings})
            if (c->Enabled()) return false;
        return m()->BNew->Enabled() && m()->Bload->Enabled() && m()->BNotePad->Enabled();
    }
    static platform::ScriptedDialogs& dialogs() { return testenv::Dialogs(); }

    Workbench wb_{Backend::Sqlite};
};

TEST_F(ScriptPage, TheFirstShowOpensANewEmptyUnmodifiedScript) {
    EXPECT_EQ(m()->LFileName->Caption(), kNoName);
    EXPECT_EQ(m()->OpenDialog1->FileName(), kNoName);
    EXPECT_EQ(m()->EScript->Lines().Count(), 0);
    EXPECT_FALSE(m()->EScript->Modified());
    EXPECT_TRUE(scriptOpen());
    EXPECT_TRUE(dialogs().boxes.empty());
}

TEST_F(ScriptPage, TheSaveQuestionIsAPlainYesNoCancelBoxAndYesSavesThenGoesOn) {
    type("select 1;");
    dialogs().answers = {platform::IDYES};
    m()->BNewClick(nullptr);
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    const platform::MessageBoxRequest& box = dialogs().boxes[0];
    EXPECT_EQ(box.text, kQuestion);
    EXPECT_EQ(box.caption, "Zorvantic") << "the application title, as every box carries";
    EXPECT_EQ(box.buttons, platform::BoxButtons::YesNoCancel);
    EXPECT_EQ(box.defaultAnswer, platform::IDYES);
    EXPECT_EQ(box.icon, platform::BoxIcon::None);
    EXPECT_FALSE(box.taskModal);
    EXPECT_EQ(bytesOf(kNoName), "select 1;\r\n");
    EXPECT_EQ(m()->EScript->Lines().Count(), 0) << "New went on";
    EXPECT_FALSE(m()->EScript->Modified());
}

TEST_F(ScriptPage, NoGoesOnWithoutSavingAndCancelStopsEveryCaller) {
    type("select 1;");
    dialogs().answers = {platform::IDCANCEL, platform::IDCANCEL, platform::IDCANCEL};
    wb_.click("BNew");
    wb_.click("Bload");
    wb_.click("BZamknij");
    EXPECT_EQ(dialogs().boxTexts(), QStringList({kQuestion, kQuestion, kQuestion}));
    EXPECT_EQ(dialogs().records.size(), 3u) << "no open dialog after Cancel";
    EXPECT_EQ(m()->EScript->Text(), "select 1;\r\n");
    EXPECT_TRUE(m()->EScript->Modified());
    EXPECT_TRUE(scriptOpen());
    EXPECT_FALSE(QFile::exists(onDisk(kNoName)));

    dialogs().answers = {platform::IDNO};
    m()->BZamknijClick(nullptr);
    EXPECT_TRUE(scriptClosed());
    EXPECT_EQ(m()->EScript->Lines().Count(), 0);
    EXPECT_FALSE(QFile::exists(onDisk(kNoName)));
    EXPECT_EQ(m()->LFileName->Caption(), kNoName) << "Close keeps the last name";
}

// Saving directly, or after Yes to the question of New or of closing the window.
TEST_F(ScriptPage, AFailedSaveKeepsTheScriptAndTheMarkAndStopsTheCaller) {
    m()->OpenDialog1->SetFileName("c:\\no such folder\\a.sql");
    type("keep me");
    const struct {
        const char* what;
        std::function<void()> call;
        size_t boxes;
    } callers[] = {
        {"save", [&] { m()->BSaveClick(nullptr); }, 1},
        {"new", [&] { m()->BNewClick(nullptr); }, 2},
        {"closing the window", [&] { m()->Zakocz1->Click(); }, 2},
    };
    for (const auto& c : callers) {
        SCOPED_TRACE(c.what);
        dialogs().clear();
        dialogs().answers = {platform::IDYES};
        Dispatch(c.call);
        ASSERT_EQ(dialogs().boxes.size(), c.boxes);
        EXPECT_EQ(dialogs().boxes.back().icon, platform::BoxIcon::Error);
        EXPECT_EQ(m()->EScript->Text(), "keep me\r\n");
        EXPECT_TRUE(m()->EScript->Modified());
        EXPECT_TRUE(m()->Visible());
        EXPECT_EQ(m()->OpenDialog1->FileName(), "c:\\no such folder\\a.sql");
    }
}

TEST_F(ScriptPage, SavingKeepsTheModifiedMarkSoNewAsksAgain) {
    type("select 2;");
    m()->BSaveClick(nullptr);
    EXPECT_EQ(bytesOf(kNoName), "select 2;\r\n");
    EXPECT_TRUE(m()->EScript->Modified());
    dialogs().answers = {platform::IDNO};
    m()->BNewClick(nullptr);
    EXPECT_EQ(dialogs().boxTexts(), QStringList({kQuestion}));
}

TEST_F(ScriptPage, AfterCloseNewAsksNothingAndNoneOfThemTouchesTheOtherMemos) {
    m()->MErrorsAndWarnings->Lines().Add("Error: BOGUS");
    m()->AssistMemo->Lines().Add("beside");
    writeWindowsFile("c:\\other.sql", "other");
    dialogs().fileAnswers = {QString("c:\\other.sql")};
    m()->BloadClick(nullptr);
    m()->BZamknijClick(nullptr);
    EXPECT_TRUE(scriptClosed());
    m()->EScript->SetModified(true);
    m()->BNewClick(nullptr);
    EXPECT_TRUE(dialogs().boxes.empty()) << "nothing open, nothing to ask about";
    EXPECT_TRUE(scriptOpen());
    EXPECT_EQ(m()->MErrorsAndWarnings->Lines().ToStringList(), QStringList({"Error: BOGUS"}));
    EXPECT_EQ(m()->AssistMemo->Lines().ToStringList(), QStringList({"beside"}));
}

TEST_F(ScriptPage, ClosingTheWindowWithCancelKeepsItOpenButTheStoredPropertiesAreSaved) {
    m()->ChStopOnError->SetChecked(false);
    type("x");
    dialogs().answers = {platform::IDCANCEL};
    m()->Close();
    EXPECT_TRUE(m()->Visible());
    EXPECT_EQ(dialogs().boxTexts(), QStringList({kQuestion}));
    platform::TRegistry reg(platform::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Morvane\\TFMain", false));
    EXPECT_EQ(reg.ReadString("ChStopOnError.Checked"), "0");

    dialogs().answers = {platform::IDNO};
    m()->Close();
    EXPECT_FALSE(m()->Visible());
}

// A full disk under the settings: the box says which file and why, the unsaved script is
// asked about as usual, and the window closes all the same.
TEST_F(ScriptPage, AFullSettingsDiskAtCloseIsShownAndTheWindowStillCloses) {
    m()->ChStopOnError->SetChecked(false);
    type("x");
    dialogs().answers = {platform::IDOK, platform::IDNO};
    platform::FailWritesAfter(0);
    m()->Zakocz1->Click();
    platform::FailWritesAfter(-1);
    EXPECT_FALSE(m()->Visible());
    const QStringList boxes = dialogs().boxTexts();
    ASSERT_EQ(boxes.size(), 2) << boxes.join("|").toStdString();
    EXPECT_TRUE(boxes[0].startsWith("Failed to set data for '")) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains(platform::HiveFileName(platform::RootKey::CurrentUser) +
                                  "\": " + testenv::NoSpaceReason()))
        << boxes[0].toStdString();
    EXPECT_EQ(boxes[1], kQuestion);
}

TEST_F(ScriptPage, OpenReadsMixedBreaksAndPolishLettersAndSaveWritesThemBackWithCrLf) {
    const QString name = "c:\\scripts\\polskie.sql";
    // "zażółć" and "GĘŚLĄ" in Windows-1250, a no-break space, every kind of line break.
    writeWindowsFile(name, "za\xBF\xF3\xB3\xE6\rG\xCA\x8CL\xA5\xA0x\nc\r\n\r\nlast\n");
    dialogs().fileAnswers = {name};
    m()->BloadClick(nullptr);
    ASSERT_EQ(dialogs().records.size(), 1u);
    EXPECT_EQ(dialogs().records[0].text, kNoName) << "the dialog opens preset to the current name";
    EXPECT_EQ(m()->EScript->Lines().ToStringList(),
              QStringList({QString::fromUtf8("zażółć"), QString::fromUtf8("GĘŚLĄ\u00A0x"), "c", "", "last"}));
    EXPECT_FALSE(m()->EScript->Modified());
    EXPECT_EQ(m()->LFileName->Caption(), name);
    EXPECT_EQ(m()->OpenDialog1->FileName(), name);
    EXPECT_TRUE(scriptOpen());

    m()->BSaveClick(nullptr);
    EXPECT_EQ(bytesOf(name), "za\xBF\xF3\xB3\xE6\r\nG\xCA\x8CL\xA5\xA0x\r\nc\r\n\r\nlast\r\n");
}

TEST_F(ScriptPage, EveryByteOfAScriptFileSurvivesOpenAndSave) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') all.append(static_cast<char>(b));
    writeWindowsFile("c:\\bytes.sql", all);
    dialogs().fileAnswers = {QString("c:\\bytes.sql")};
    m()->BloadClick(nullptr);
    m()->BSaveClick(nullptr);
    EXPECT_EQ(bytesOf("c:\\bytes.sql").toHex(), all.toHex());
}

TEST_F(ScriptPage, OpeningTheEditorsOwnTextKeepsTheModifiedMark) {
    type("a");
    type("b");
    writeWindowsFile("c:\\same.sql", "a\nb\n");
    dialogs().answers = {platform::IDNO};
    dialogs().fileAnswers = {QString("c:\\same.sql")};
    m()->BloadClick(nullptr);
    EXPECT_TRUE(m()->EScript->Modified());
    EXPECT_EQ(m()->LFileName->Caption(), "c:\\same.sql");
}

TEST_F(ScriptPage, AnUnreadableOpenLeavesTheScriptAndALaterSaveWritesWhereItCameFrom) {
    writeWindowsFile("c:\\mine.sql", "mine");
    dialogs().fileAnswers = {QString("c:\\mine.sql")};
    m()->BloadClick(nullptr);
    type(" changed");
    dialogs().clear();
    dialogs().answers = {platform::IDNO};
    dialogs().fileAnswers = {QString("c:\\missing.sql")};
    Dispatch([&] { m()->BloadClick(nullptr); });
    ASSERT_EQ(dialogs().boxes.size(), 2u);
    EXPECT_EQ(dialogs().boxes[1].icon, platform::BoxIcon::Error);
    EXPECT_EQ(m()->LFileName->Caption(), "c:\\mine.sql");
    EXPECT_EQ(m()->OpenDialog1->FileName(), "c:\\mine.sql");
    EXPECT_TRUE(m()->EScript->Modified());

    m()->BSaveClick(nullptr);
    EXPECT_EQ(bytesOf("c:\\mine.sql"), "mine\r\n changed\r\n");
    EXPECT_FALSE(QFile::exists(onDisk("c:\\missing.sql")));
}

TEST_F(ScriptPage, SaveAsWritesTakesTheNameAndReadsTheFileBack) {
    type("select 3;");
    m()->BSaveAsClick(nullptr);  // cancelled
    EXPECT_EQ(m()->OpenDialog1->FileName(), kNoName);
    ASSERT_EQ(dialogs().records.size(), 1u);
    EXPECT_EQ(dialogs().records[0].caption, "Zapisz jako...");

    dialogs().fileAnswers = {QString("c:\\as.sql")};
    m()->BSaveAsClick(nullptr);
    EXPECT_EQ(bytesOf("c:\\as.sql"), "select 3;\r\n");
    EXPECT_EQ(m()->OpenDialog1->FileName(), "c:\\as.sql");
    EXPECT_EQ(m()->LFileName->Caption(), "c:\\as.sql");
    EXPECT_TRUE(m()->EScript->Modified()) << "the same text read back leaves the mark";
    EXPECT_FALSE(QFile::exists(onDisk(kNoName)));
}

TEST_F(ScriptPage, OpeningAFileShowsTheBusyCursorWhileItIsRead) {
    writeWindowsFile("c:\\big.sql", "select 1;");
    Qt::CursorShape whileRead = Qt::ArrowCursor;
    QObject context;
    QObject::connect(m()->EScript->Editor(), &QPlainTextEdit::textChanged, &context, [&] {
        const QCursor* c = QGuiApplication::overrideCursor();
        whileRead = c != nullptr ? c->shape() : Qt::ArrowCursor;
    });
    dialogs().fileAnswers = {QString("c:\\big.sql")};
    m()->BloadClick(nullptr);
    EXPECT_EQ(m()->EScript->Text(), "select 1;");
    EXPECT_EQ(whileRead, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

class NotepadPage : public ScriptPage {
  protected:
    void SetUp() override {
        ScriptPage::SetUp();
        platform::SetCommandRunner([this](const platform::ProcessRequest& r) {
            started.push_back(r);
            return true;
        });
    }
    void TearDown() override { platform::SetCommandRunner({}); }
    std::vector<platform::ProcessRequest> started;
};

TEST_F(NotepadPage, SavesStartsTheEditorAsksAgainAndOffersTheSameFile) {
    type("select 4;");
    dialogs().answers = {platform::IDNO};
    m()->BNotePadClick(nullptr);
    EXPECT_EQ(bytesOf(kNoName), "select 4;\r\n");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].arguments, QStringList({onDisk(kNoName)}));
    EXPECT_EQ(dialogs().boxTexts(), QStringList({kQuestion}));
    ASSERT_EQ(dialogs().records.size(), 2u);
    EXPECT_EQ(dialogs().records[1].kind, platform::DialogRecord::OpenFile);
    EXPECT_EQ(dialogs().records[1].text, kNoName);
    EXPECT_EQ(m()->EScript->Text(), "select 4;\r\n") << "Cancel in the open dialog leaves the editor";
}

TEST_F(NotepadPage, WithNoScriptOpenTheLastFileIsNeverWrittenOver) {
    writeWindowsFile("c:\\last.sql", "precious");
    dialogs().fileAnswers = {QString("c:\\last.sql")};
    m()->BloadClick(nullptr);
    m()->BZamknijClick(nullptr);
    dialogs().clear();
    dialogs().fileAnswers = {QString("c:\\last.sql")};
    m()->BNotePadClick(nullptr);
    EXPECT_EQ(bytesOf("c:\\last.sql"), "precious");
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(m()->EScript->Text(), "precious") << "the file edited outside is opened again";
    EXPECT_TRUE(scriptOpen());
}

TEST_F(NotepadPage, AnEditorThatCannotStartIsAnErrorAndNothingIsOfferedAfter) {
    type("select 5;");
    platform::SetCommandRunner([](const platform::ProcessRequest&) -> bool {
        throw EInOutError("no program is set up to open files of this kind");
    });
    m()->BNotePad->Click();
    EXPECT_EQ(bytesOf(kNoName), "select 5;\r\n") << "the script is saved first";
    EXPECT_EQ(dialogs().boxTexts(), QStringList({"Cannot open file \"" + kNoName +
                                                 "\": no program is set up to open files of this kind."}));
    ASSERT_EQ(dialogs().records.size(), 1u) << "no open dialog after a launch that failed";
    EXPECT_EQ(dialogs().boxes[0].icon, platform::BoxIcon::Error);
}

TEST_F(NotepadPage, ANameWithoutAFilePartDoesNothing) {
    m()->OpenDialog1->SetFileName("c:\\folder\\");
    type("x");
    m()->BNotePadClick(nullptr);
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(ScriptPage, TheStatusBarFollowsTheScriptCaretFromBothMemos) {
    m()->EScript->SetText("ab\r\ncdef\r\nx");
    m()->EScript->SetSelStart(6);  // "cde|f"
    for (int i = 0; i < 4; ++i) m()->ScriptStatusBar->SetPanelText(i, "?");
    m()->AssistMemo->Lines().Add("typed beside");
    EXPECT_EQ(m()->ScriptStatusBar->PanelText(0), "2");
    EXPECT_EQ(m()->ScriptStatusBar->PanelText(1), "4");
    EXPECT_EQ(m()->ScriptStatusBar->PanelText(2), "3");
    EXPECT_EQ(m()->ScriptStatusBar->PanelText(3), "?") << "panel 3 is never written";

    // Moving the caret with a key: the key release updates the bar.
    m()->EScript->SetSelStart(0);
    QTest::keyClick(m()->EScript->Editor(), Qt::Key_Down);
    EXPECT_EQ(m()->ScriptStatusBar->PanelText(0), "2");
    EXPECT_EQ(m()->ScriptStatusBar->PanelText(1), "1");
}

TEST_F(ScriptPage, ChangeFontSetsOnlyTheScriptEditorsFont) {
    const QFont before = m()->AssistMemo->Font().font;
    QFont big = before;
    big.setPointSize(31);
    dialogs().fontAnswers = {big};
    m()->BFontChangeClick(nullptr);
    EXPECT_EQ(m()->EScript->Font().font.pointSize(), 31);
    EXPECT_EQ(m()->AssistMemo->Font().font, before);
    EXPECT_EQ(m()->EScript->Font().color, m()->AssistMemo->Font().color) << "the colour stays";
    m()->BFontChangeClick(nullptr);  // cancelled
    EXPECT_EQ(m()->EScript->Font().font.pointSize(), 31);
}

}  // namespace
