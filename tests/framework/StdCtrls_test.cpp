#include <gtest/gtest.h>
#include <QTest>

#include "TestEnv.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"

namespace {

struct ControlsTest : ::testing::Test {
    TApplication app;
    TForm* form = app.CreateForm<TForm>();
};

TEST_F(ControlsTest, MemoLinesIgnoreTheFinalBreakAndAppendOnNewLines) {
    auto* memo = new TMemo(form);
    EXPECT_EQ(memo->Lines().Count(), 0);
    memo->SetText("a\r\nb\r\n");
    EXPECT_EQ(memo->Lines().Count(), 2);
    EXPECT_EQ(memo->Lines()[1], "b");
    memo->Lines().Add("c");
    EXPECT_EQ(memo->Text(), "a\r\nb\r\nc\r\n");
    memo->SetText("x");
    memo->Lines().Add("");
    memo->Lines().Add("y");
    EXPECT_EQ(memo->Lines().ToStringList(), QStringList({"x", "", "y"}));
    memo->Lines().Put(1, "mid");
    memo->Lines().Delete(0);
    EXPECT_EQ(memo->Lines().ToStringList(), QStringList({"mid", "y"}));
    memo->Lines().Insert(0, "first");
    EXPECT_EQ(memo->Text(), "first\r\nmid\r\ny\r\n");
}

TEST_F(ControlsTest, MemoSetTextClearsModifiedOnlyWhenTheTextDiffers) {
    auto* memo = new TMemo(form);
    memo->SetText("abc");
    memo->SetModified(true);
    memo->SetText("abc");
    EXPECT_TRUE(memo->Modified());
    memo->SetText("abcd");
    EXPECT_FALSE(memo->Modified());
}

TEST_F(ControlsTest, EditChangeRunsNestedForProgramChangesButNotForSameText) {
    auto* edit = new TEdit(form);
    QStringList seen;
    edit->OnChange = [&](TObject*) {
        seen << edit->Text();
        if (edit->Text() == "a") edit->SetText("ab");  // nested change
    };
    edit->SetText("a");
    EXPECT_EQ(seen, QStringList({"a", "ab"}));
    edit->SetText("ab");
    EXPECT_EQ(seen.size(), 2);
}

TEST_F(ControlsTest, CheckBoxClickRunsAlsoWhenSetByProgram) {
    auto* box = new TCheckBox(form);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, ListIndexesStayWithinTheirItems) {
    auto* group = new TRadioGroup(form);
    group->Items().Add("Table names (recommended)");
    group->Items().Add("Dont suggest");
    group->SetItemIndex(1);
    EXPECT_EQ(group->ItemIndex(), 1);
    group->SetItemIndex(5);
    EXPECT_EQ(group->ItemIndex(), -1);

    auto* combo = new TComboBox(form);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->Items().Add("LOCAL");
    combo->Items().Add("PG");
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "PG");
    combo->Items().Clear();
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
}

}  // namespace
