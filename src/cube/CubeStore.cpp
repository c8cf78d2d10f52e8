#include "cube/CubeStore.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <numeric>

#include "cube/CubeError.h"
#include "db/Field.h"
#include "db/RowStore.h"
#include "rtl/SysUtils.h"

namespace {

constexpr uint32_t kNoValue = UINT32_MAX;

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

double toDouble(std::string_view raw) {
    return CStrToDouble(raw);
}

enum class ValueKind { Text, Number, Date };

// The part of a canonical date ("YYYY-MM-DD...") a grouping keeps, written to `out`.
std::string_view groupDate(std::string_view raw, TDateGrouping grouping, char (&out)[8]) {
    if (raw.size() < 10) return raw;
    switch (grouping) {
        case TDateGrouping::Year:
            return raw.substr(0, 4);
        case TDateGrouping::Month:
            return raw.substr(0, 7);
        case TDateGrouping::Quarter: {
            const int month = (raw[5] - '0') * 10 + (raw[6] - '0');
            std::copy_n(raw.data(), 4, out);
            out[4] = '-';
            out[5] = static_cast<char>('1' + (month - 1) / 3);
            return std::string_view(out, 6);
        }
        case TDateGrouping::Value:
            break;
    }
    return raw;
}

}  // namespace

struct CubeStore::Builder {
    struct Values {
        TField* field = nullptr;
        TDateGrouping grouping = TDateGrouping::Value;
        ValueKind kind = ValueKind::Text;
        std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> numbers;
        std::vector<std::string> keys;  // by value number
        uint32_t nullNumber = kNoValue;
    };
    std::vector<Values> values;
};

CubeStore::CubeStore() = default;
CubeStore::~CubeStore() = default;

void CubeStore::Clear() {
    dimensions_.clear();
    summaries_.clear();
    dimensionColumns_.clear();
    summaryColumns_.clear();
    cellValues_ = {};
    sums_ = {};
    counts_ = {};
    index_ = {};
    cells_ = 0;
    rows_ = 0;
    builder_.reset();
}

void CubeStore::Begin(const TCubeMap& map, const std::vector<TField*>& fields, int maxCells) {
    Clear();
    maxCells_ = maxCells;
    builder_ = std::make_unique<Builder>();
    for (size_t i = 0; i < map.size(); ++i) {
        const TCubeField& f = map[i];
        if (f.Role == TCubeRole::Dimension) {
            dimensions_.push_back({f.Caption(), {}, false});
            dimensionColumns_.push_back(static_cast<int>(i));
            Builder::Values v;
            v.field = fields[i];
            if (IsNumericType(f.DataType)) v.kind = ValueKind::Number;
            if (IsDateType(f.DataType)) {
                v.kind = ValueKind::Date;
                v.grouping = f.Grouping;
            }
            builder_->values.push_back(std::move(v));
        } else if (f.IsSummary()) {
            summaries_.push_back({f.Caption(), f.Role, f.Format});
            summaryColumns_.push_back(static_cast<int>(i));
        }
    }
    index_.assign(1024, 0);
}

uint32_t CubeStore::valueNumber(int d, std::optional<std::string_view> raw) {
    Builder::Values& v = builder_->values[static_cast<size_t>(d)];
    if (!raw) {
        if (v.nullNumber == kNoValue) {
            v.nullNumber = static_cast<uint32_t>(v.keys.size());
            v.keys.emplace_back();
        }
        return v.nullNumber;
    }
    char buffer[8];
    const std::string_view key = v.kind == ValueKind::Date ? groupDate(*raw, v.grouping, buffer) : *raw;
    const auto found = v.numbers.find(key);
    if (found != v.numbers.end()) return found->second;
    const auto number = static_cast<uint32_t>(v.keys.size());
    v.keys.emplace_back(key);
    v.numbers.emplace(std::string(key), number);
    return number;
}

void CubeStore::growIndex() {
    std::vector<uint32_t> bigger(index_.size() * 2, 0);
    const size_t mask = bigger.size() - 1;
    const size_t dims = dimensions_.size();
    for (int cell = 0; cell < cells_; ++cell) {
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (size_t d = 0; d < dims; ++d) h = (h ^ cellValues_[cell * dims + d]) * 0x100000001B3ull;
        size_t slot = (h ^ (h >> 29)) & mask;
        while (bigger[slot] != 0) slot = (slot + 1) & mask;
        bigger[slot] = static_cast<uint32_t>(cell) + 1;
    }
    index_.swap(bigger);
}

int CubeStore::findOrAddCell(const uint32_t* key) {
    const size_t dims = dimensions_.size();
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (size_t d = 0; d < dims; ++d) h = (h ^ key[d]) * 0x100000001B3ull;
    const size_t mask = index_.size() - 1;
    size_t slot = (h ^ (h >> 29)) & mask;
    while (index_[slot] != 0) {
        const int cell = static_cast<int>(index_[slot]) - 1;
        if (std::equal(key, key + dims, cellValues_.data() + cell * dims)) return cell;
        slot = (slot + 1) & mask;
    }
    if (maxCells_ > 0 && cells_ >= maxCells_)
        throw EDecisionCubeError(QStringLiteral("The cube would hold more than %1 cells.").arg(maxCells_));
    const int cell = cells_++;
    cellValues_.insert(cellValues_.end(), key, key + dims);
    sums_.resize(sums_.size() + summaries_.size(), 0.0);
    counts_.resize(counts_.size() + summaries_.size(), 0);
    index_[slot] = static_cast<uint32_t>(cell) + 1;
    if (static_cast<size_t>(cells_) * 2 > index_.size()) growIndex();
    return cell;
}

void CubeStore::AddRows(const RowStore& rows) {
    const size_t dims = dimensions_.size();
    std::vector<uint32_t> key(std::max<size_t>(dims, 1));
    const size_t sums = summaries_.size();
    for (int r = 0; r < rows.Count(); ++r) {
        for (size_t d = 0; d < dims; ++d)
            key[d] = valueNumber(static_cast<int>(d), rows.Value(r, dimensionColumns_[d]));
        const size_t cell = static_cast<size_t>(findOrAddCell(key.data()));
        for (size_t s = 0; s < sums; ++s) {
            const auto raw = rows.Value(r, summaryColumns_[s]);
            if (!raw) continue;
            sums_[cell * sums + s] += toDouble(*raw);
            ++counts_[cell * sums + s];
        }
    }
    rows_ += rows.Count();
}

void CubeStore::Finish() {
    if (!builder_) return;
    const size_t dims = dimensions_.size();
    std::vector<std::vector<uint32_t>> renumber(dims);
    for (size_t d = 0; d < dims; ++d) {
        Builder::Values& v = builder_->values[d];
        std::vector<uint32_t> order(v.keys.size());
        std::iota(order.begin(), order.end(), 0u);
        std::vector<QString> labels(v.keys.size());
        std::vector<double> numbers(v.keys.size(), 0.0);
        for (size_t i = 0; i < v.keys.size(); ++i) {
            if (i == v.nullNumber) continue;
            const std::string_view key = v.keys[i];
            if (v.kind == ValueKind::Number) numbers[i] = toDouble(key);
            // A value too short to be a date was not grouped: it shows as it is.
            const bool grouped = v.kind == ValueKind::Date && key.size() < 10;
            if (grouped && v.grouping == TDateGrouping::Year && key.size() == 4)
                labels[i] = QString::fromLatin1(key.data(), 4);
            else if (grouped && v.grouping == TDateGrouping::Quarter && key.size() == 6)
                labels[i] = QStringLiteral("%1 Q%2").arg(QString::fromLatin1(key.data(), 4)).arg(key[5]);
            else if (grouped && v.grouping == TDateGrouping::Month && key.size() == 7)
                labels[i] = QString::fromLatin1(key.data(), 7);
            else
                labels[i] = v.field->FormatValue(key);
        }
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            if (a == v.nullNumber || b == v.nullNumber) return b == v.nullNumber && a != b;
            switch (v.kind) {
                case ValueKind::Number:
                    return numbers[a] < numbers[b];
                case ValueKind::Date:
                    return v.keys[a] < v.keys[b];
                case ValueKind::Text:
                    break;
            }
            const int c = QString::localeAwareCompare(labels[a], labels[b]);
            return c != 0 ? c < 0 : v.keys[a] < v.keys[b];
        });
        renumber[d].resize(order.size());
        Dimension& dim = dimensions_[d];
        dim.Labels.clear();
        for (size_t n = 0; n < order.size(); ++n) {
            renumber[d][order[n]] = static_cast<uint32_t>(n);
            dim.Labels.push_back(order[n] == v.nullNumber ? QStringLiteral("(null)") : labels[order[n]]);
        }
        dim.HasNull = v.nullNumber != kNoValue;
    }
    for (size_t i = 0; i < cellValues_.size(); ++i) cellValues_[i] = renumber[i % dims][cellValues_[i]];
    builder_.reset();
    index_ = {};
    cellValues_.shrink_to_fit();
    sums_.shrink_to_fit();
    counts_.shrink_to_fit();
}

size_t CubeStore::MemoryBytes() const {
    size_t labels = 0;
    for (const Dimension& d : dimensions_)
        for (const QString& l : d.Labels) labels += sizeof(QString) + static_cast<size_t>(l.size()) * 2;
    return cellValues_.capacity() * sizeof(uint32_t) + sums_.capacity() * sizeof(double) +
           counts_.capacity() * sizeof(uint32_t) + index_.capacity() * sizeof(uint32_t) + labels;
}
