#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// Compact cache of fetched rows. Each row is one run of bytes in a large block: its
// length, then per column a variable-length header (0 for NULL, otherwise length + 1)
// followed by the value in its canonical form: UTF-8 text for character data, decimal
// text for numbers, ISO text for dates and times, "1"/"0" for Booleans, raw bytes for
// binary data.
//
// Memory stays flat whatever the number of rows: only a few blocks stay in memory; the
// others move to an unlinked temporary file and come back when a row of theirs is read.
// Written rows never change (an edited row is written anew), so a block goes to the
// file at most once. Should the file fail, blocks simply stay in memory.
class RowBatch;

// A run of rows in the store's form: per row its length, then its values. Its bytes may
// be shared: by the batch that built them and the stores that took rows from it.
struct RowBlock {
    std::shared_ptr<char[]> data;  // nullptr while the block is in the file only
    size_t capacity = 0;
    size_t used = 0;
    uint32_t rows = 0;
    std::vector<uint32_t> checkpoints;  // offset of every 16th row
    int64_t fileOffset = -1;
    uint64_t lastUse = 0;
    // Whether a row taking `rowBytes` (its length included) still fits.
    bool Fits(size_t rowBytes, size_t blockSize) const { return used + rowBytes <= blockSize; }
    // Writes a row (its values as built) at the end; the caller made sure it fits.
    void Append(const std::vector<char>& row);
};

class RowStore {
  public:
    explicit RowStore(int columns = 0);
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    void Reset(int columns);
    int Columns() const { return columns_; }
    int Count() const { return count_; }

    // Building one row: BeginRow, then Columns() calls of AddValue/AddNull, then EndRow.
    void BeginRow();
    void AddNull() { building_.push_back(0); }
    void AddValue(const char* data, size_t length);
    void AddValue(std::string_view v) { AddValue(v.data(), v.size()); }
    // Ends the row; `at` < 0 appends it, otherwise inserts it before that row.
    void EndRow(int at = -1);
    // Replaces a row by the row just built (EndRow is not called then).
    void EndRowReplacing(int row);
    void Remove(int row);
    // Appends up to maxRows rows of `batch`, from where it was taken last, sharing its
    // bytes rather than copying them; returns how many. Rows taken by several stores
    // stay valid in each.
    int Take(RowBatch& batch, int maxRows);

    // A view of the value in the store. It stays valid until a value of a row in another
    // block is read or the store changes; the values of one row stay valid together.
    // Raises EDatabaseError when a block cannot be read back from the file.
    std::optional<std::string_view> Value(int row, int col) const;

    // Bytes of rows held in memory now, and bytes moved to the file.
    size_t BytesReserved() const { return resident_; }
    size_t BytesSpilled() const { return fileEnd_; }

    // Size of a block and the memory the blocks may take together. Tests shrink them to
    // see many blocks come and go with few rows; each store takes them when created.
    struct Limits {
        size_t blockSize;
        size_t residentBytes;
    };
    static Limits SetLimits(Limits limits);  // returns the limits before
    static Limits CurrentLimits();

  private:
    using Block = RowBlock;
    struct Segment;
    struct Place {
        uint32_t block;
        uint32_t slot;
    };

    Place place(int row) const;
    const char* rowBytes(Place p);
    void load(uint32_t block);
    void makeRoom(size_t bytes, uint32_t keep);
    bool spill(Block& b);
    Place store();
    void insertPlace(int at, Place p);
    void appendRun(uint32_t block, uint32_t firstSlot, uint32_t count);
    void removeRow(int row);
    void restart(size_t from);

    Limits limits_;
    int columns_ = 0;
    int count_ = 0;
    std::vector<Block> blocks_;
    int fill_ = -1;  // the block new rows go to
    // Rows in order as runs of consecutive slots of one block, with the first row of each.
    std::vector<Segment> segments_;
    std::vector<int> segmentStart_;
    mutable size_t lastSegment_ = 0;
    size_t resident_ = 0;
    uint64_t clock_ = 0;
    int file_ = -1;
    size_t fileEnd_ = 0;
    bool fileFailed_ = false;
    std::vector<char> building_;
    // The block sharing the bytes of the batch part taken from last, to go on with it.
    const char* takenBytes_ = nullptr;
    uint32_t takenBlock_ = 0;
    // The row read last and where its values start, so that reading its columns one by
    // one finds each at once.
    struct Column {
        size_t header;  // 0 for NULL, otherwise length + 1
        const char* data;
    };
    Place lastRow_{UINT32_MAX, 0};
    const char* lastRowBytes_ = nullptr;
    mutable int lastIndex_ = -1;  // the row's number, while the order stays
    std::vector<Column> lastColumns_;
};

// Rows built apart from any store, in the stores' own form, for stores to take without
// copying them (RowStore::Take): a reader on another thread fills one while the rows
// before it are read. Built rows never change.
class RowBatch {
  public:
    explicit RowBatch(size_t blockSize = RowStore::CurrentLimits().blockSize) : blockSize_(blockSize) {}

    // Building one row as in RowStore: BeginRow, a value or NULL per column, EndRow.
    void BeginRow() { building_.clear(); }
    void AddNull() { building_.push_back(0); }
    void AddValue(const char* data, size_t length);
    void AddValue(std::string_view v) { AddValue(v.data(), v.size()); }
    void EndRow();
    // Lets go of the room the last block did not fill; no row is added after it.
    void Finish();

    int Count() const { return count_; }
    int Left() const { return count_ - taken_; }  // rows no store has taken yet

  private:
    friend class RowStore;
    size_t blockSize_;
    std::vector<RowBlock> parts_;
    std::vector<char> building_;
    int count_ = 0;
    int taken_ = 0;
    size_t part_ = 0;  // where the next take starts
    uint32_t slot_ = 0;
};
