#include "cube/CubePivot.h"

#include <algorithm>
#include <limits>

#include "cube/CubeError.h"
#include "cube/CubeStore.h"

namespace {

// A grid holds at most this many rows or columns.
constexpr long long kMaxLines = std::numeric_limits<int>::max() / 2;

}  // namespace

PivotLayout PivotLayout::Initial(int dimensions, int summaries) {
    PivotLayout p;
    for (int d = 0; d < dimensions; ++d) (d == 0 ? p.Rows : p.Columns).push_back(d);
    p.Open.assign(static_cast<size_t>(dimensions), true);
    p.Summary = summaries > 0 ? 0 : -1;
    return p;
}

CubePivot::CubePivot(const CubeStore& store, const PivotLayout& layout) {
    auto lay = [&](const std::vector<int>& dims, std::vector<int>& open, std::vector<int>& counts,
                   std::vector<int>& stride, const char* what) {
        for (int d : dims)
            if (layout.IsOpen(d) && d < store.DimensionCount()) open.push_back(d);
        counts.resize(open.size());
        stride.resize(open.size());
        long long lines = 1;
        for (size_t i = open.size(); i-- > 0;) {
            counts[i] = store.ValueCount(open[i]);
            stride[i] = static_cast<int>(std::max(1LL, lines));
            lines *= counts[i];
            if (lines > kMaxLines)
                throw EDecisionCubeError(QStringLiteral("Too many %1 to show: close or move a dimension.")
                                             .arg(QString::fromLatin1(what)));
        }
        return static_cast<int>(lines);
    };
    rows_ = lay(layout.Rows, rowDims_, rowCounts_, rowStride_, "rows");
    cols_ = lay(layout.Columns, colDims_, colCounts_, colStride_, "columns");
    const int summary = layout.Summary;
    if (summary < 0 || summary >= store.SummaryCount()) {
        sums_.clear();
        counts_.clear();
        return;
    }
    kind_ = static_cast<int>(store.Summaries(summary).Kind);
    const long long table = static_cast<long long>(rows_) * cols_;
    dense_ = table <= std::max<long long>(1 << 22, 2LL * store.CellCount());
    if (dense_) {
        sums_.assign(static_cast<size_t>(table), 0.0);
        counts_.assign(static_cast<size_t>(table), 0);
    }
    for (int cell = 0; cell < store.CellCount(); ++cell) {
        const uint32_t count = store.Count(cell, summary);
        if (count == 0) continue;
        long long r = 0;
        for (size_t i = 0; i < rowDims_.size(); ++i)
            r += static_cast<long long>(store.CellValue(cell, rowDims_[i])) * rowStride_[i];
        long long c = 0;
        for (size_t i = 0; i < colDims_.size(); ++i)
            c += static_cast<long long>(store.CellValue(cell, colDims_[i])) * colStride_[i];
        const auto key = static_cast<uint64_t>(r * cols_ + c);
        size_t at = key;
        if (!dense_) {
            const auto [it, added] = sparse_.try_emplace(key, static_cast<uint32_t>(sums_.size()));
            if (added) {
                sums_.push_back(0.0);
                counts_.push_back(0);
            }
            at = it->second;
        }
        sums_[at] += store.Sum(cell, summary);
        counts_[at] += count;
    }
}

size_t CubePivot::slot(int row, int col) const {
    const auto key = static_cast<uint64_t>(row) * static_cast<uint64_t>(cols_) + static_cast<uint64_t>(col);
    if (dense_) return key < counts_.size() ? key : SIZE_MAX;
    const auto it = sparse_.find(key);
    return it == sparse_.end() ? SIZE_MAX : it->second;
}

bool CubePivot::HasValue(int row, int col) const {
    const size_t at = slot(row, col);
    return at != SIZE_MAX && counts_[at] > 0;
}

double CubePivot::Value(int row, int col) const {
    const size_t at = slot(row, col);
    if (at == SIZE_MAX || counts_[at] == 0) return 0.0;
    switch (static_cast<TCubeRole>(kind_)) {
        case TCubeRole::Count:
            return counts_[at];
        case TCubeRole::Average:
            return sums_[at] / counts_[at];
        default:
            return sums_[at];
    }
}
