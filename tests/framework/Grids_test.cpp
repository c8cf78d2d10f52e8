#include <gtest/gtest.h>
#include <QLineEdit>
#include <QTest>

#include "TestEnv.h"
#include "framework/Forms.h"
#include "framework/Grids.h"

namespace {

TEST(StringGrid, CellsOutsideTheGridReadEmptyAndIgnoreWritesAndRowsThatGoAwayLoseTheirTexts) {
    TForm form(nullptr);
    auto* g = new TStringGrid(&form);
    g->SetParent(&form);
    g->SetColCount(2);
    g->SetRowCount(3);
    g->SetCells(0, 0, "Head");
    g->SetCells(1, 2, "b2");
    g->SetCells(5, 1, "lost");
    g->SetCells(0, 3, "lost");
    EXPECT_EQ(g->Cells(0, 0), "Head");
    EXPECT_EQ(g->Cells(1, 2), "b2");
    EXPECT_EQ(g->Cells(5, 1), "");
    EXPECT_EQ(g->Cells(0, 3), "");
    // Row 0 is the fixed header row the view shows as the column titles.
    EXPECT_EQ(g->View()->model()->headerData(0, Qt::Horizontal).toString(), "Head");
    EXPECT_EQ(g->View()->model()->rowCount(), 2);
    g->SetColWidths(1, 179);
    g->SetRowCount(2);
    g->SetRowCount(3);
    EXPECT_EQ(g->Cells(1, 2), "");
    EXPECT_EQ(g->ColWidths(1), 179);
}

TEST(StringGrid, TypingInTheOpenEditorReachesTheCellAtOnce) {
    TForm form(nullptr);
    auto* g = new TStringGrid(&form);
    g->SetParent(&form);
    g->SetBounds(0, 0, 300, 200);
    g->SetColCount(2);
    g->SetRowCount(3);
    form.Show();
    g->SetRow(2);
    g->SetCol(1);
    EXPECT_EQ(g->Row(), 2);
    EXPECT_EQ(g->Col(), 1);
    g->View()->edit(g->View()->currentIndex());
    QLineEdit* editor = nullptr;  // editors of cells left before are hidden until deleted
    for (auto* e : g->View()->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "abc");
    EXPECT_EQ(g->Cells(1, 2), "abc");
    // A text set by the program shows in the open editor and is not overwritten by it.
    g->SetCells(1, 2, "set");
    EXPECT_EQ(editor->text(), "set");
    QTest::keyClicks(editor, "!");
    EXPECT_EQ(g->Cells(1, 2), "set!");
}

}  // namespace
