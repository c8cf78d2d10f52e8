#include "db/RowStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "rtl/Exception.h"

namespace {

// Every this many rows of a block, the block notes where the row starts.
constexpr uint32_t kCheckpointEvery = 16;

RowStore::Limits& defaultLimits() {
    static RowStore::Limits limits{size_t(1) << 20, size_t(16) << 20};
    return limits;
}

size_t varintSize(size_t v) {
    size_t n = 1;
    while (v >= 0x80) {
        v >>= 7;
        ++n;
    }
    return n;
}

char* putVarint(char* out, size_t v) {
    while (v >= 0x80) {
        *out++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    *out++ = static_cast<char>(v);
    return out;
}

size_t getVarint(const char*& p) {
    size_t v = 0;
    int shift = 0;
    for (;;) {
        const auto b = static_cast<unsigned char>(*p++);
        v |= static_cast<size_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
        shift += 7;
    }
}

// An unlinked file in the temporary folder: it goes away with the process.
int openScratchFile() {
    const QByteArray dir = QFile::encodeName(QDir::tempPath());
    // A temporary folder that does not exist comes back empty: no file then, rather
    // than one in the root folder.
    if (dir.isEmpty()) return -1;
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    QByteArray name = dir + "/zorvantic-rows-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.constData());
    return fd;
}

}  // namespace

void RowBlock::Append(const std::vector<char>& row) {
    const uint32_t slot = rows++;
    if (slot % kCheckpointEvery == 0) checkpoints.push_back(static_cast<uint32_t>(used));
    char* p = putVarint(data.get() + used, row.size());
    if (!row.empty()) std::memcpy(p, row.data(), row.size());
    used += varintSize(row.size()) + row.size();
}

namespace {

// Bytes for a block, not zeroed first.
std::shared_ptr<char[]> blockBytes(size_t capacity) {
    return std::shared_ptr<char[]>(new char[std::max<size_t>(capacity, 1)]);
}

// Room a row of `length` bytes takes in a block, its length included.
size_t rowSize(size_t length) {
    return varintSize(length) + length;
}

void appendValue(std::vector<char>& row, const char* data, size_t length) {
    // Appended, not resized, so the bytes are not zeroed first.
    char header[10];
    row.insert(row.end(), header, putVarint(header, length + 1));
    row.insert(row.end(), data, data + length);
}

}  // namespace

struct RowStore::Segment {
    uint32_t block;
    uint32_t firstSlot;
    uint32_t count;
};

RowStore::Limits RowStore::SetLimits(Limits limits) {
    const Limits before = defaultLimits();
    defaultLimits() = limits;
    return before;
}

RowStore::Limits RowStore::CurrentLimits() {
    return defaultLimits();
}

RowStore::RowStore(int columns)
    : limits_(defaultLimits()), columns_(columns), lastColumns_(static_cast<size_t>(std::max(columns, 0))) {}

RowStore::~RowStore() {
    if (file_ >= 0) ::close(file_);
}

void RowStore::Reset(int columns) {
    limits_ = defaultLimits();
    columns_ = columns;
    count_ = 0;
    blocks_.clear();
    blocks_.shrink_to_fit();
    fill_ = -1;
    segments_.clear();
    segmentStart_.clear();
    lastSegment_ = 0;
    resident_ = 0;
    if (file_ >= 0) ::close(file_);
    file_ = -1;
    fileEnd_ = 0;
    fileFailed_ = false;
    building_.clear();
    takenBytes_ = nullptr;
    lastRow_ = {UINT32_MAX, 0};
    lastRowBytes_ = nullptr;
    lastIndex_ = -1;
    lastColumns_.assign(static_cast<size_t>(std::max(columns, 0)), Column{});
}

void RowStore::BeginRow() {
    building_.clear();
}

void RowStore::AddValue(const char* data, size_t length) {
    appendValue(building_, data, length);
}

// ---- blocks in memory and in the file --------------------------------------------------

bool RowStore::spill(Block& b) {
    if (fileFailed_) return false;
    if (file_ < 0) file_ = openScratchFile();
    if (file_ < 0) {
        fileFailed_ = true;
        return false;
    }
    size_t done = 0;
    while (done < b.used) {
        const ssize_t n =
            ::pwrite(file_, b.data.get() + done, b.used - done, static_cast<off_t>(fileEnd_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fileFailed_ = true;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    b.fileOffset = static_cast<int64_t>(fileEnd_);
    fileEnd_ += b.used;
    return true;
}

// Moves the least recently read blocks to the file until `bytes` more fit in memory.
void RowStore::makeRoom(size_t bytes, uint32_t keep) {
    while (resident_ + bytes > limits_.residentBytes) {
        Block* oldest = nullptr;
        uint32_t oldestIndex = 0;
        for (uint32_t i = 0; i < blocks_.size(); ++i) {
            Block& b = blocks_[i];
            if (!b.data || i == keep || static_cast<int>(i) == fill_) continue;
            if (!oldest || b.lastUse < oldest->lastUse) {
                oldest = &b;
                oldestIndex = i;
            }
        }
        if (!oldest) return;
        if (oldest->fileOffset < 0 && !spill(*oldest)) return;
        oldest->data.reset();
        resident_ -= oldest->capacity;
        oldest->capacity = 0;
        if (lastRow_.block == oldestIndex) {
            lastRow_ = {UINT32_MAX, 0};
            lastRowBytes_ = nullptr;
        }
    }
}

void RowStore::load(uint32_t index) {
    Block& b = blocks_[index];
    b.lastUse = ++clock_;
    if (b.data) return;
    makeRoom(b.used, index);
    auto data = blockBytes(b.used);
    size_t done = 0;
    while (done < b.used) {
        const ssize_t n = ::pread(file_, data.get() + done, b.used - done,
                                  static_cast<off_t>(static_cast<size_t>(b.fileOffset) + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throw EDatabaseError(QStringLiteral("Cannot read back the fetched rows from a temporary file: %1")
                                     .arg(QString::fromLocal8Bit(
                                         n < 0 ? std::strerror(errno) : "the file is shorter than written")));
        done += static_cast<size_t>(n);
    }
    b.data = std::move(data);
    b.capacity = std::max<size_t>(b.used, 1);
    resident_ += b.capacity;
}

// Writes the row just built into a block; a row larger than a quarter block gets one
// of its own, so that the blocks of ordinary rows stay full.
RowStore::Place RowStore::store() {
    const size_t total = rowSize(building_.size());
    const bool large = total > limits_.blockSize / 4;
    uint32_t index;
    if (!large && fill_ >= 0 && blocks_[static_cast<size_t>(fill_)].used + total <= limits_.blockSize) {
        index = static_cast<uint32_t>(fill_);
    } else {
        const size_t capacity = large ? total : limits_.blockSize;
        if (!large) fill_ = -1;  // the full block may go to the file from now on
        makeRoom(capacity, UINT32_MAX);
        Block b;
        b.data = blockBytes(capacity);
        b.capacity = capacity;
        resident_ += capacity;
        blocks_.push_back(std::move(b));
        index = static_cast<uint32_t>(blocks_.size() - 1);
        if (!large) fill_ = static_cast<int>(index);
    }
    Block& b = blocks_[index];
    b.lastUse = ++clock_;
    const uint32_t slot = b.rows;
    b.Append(building_);
    return {index, slot};
}

const char* RowStore::rowBytes(Place p) {
    const char* bytes = nullptr;
    if (lastRowBytes_ && lastRow_.block == p.block) {
        if (lastRow_.slot == p.slot) return lastRowBytes_;
        // Rows read in order: the next row of the block starts where the last one ends.
        if (p.slot == lastRow_.slot + 1) {
            blocks_[p.block].lastUse = ++clock_;
            const char* end = lastRowBytes_;
            const size_t length = getVarint(end);
            bytes = end + length;
        }
    }
    if (!bytes) {
        load(p.block);
        const Block& b = blocks_[p.block];
        bytes = b.data.get() + b.checkpoints[p.slot / kCheckpointEvery];
        for (uint32_t k = p.slot % kCheckpointEvery; k > 0; --k) {
            const size_t length = getVarint(bytes);
            bytes += length;
        }
    }
    lastRow_ = p;
    lastRowBytes_ = bytes;
    // Where each value of the row starts, so that reading its columns one by one does
    // not walk the values before each.
    const char* v = bytes;
    getVarint(v);  // the row's length
    Column* c = lastColumns_.data();
    for (int i = 0; i < columns_; ++i, ++c) {
        c->header = getVarint(v);
        c->data = v;
        if (c->header) v += c->header - 1;
    }
    return bytes;
}

// ---- row order -------------------------------------------------------------------------

RowStore::Place RowStore::place(int row) const {
    if (row < 0 || row >= count_) throw std::out_of_range("RowStore row");
    size_t i = lastSegment_;
    if (i >= segments_.size() || row < segmentStart_[i] ||
        row >= segmentStart_[i] + static_cast<int>(segments_[i].count)) {
        i = static_cast<size_t>(std::upper_bound(segmentStart_.begin(), segmentStart_.end(), row) -
                                segmentStart_.begin()) -
            1;
        lastSegment_ = i;
    }
    const Segment& s = segments_[i];
    return {s.block, s.firstSlot + static_cast<uint32_t>(row - segmentStart_[i])};
}

void RowStore::restart(size_t from) {
    segmentStart_.resize(segments_.size());
    for (size_t j = from; j < segments_.size(); ++j)
        segmentStart_[j] = j == 0 ? 0 : segmentStart_[j - 1] + static_cast<int>(segments_[j - 1].count);
    lastSegment_ = 0;
}

void RowStore::appendRun(uint32_t block, uint32_t firstSlot, uint32_t count) {
    if (!segments_.empty()) {
        Segment& last = segments_.back();
        if (last.block == block && last.firstSlot + last.count == firstSlot) {
            last.count += count;
            count_ += static_cast<int>(count);
            return;
        }
    }
    segments_.push_back({block, firstSlot, count});
    segmentStart_.push_back(count_);
    count_ += static_cast<int>(count);
}

void RowStore::insertPlace(int at, Place p) {
    if (at < 0 || at >= count_) {
        appendRun(p.block, p.slot, 1);
        return;
    }
    lastIndex_ = -1;  // the rows after it move on
    place(at);
    const size_t i = lastSegment_;
    const Segment s = segments_[i];
    const auto k = static_cast<uint32_t>(at - segmentStart_[i]);
    std::vector<Segment> parts;
    if (k > 0) parts.push_back({s.block, s.firstSlot, k});
    parts.push_back({p.block, p.slot, 1});
    parts.push_back({s.block, s.firstSlot + k, s.count - k});
    segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(i));
    segments_.insert(segments_.begin() + static_cast<std::ptrdiff_t>(i), parts.begin(), parts.end());
    ++count_;
    restart(i);
}

void RowStore::removeRow(int row) {
    lastIndex_ = -1;  // the rows after it move back
    place(row);
    const size_t i = lastSegment_;
    Segment& s = segments_[i];
    const auto k = static_cast<uint32_t>(row - segmentStart_[i]);
    if (s.count == 1) {
        segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(i));
    } else if (k == 0) {
        ++s.firstSlot;
        --s.count;
    } else if (k == s.count - 1) {
        --s.count;
    } else {
        const Segment rest{s.block, s.firstSlot + k + 1, s.count - k - 1};
        s.count = k;
        segments_.insert(segments_.begin() + static_cast<std::ptrdiff_t>(i) + 1, rest);
    }
    --count_;
    restart(i);
}

int RowStore::Take(RowBatch& batch, int maxRows) {
    int taken = 0;
    while (taken < maxRows && batch.part_ < batch.parts_.size()) {
        const RowBlock& part = batch.parts_[batch.part_];
        // The part taken from last is a block of this store already, unless it went to
        // the file: its bytes there are the same, but read back they are a copy.
        const bool goOn = takenBytes_ == part.data.get() && takenBlock_ < blocks_.size() &&
                          (blocks_[takenBlock_].data == part.data || blocks_[takenBlock_].fileOffset >= 0);
        if (!goOn) {
            makeRoom(part.capacity, UINT32_MAX);
            Block b;
            b.data = part.data;
            b.capacity = part.capacity;
            b.used = part.used;
            b.rows = part.rows;
            b.checkpoints = part.checkpoints;
            b.lastUse = ++clock_;
            resident_ += b.capacity;
            blocks_.push_back(std::move(b));
            takenBytes_ = part.data.get();
            takenBlock_ = static_cast<uint32_t>(blocks_.size() - 1);
        }
        const auto n = std::min<uint32_t>(static_cast<uint32_t>(maxRows - taken), part.rows - batch.slot_);
        appendRun(takenBlock_, batch.slot_, n);
        batch.slot_ += n;
        batch.taken_ += static_cast<int>(n);
        taken += static_cast<int>(n);
        if (batch.slot_ == part.rows) {
            ++batch.part_;
            batch.slot_ = 0;
        }
    }
    return taken;
}

void RowStore::EndRow(int at) {
    insertPlace(at, store());
}

void RowStore::EndRowReplacing(int row) {
    place(row);
    const Place p = store();
    removeRow(row);
    insertPlace(row, p);
}

void RowStore::Remove(int row) {
    removeRow(row);
}

std::optional<std::string_view> RowStore::Value(int row, int col) const {
    if (col < 0 || col >= columns_) throw std::out_of_range("RowStore column");
    // The columns of one row are mostly read one after the other.
    if (row != lastIndex_ || !lastRowBytes_) {
        // Reading may bring a block back from the file; the rows themselves do not change.
        const_cast<RowStore*>(this)->rowBytes(place(row));
        lastIndex_ = row;
    }
    const Column& c = lastColumns_[static_cast<size_t>(col)];
    if (!c.header) return std::nullopt;
    return std::string_view(c.data, c.header - 1);
}

// ---- batches ------------------------------------------------------------------------------

void RowBatch::AddValue(const char* data, size_t length) {
    appendValue(building_, data, length);
}

void RowBatch::EndRow() {
    const size_t total = rowSize(building_.size());
    // As in a store: a row larger than a quarter block has a block of its own.
    const bool large = total > blockSize_ / 4;
    if (large || parts_.empty() || parts_.back().capacity < blockSize_ ||
        !parts_.back().Fits(total, blockSize_)) {
        RowBlock b;
        b.capacity = large ? total : blockSize_;
        b.data = blockBytes(b.capacity);
        parts_.push_back(std::move(b));
    }
    parts_.back().Append(building_);
    ++count_;
}

void RowBatch::Finish() {
    if (parts_.empty()) return;
    RowBlock& last = parts_.back();
    if (last.used >= last.capacity / 2) return;
    auto fitted = blockBytes(last.used);
    std::memcpy(fitted.get(), last.data.get(), last.used);
    last.data = std::move(fitted);
    last.capacity = std::max<size_t>(last.used, 1);
}
