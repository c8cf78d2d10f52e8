#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <QVarLengthArray>
#include <array>
#include <cstdint>
#include <vector>

// Registry key paths found without letter case straight from the Windows-1250 bytes of
// a settings file. A path compares and hashes as its case-folded UTF-16 units, the very
// units QString::toCaseFolded gives, so a key kept as file bytes and one named by the
// program as a text meet whichever form each comes in.
namespace platform {

using FoldedUnits = QVarLengthArray<char16_t, 256>;

// The case-folded unit of each byte's character.
const std::array<char16_t, 256>& FoldedCp1250Units();
void FoldCp1250(QByteArrayView bytes, FoldedUnits& out);
// Plain ASCII, by far the usual case, without the Unicode tables.
void FoldText(QStringView text, FoldedUnits& out);
uint32_t HashFolded(const char16_t* units, qsizetype count);
// HashFolded of the folded units of `bytes`, without making them.
uint32_t HashFoldedCp1250(QByteArrayView bytes);

// Item numbers (places in the caller's list) found by a hash and the caller's test of
// equality: open addressing in one flat array, no allocation per item.
class FlatIndex {
  public:
    void Clear();
    void Reserve(size_t items);
    // The item of `hash` for which `same(item)` holds; when there is none, `item` is
    // added and returned.
    template <typename Same>
    uint32_t FindOrAdd(uint32_t hash, uint32_t item, Same same);
    // -1 when none matches.
    template <typename Same>
    int64_t Find(uint32_t hash, Same same) const;

  private:
    struct Slot {
        uint32_t hash;
        uint32_t item;  // item + 1; 0 is a free slot
    };
    void grow();
    void rehash(size_t size);

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

template <typename Same>
uint32_t FlatIndex::FindOrAdd(uint32_t hash, uint32_t item, Same same) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.item == 0) {
            slot = Slot{hash, item + 1};
            ++count_;
            return item;
        }
        if (slot.hash == hash && same(slot.item - 1)) return slot.item - 1;
    }
}

template <typename Same>
int64_t FlatIndex::Find(uint32_t hash, Same same) const {
    if (slots_.empty()) return -1;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.item == 0) return -1;
        if (slot.hash == hash && same(slot.item - 1)) return slot.item - 1;
    }
}

}  // namespace platform
