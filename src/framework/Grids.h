#pragma once

#include <QTableView>
#include <memory>
#include <vector>

#include "framework/Controls.h"

class StringGridModel;

// A grid of free texts addressed by column and row. Row 0 is the one fixed header row
// (shown as the column titles); the rows below it are edited in place, the editor
// always open on the current cell. Reading a cell outside the grid gives an empty
// text; writing one there is ignored.
class TStringGrid : public TWinControl {
  public:
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    int ColCount() const;
    void SetColCount(int count);
    // Rows, the header row included. Rows that go away lose their texts.
    int RowCount() const;
    void SetRowCount(int count);

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    // The row and column of the focused cell (the first data row when none is focused).
    int Row() const;
    int Col() const;
    void SetRow(int row);
    void SetCol(int col);

    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    void SetDefaultRowHeight(int height);

    QTableView* View() const { return static_cast<QTableView*>(Widget()); }

  private:
    std::unique_ptr<StringGridModel> model_;
};
