#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cube/CubeMap.h"

class RowStore;
class TField;

// The loaded cube: one cell per combination of dimension values that occurs in the
// data, each holding per summary the sum and the count of its non-null values. Kept in
// flat arrays (value numbers of the cell's dimensions, then the accumulators), so a
// million rows cost no allocation per row and pivoting never reads the query again.
class CubeStore {
  public:
    struct Dimension {
        QString Caption;
        std::vector<QString> Labels;  // sorted; a null value is the last one
        bool HasNull = false;
    };
    struct Summary {
        QString Caption;
        TCubeRole Kind = TCubeRole::Sum;
        QString Format;
    };

    CubeStore();
    ~CubeStore();

    // Starts a new cube: `fields` are the query's fields, in the map's order.
    void Begin(const TCubeMap& map, const std::vector<TField*>& fields, int maxCells);
    // Adds rows [0, rows.Count()) of a batch read from the query.
    void AddRows(const RowStore& rows);
    // Sorts each dimension's values and renumbers the cells accordingly.
    void Finish();
    void Clear();

    int DimensionCount() const { return static_cast<int>(dimensions_.size()); }
    int SummaryCount() const { return static_cast<int>(summaries_.size()); }
    int CellCount() const { return cells_; }
    long long RowCount() const { return rows_; }
    const Dimension& Dimensions(int d) const { return dimensions_[static_cast<size_t>(d)]; }
    const Summary& Summaries(int s) const { return summaries_[static_cast<size_t>(s)]; }
    int ValueCount(int d) const { return static_cast<int>(Dimensions(d).Labels.size()); }

    uint32_t CellValue(int cell, int d) const {
        return cellValues_[static_cast<size_t>(cell) * dimensions_.size() + static_cast<size_t>(d)];
    }
    double Sum(int cell, int s) const { return sums_[static_cast<size_t>(cell) * summaries_.size() + s]; }
    uint32_t Count(int cell, int s) const {
        return counts_[static_cast<size_t>(cell) * summaries_.size() + s];
    }

    // Bytes the loaded cube holds (for the benchmark).
    size_t MemoryBytes() const;

  private:
    struct Builder;
    uint32_t valueNumber(int d, std::optional<std::string_view> raw);
    int findOrAddCell(const uint32_t* key);
    void growIndex();

    std::vector<Dimension> dimensions_;
    std::vector<Summary> summaries_;
    std::vector<int> dimensionColumns_;
    std::vector<int> summaryColumns_;
    std::vector<uint32_t> cellValues_;
    std::vector<double> sums_;
    std::vector<uint32_t> counts_;
    int cells_ = 0;
    long long rows_ = 0;
    int maxCells_ = 0;
    std::vector<uint32_t> index_;  // open addressing: cell + 1, 0 free
    std::unique_ptr<Builder> builder_;
};
