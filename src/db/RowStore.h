#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// Compact cache of fetched rows. Each row is one run of bytes in a large block: per
// column a variable-length header (0 for NULL, otherwise length + 1) followed by the
// value in its canonical form: UTF-8 text for character data, decimal text for
// numbers, ISO text for dates and times, "1"/"0" for Booleans, raw bytes for binary
// data. Rows never move once written, so a million rows cost little beyond their bytes.
class RowStore {
  public:
    explicit RowStore(int columns = 0) : columns_(columns) {}

    void Reset(int columns);
    int Columns() const { return columns_; }
    int Count() const { return static_cast<int>(rows_.size()); }

    // Building one row: BeginRow, then Columns() calls of AddValue/AddNull, then EndRow.
    void BeginRow();
    void AddNull();
    void AddValue(const char* data, size_t length);
    void AddValue(std::string_view v) { AddValue(v.data(), v.size()); }
    // Ends the row; `at` < 0 appends it, otherwise inserts it before that row.
    void EndRow(int at = -1);
    // Replaces a row by the row just built (EndRow is not called then).
    void EndRowReplacing(int row);
    void Remove(int row);

    std::optional<std::string_view> Value(int row, int col) const;

    // Bytes held in blocks (for the benchmark and the tests of compactness).
    size_t BytesReserved() const { return reserved_; }

  private:
    static constexpr size_t kBlockSize = 1 << 20;
    const char* finishRow();
    char* reserve(size_t bytes);

    int columns_ = 0;
    std::vector<const char*> rows_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t used_ = kBlockSize;  // bytes used in the last block
    size_t reserved_ = 0;
    std::vector<char> building_;
};
