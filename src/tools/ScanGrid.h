#pragma once

#include <QTableView>
#include <memory>

#include "framework/Controls.h"

class ScanGridModel;

// A one-row grid of 2050 cells without fixed rows or columns that shows one block of
// bytes, cell k byte k, as characters of the code page. A new block replaces the
// shown one in one step: cells beyond it (up to 2048) are emptied.
class TScanGrid : public TWinControl {
  public:
    static constexpr int kColumns = 2050;

    explicit TScanGrid(TComponent* owner);
    ~TScanGrid() override;

    int ColCount() const { return kColumns; }
    QString Cells(int col, int row) const;
    void ShowBlock(const char* data, int size);
    QTableView* View() const { return static_cast<QTableView*>(Widget()); }

  private:
    std::unique_ptr<ScanGridModel> model_;
};
