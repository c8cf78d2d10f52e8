#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <cstdlib>

#include "TestEnv.h"
#include "framework/Application.h"
#include "framework/ControlPlacement.h"
#include "framework/DBGrids.h"
#include "framework/StdCtrls.h"

namespace {

struct ControlsTest : ::testing::Test {
    TApplication app;
    TForm* form = app.CreateForm<TForm>();
};

// How many pixels of a widget, as painted, have this colour or nearly (antialiased).
int pixelsOf(QWidget* w, TColor color) {
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor wanted = ToQColor(color);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - wanted.red()) + std::abs(c.green() - wanted.green()) +
                    std::abs(c.blue() - wanted.blue()) <
                90)
                ++n;
        }
    return n;
}

// Yellow on dark blue is the look of the data area alone: the scroll bars and the corner
// between them keep the program's own colours.
TEST_F(ControlsTest, WorkingAreaColoursStayOutOfTheScrollBars) {
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(0, 0, 300, 200);
    memo->SetScrollBars(TScrollStyle::ssBoth);
    PaintWorkingArea(memo, true);
    auto* grid = new TDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 210, 300, 200);
    PaintWorkingArea(grid);
    grid->View()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->View()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form->SetClientSize(300, 420);
    form->Show();
    QApplication::processEvents();

    for (QAbstractScrollArea* area : {static_cast<QAbstractScrollArea*>(memo->Editor()),
                                      static_cast<QAbstractScrollArea*>(grid->View())}) {
        EXPECT_GT(pixelsOf(area->viewport(), clNavyBlue), 0) << "the data area is dark blue";
        // A grid scrolls its rows with a bar of its own in place of the area's vertical one.
        auto* rowBar = area->findChild<QScrollBar*>(QStringLiteral("RowBar"));
        QScrollBar* vertical = rowBar != nullptr ? rowBar : area->verticalScrollBar();
        for (QScrollBar* bar : {vertical, area->horizontalScrollBar()}) {
            ASSERT_TRUE(bar->isVisible());
            EXPECT_EQ(pixelsOf(bar, clYellow), 0);
            EXPECT_EQ(pixelsOf(bar, clNavyBlue), 0);
            EXPECT_EQ(bar->palette().color(QPalette::WindowText),
                      QApplication::palette(bar).color(QPalette::WindowText));
        }
        // The corner between the bars.
        QScrollBar* v = vertical;
        QScrollBar* h = area->horizontalScrollBar();
        const QPoint corner(v->mapTo(area, v->rect().center()).x(), h->mapTo(area, h->rect().center()).y());
        const QImage whole = area->grab().toImage();
        EXPECT_NE(whole.pixelColor(corner).rgb(), ToQColor(clNavyBlue).rgb());
    }
    EXPECT_EQ(memo->Editor()->palette().color(QPalette::Text), ToQColor(clYellow));
}

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

// Filling a memo in one go gives the document that adding the lines one by one gives.
TEST_F(ControlsTest, MemoAssignBuildsWhatAddingLineByLineBuilds) {
    auto* byAdd = new TMemo(form);
    auto* byAssign = new TMemo(form);
    int changes = 0;
    byAssign->OnChange = [&](TObject*) { ++changes; };
    for (const QStringList& lines :
         {QStringList{"a", "", "b\r\nc", "d\r", "", ""}, QStringList{""}, QStringList(513, QString())}) {
        byAdd->SetText("old");
        byAssign->SetText("old");
        changes = 0;
        byAdd->Lines().Clear();
        for (const QString& line : lines) byAdd->Lines().Add(line);
        byAssign->Lines().Assign(lines);
        EXPECT_EQ(byAssign->Text(), byAdd->Text());
        EXPECT_EQ(byAssign->Lines().Count(), byAdd->Lines().Count());
        EXPECT_EQ(byAssign->Lines().ToStringList(), byAdd->Lines().ToStringList());
        EXPECT_EQ(byAssign->Modified(), byAdd->Modified());
        EXPECT_GE(changes, 1);
        EXPECT_LE(changes, 2) << "the memo changes once, not once a line";
    }
    // Another string list goes the same way; nothing at all empties the memo.
    TStringList list({"x", "y"});
    byAssign->Lines().Assign(list);
    EXPECT_EQ(byAssign->Text(), "x\r\ny\r\n");
    byAssign->Lines().Assign(QStringList());
    EXPECT_EQ(byAssign->Lines().Count(), 0);
    EXPECT_EQ(byAssign->Text(), "");
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
