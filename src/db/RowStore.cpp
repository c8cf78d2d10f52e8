#include "db/RowStore.h"

#include <cstring>

namespace {

void putVarint(std::vector<char>& out, size_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
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

}  // namespace

void RowStore::Reset(int columns) {
    columns_ = columns;
    rows_.clear();
    rows_.shrink_to_fit();
    blocks_.clear();
    used_ = kBlockSize;
    reserved_ = 0;
    building_.clear();
}

void RowStore::BeginRow() {
    building_.clear();
}

void RowStore::AddNull() {
    building_.push_back(0);
}

void RowStore::AddValue(const char* data, size_t length) {
    putVarint(building_, length + 1);
    building_.insert(building_.end(), data, data + length);
}

char* RowStore::reserve(size_t bytes) {
    // A first row of no columns needs a block to point into as well.
    if (blocks_.empty() || used_ + bytes > kBlockSize) {
        blocks_.push_back(std::make_unique<char[]>(kBlockSize));
        reserved_ += kBlockSize;
        used_ = 0;
    }
    char* p = blocks_.back().get() + used_;
    used_ += bytes;
    return p;
}

const char* RowStore::finishRow() {
    char* p;
    const size_t n = building_.size();
    if (n > kBlockSize / 4) {
        auto block = std::make_unique<char[]>(n);
        p = block.get();
        reserved_ += n;
        // Keep the block being filled last, so later small rows continue in it.
        if (blocks_.empty() || used_ == kBlockSize)
            blocks_.push_back(std::move(block));
        else
            blocks_.insert(blocks_.end() - 1, std::move(block));
    } else {
        p = reserve(n);
    }
    if (n) std::memcpy(p, building_.data(), n);
    return p;
}

void RowStore::EndRow(int at) {
    const char* p = finishRow();
    if (at < 0 || at >= Count())
        rows_.push_back(p);
    else
        rows_.insert(rows_.begin() + at, p);
}

void RowStore::EndRowReplacing(int row) {
    rows_.at(static_cast<size_t>(row)) = finishRow();
}

void RowStore::Remove(int row) {
    rows_.erase(rows_.begin() + row);
}

std::optional<std::string_view> RowStore::Value(int row, int col) const {
    const char* p = rows_.at(static_cast<size_t>(row));
    for (int c = 0; c < col; ++c) {
        const size_t h = getVarint(p);
        if (h) p += h - 1;
    }
    const size_t h = getVarint(p);
    if (!h) return std::nullopt;
    return std::string_view(p, h - 1);
}
