#pragma once

#include <QScrollBar>
#include <QTableView>
#include <functional>
#include <optional>

// A table view that shows a window of a longer result. Its model holds only the rows
// that fit (`PageRows`); the view never scrolls vertically by itself. A scroll bar of its
// own, `RowBar`, stands for the whole result: its value is the result's row shown first,
// and whoever owns the view moves the window when it changes. The keys that move
// vertically (up, down, page up, page down) are handed to `OnMoveRows` as a number of
// rows (negative: up); it moves through the whole result and returns the new current index.
class DataGridView : public QTableView {
  public:
    DataGridView();

    QScrollBar* RowBar() const { return rowBar_; }
    // Rows the viewport shows whole; at least 1. A view not shown yet has no height that
    // means anything: it holds the rows of a grid of a usual size until it is shown.
    int PageRows() const { return pageRows_; }
    // Writes the text of an open cell editor and closes it, before the rows under it change.
    void CommitOpenEditor();

    // The viewport's height changed so that a different number of rows fits.
    std::function<void()> OnPageRowsChanged;
    // Nothing: the view moves within the rows it holds.
    std::function<std::optional<QModelIndex>(int rows)> OnMoveRows;

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void measurePageRows();

    QScrollBar* rowBar_;
    int pageRows_ = 32;
    int wheelAngle_ = 0;  // the part of the wheel's turn not yet given as whole rows
};
