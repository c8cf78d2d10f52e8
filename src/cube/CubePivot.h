#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "cube/CubeMap.h"

class CubeStore;

// How the loaded cube is looked at: which dimensions run down the rows and which
// across the columns (each list in order, outer first), which of them are open
// (broken down by their values) or closed (added up), and the summary shown.
struct PivotLayout {
    std::vector<int> Rows;
    std::vector<int> Columns;
    std::vector<bool> Open;  // by dimension
    int Summary = 0;

    // The first dimension down the rows, the others across, all open.
    static PivotLayout Initial(int dimensions, int summaries);
    bool IsOpen(int d) const {
        return d >= 0 && d < static_cast<int>(Open.size()) && Open[static_cast<size_t>(d)];
    }
};

// The cross table of one layout over a loaded cube: every combination of the open
// row dimensions' values by every combination of the open column dimensions' values,
// empty ones included. Built in one pass over the cube's cells.
class CubePivot {
  public:
    CubePivot() = default;
    // Raises EDecisionCubeError when the table would have more rows or columns than a
    // grid can show.
    CubePivot(const CubeStore& store, const PivotLayout& layout);

    const std::vector<int>& RowDimensions() const { return rowDims_; }
    const std::vector<int>& ColumnDimensions() const { return colDims_; }
    int RowCount() const { return rows_; }
    int ColumnCount() const { return cols_; }
    // Value number of the row (column) dimension at `level` for a row (column).
    int RowValue(int row, int level) const { return (row / rowStride_[level]) % rowCounts_[level]; }
    int ColumnValue(int col, int level) const { return (col / colStride_[level]) % colCounts_[level]; }

    // The summary for a cell: nothing when no row of the data falls into it.
    bool HasValue(int row, int col) const;
    double Value(int row, int col) const;

  private:
    size_t slot(int row, int col) const;

    std::vector<int> rowDims_, colDims_;
    std::vector<int> rowCounts_, colCounts_, rowStride_, colStride_;
    int rows_ = 1;
    int cols_ = 1;
    int kind_ = 0;
    // Dense when the table is not much larger than the cube, otherwise by cell key.
    bool dense_ = true;
    std::vector<double> sums_;
    std::vector<uint32_t> counts_;
    std::unordered_map<uint64_t, uint32_t> sparse_;
};
