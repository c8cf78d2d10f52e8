#include <gtest/gtest.h>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "WorkbenchFixture.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ReplaceDialog.h"
#include "framework/StdCtrls.h"
#include "workbench/MemoToolbar.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class TextOperations : public ::testing::Test {
  protected:
    TextOperations() : wb(Backend::Sqlite) {
        wb.app().CreateForm<TFMemoToolbar>();
        wb.show();
        wb.main()->PageControl1->Tabs()->setCurrentWidget(wb.main()->TabSheet1->Widget());
        wb.main()->BTool->Click();
    }
    TFMemoToolbar* t() const { return FMemoToolbar; }
    void script(const QStringList& lines) { wb.main()->EScript->Lines().Assign(lines); }
    void side(const QStringList& lines) { wb.main()->AssistMemo->Lines().Assign(lines); }
    QStringList script() const { return wb.main()->EScript->Lines().ToStringList(); }
    QStringList side() const { return wb.main()->AssistMemo->Lines().ToStringList(); }
    static void click(TSpeedButton* b) { QTest::mouseClick(b->Button(), Qt::LeftButton); }

    Workbench wb;
};

// The window follows the toolbar button; its close box and a page change raise the button.
TEST_F(TextOperations, TheWindowFollowsTheToolbarButton) {
    EXPECT_TRUE(t()->Visible());
    EXPECT_EQ(t()->Caption(), "Special operations");
    EXPECT_TRUE(t()->Widget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(t()->FMemo, wb.main()->EScript);
    EXPECT_EQ(t()->FSecondMemo, wb.main()->AssistMemo);
    wb.main()->BTool->Click();
    EXPECT_FALSE(t()->Visible());
    wb.main()->BTool->Click();

    HideMemoToolbar();
    EXPECT_FALSE(t()->Visible());
    EXPECT_TRUE(wb.main()->BTool->Down()) << "hiding leaves the button down";
    wb.main()->BTool->Click();  // up
    wb.main()->BTool->Click();  // down again: shown
    ASSERT_TRUE(t()->Visible());
    t()->Widget()->close();
    EXPECT_FALSE(t()->Visible());
    EXPECT_FALSE(wb.main()->BTool->Down());
    // The next press shows it again rather than hiding it.
    wb.main()->BTool->Click();
    EXPECT_TRUE(t()->Visible());

    wb.main()->PageControl1->Tabs()->setCurrentWidget(wb.main()->TabSheet2->Widget());
    EXPECT_FALSE(wb.main()->BTool->Down());
    EXPECT_FALSE(t()->Visible());
}

TEST_F(TextOperations, InPlaceOperations) {
    script({" \t a  b \t", "\t \t", "x"});
    click(t()->BTrim);
    EXPECT_EQ(script(), QStringList({"a  b", "", "x"}));

    script({"abc", ""});
    t()->ELitPre->SetText("'");
    t()->ELitPost->SetText("',");
    click(t()->SpeedButton2);
    EXPECT_EQ(script(), QStringList({"'abc',", "'',"}));

    script({"NAME", ""});
    click(t()->SpeedButton3);
    EXPECT_EQ(script(), QStringList({"NAME=NAME", "="}));

    script({"abc", "", "z"});
    click(t()->SpeedButton1);
    EXPECT_EQ(script(), QStringList({"bc", "", ""}));
    script({"abc", "", "z"});
    click(t()->SpeedButton5);
    EXPECT_EQ(script(), QStringList({"ab", "", ""}));
    // A last line emptied in a text without a final break is still a line.
    wb.main()->EScript->SetText("abc\r\nz");
    click(t()->SpeedButton5);
    EXPECT_EQ(script(), QStringList({"ab", ""}));
}

TEST_F(TextOperations, FillPadsByAThousandBlanksAtMost) {
    script({QString(1500, 'x'), QString(10, 'y'), QString(1200, 'z')});
    click(t()->SpeedButton6);
    const QStringList lines = script();
    EXPECT_EQ(lines[0].size(), 1500);
    EXPECT_EQ(lines[1], QString(10, 'y') + QString(1000, ' '));
    EXPECT_EQ(lines[2].size(), 1500);
    script({"", ""});
    wb.main()->EScript->SetModified(false);
    click(t()->SpeedButton6);
    EXPECT_EQ(script(), QStringList({"", ""}));
    EXPECT_FALSE(wb.main()->EScript->Modified());
}

TEST_F(TextOperations, OneOperationIsOneUndoStepAndModifiesTheScript) {
    script({" a ", " b "});
    wb.main()->EScript->SetModified(false);
    click(t()->BTrim);
    EXPECT_TRUE(wb.main()->EScript->Modified());
    wb.main()->EScript->Editor()->undo();
    EXPECT_EQ(script(), QStringList({" a ", " b "}));
}

TEST_F(TextOperations, ReplaceDialogReplacesEverythingFromBothButtons) {
    click(t()->SpeedButton4);
    ASSERT_TRUE(t()->ReplaceDialog->Visible());
    ASSERT_EQ(testenv::Dialogs().records.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().records[0].kind, platform::DialogRecord::Replace);
    QDialog* dialog = t()->ReplaceDialog->Dialog();
    auto type = [dialog](const char* field, const QString& text) {
        auto* edit = dialog->findChild<QLineEdit*>(field);
        edit->clear();
        QTest::keyClicks(edit, text);
    };
    auto press = [dialog](const char* button) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    };
    script({"aaa", "Aa"});
    type("FindText", "a");
    type("ReplaceText", "aa");
    press("Replace");
    EXPECT_EQ(script(), QStringList({"aaaaaa", "Aaa"}));
    type("FindText", "A");
    type("ReplaceText", "b");
    press("ReplaceAll");
    EXPECT_EQ(script(), QStringList({"aaaaaa", "baa"}));
    press("FindNext");
    EXPECT_EQ(script(), QStringList({"aaaaaa", "baa"}));
    type("FindText", "");
    press("ReplaceAll");
    EXPECT_EQ(script(), QStringList({"aaaaaa", "baa"}));
    EXPECT_TRUE(t()->ReplaceDialog->Visible());
}

TEST_F(TextOperations, ExtractAndCountDelimitedFields) {
    t()->ExtractWord2->SetText(",");
    script({"1,,3", ",a", "a,b,", ""});
    side({"old"});
    t()->ExtractWord1->SetText("2");
    click(t()->SpeedButton7);
    EXPECT_EQ(side(), QStringList({"", "", "b", ""}));
    t()->ExtractWord1->SetText("3");
    click(t()->SpeedButton7);
    EXPECT_EQ(side(), QStringList({"3", "", "", ""}));
    t()->ExtractWord1->SetText("1");
    click(t()->SpeedButton7);
    EXPECT_EQ(side(), QStringList({"1", "a", "a", ""}));
    click(t()->SpeedButton8);
    EXPECT_EQ(side(), QStringList({"3", "1", "3", "0"}));
    EXPECT_EQ(script(), QStringList({"1,,3", ",a", "a,b,", ""}));

    t()->ExtractWord2->SetText("ab");
    script({"xay", "x\ty"});
    click(t()->SpeedButton8);
    EXPECT_EQ(side(), QStringList({"2", "1"}));
    click(t()->SpeedButton9);
    click(t()->SpeedButton8);
    EXPECT_EQ(side(), QStringList({"1", "2"}));
}

TEST_F(TextOperations, BadFieldParametersChangeNothing) {
    script({"a|b"});
    side({"keep"});
    t()->ExtractWord2->SetText("");
    click(t()->SpeedButton8);
    click(t()->SpeedButton7);
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"You should set exactly 1 char in Delimiter field",
                           "You should set exactly 1 char in Delimiter field"}));
    testenv::Dialogs().clear();
    t()->ExtractWord2->SetText("|");
    t()->ExtractWord1->SetText("x");
    click(t()->SpeedButton7);
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(side(), QStringList({"keep"}));
    EXPECT_EQ(script(), QStringList({"a|b"}));
}

TEST_F(TextOperations, ConcatMemosEvensTheCounts) {
    script({"a", "b"});
    side({"1", "2", "3"});
    click(t()->SpeedButton10);
    EXPECT_EQ(script(), QStringList({"a1", "b2", "3"}));
    EXPECT_EQ(side(), QStringList({"", "", ""}));
    script({"a", "b", "c"});
    side({"1"});
    click(t()->SpeedButton10);
    EXPECT_EQ(script(), QStringList({"a1", "b", "c"}));
    EXPECT_EQ(side(), QStringList({"", "", ""}));
}

TEST_F(TextOperations, NumeralsWithAConversionErrorPerBadLine) {
    script({"1994", "0", "abc", "", " $1F ", "-1", "5", "4000", "444"});
    click(t()->SpeedButton11);
    EXPECT_EQ(side(), QStringList({"MCMXCIV", "", "Conversion error", "Conversion error", "XXXI", "", "V",
                                   "MMMM", "CDXLIV"}));
    click(t()->SpeedButton12);
    EXPECT_EQ(side()[4], "000000001F");
    EXPECT_EQ(side()[5], "00FFFFFFFF");
    EXPECT_EQ(side()[2], "Conversion error");
    click(t()->SpeedButton13);
    EXPECT_EQ(side()[1], QString(32, '0'));
    EXPECT_EQ(side()[5], QString(32, '1'));
    EXPECT_EQ(side()[6], QString(29, '0') + "101");
    EXPECT_EQ(script()[0], "1994");
}

TEST_F(TextOperations, AmountsInWordsNeverWrongOutsideTheirRange) {
    {
        testenv::DecimalSeparatorScope comma(',');
        script({"2,5", "-1", "1000000", "999999,99", "x"});
        click(t()->SpeedButton14);
    }
    EXPECT_EQ(side(), QStringList({"dwa złote pięćdziesiąt groszy", "Conversion error", "Conversion error",
                                   "dziewięćset dziewięćdziesiąt dziewięć tysięcy dziewięćset "
                                   "dziewięćdziesiąt dziewięć złotych dziewięćdziesiąt dziewięć groszy",
                                   "Conversion error"}));
}

TEST_F(TextOperations, EmptyEditorAndHugeLines) {
    script({});
    click(t()->SpeedButton6);
    click(t()->SpeedButton11);
    EXPECT_EQ(script(), QStringList());
    EXPECT_EQ(side(), QStringList());
    const QString huge(2000000, 'x');
    script({huge + " "});
    click(t()->BTrim);
    click(t()->SpeedButton1);
    EXPECT_EQ(script()[0].size(), 65000);
}

}  // namespace
