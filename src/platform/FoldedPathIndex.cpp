#include "platform/FoldedPathIndex.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/Codepage.h"

namespace platform {

const std::array<char16_t, 256>& FoldedCp1250Units() {
    // Taken from the code page and Qt's own folding, so the two can never disagree.
    static const std::array<char16_t, 256> table = [] {
        QByteArray every(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b) every[b] = static_cast<char>(b);
        const QString folded = FromCp1250(every).toCaseFolded();
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[static_cast<size_t>(b)] = folded[b].unicode();
        return t;
    }();
    return table;
}

void FoldCp1250(QByteArrayView bytes, FoldedUnits& out) {
    const auto& table = FoldedCp1250Units();
    out.resize(bytes.size());
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* to = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) to[i] = table[from[i]];
}

void FoldText(QStringView text, FoldedUnits& out) {
    out.resize(text.size());
    const char16_t* from = text.utf16();
    char16_t* to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = from[i];
        if (u >= 0x80) {
            const QString folded = text.toString().toCaseFolded();
            out.resize(folded.size());
            std::memcpy(out.data(), folded.utf16(), sizeof(char16_t) * static_cast<size_t>(folded.size()));
            return;
        }
        to[i] = u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    }
}

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
constexpr uint64_t kEveryByte = 0x0101010101010101ull;

// The hash takes eight units a step: their low bytes in one word and their high bytes,
// nearly always zero, in another; a key path of forty characters costs five
// multiplications, and eight plain ASCII bytes of a file are folded at once.
struct Hasher {
    uint64_t h;
    explicit Hasher(qsizetype count) : h(0x243F6A8885A308D3ull ^ static_cast<uint64_t>(count)) {}
    void Add(uint64_t low, uint64_t high) {
        h = (h ^ low) * kMultiplier;
        h ^= h >> 29;
        if (high != 0) {
            h = (h ^ high) * kMultiplier;
            h ^= h >> 31;
        }
    }
    uint32_t Result() const {
        uint64_t r = h ^ (h >> 32);
        r *= kMultiplier;
        r ^= r >> 29;
        return static_cast<uint32_t>(r);
    }
};

// Units from `at` on, at most eight, as the two words of Hasher::Add.
template <typename UnitAt>
void packUnits(qsizetype at, qsizetype count, UnitAt unit, uint64_t& low, uint64_t& high) {
    low = high = 0;
    const qsizetype n = std::min<qsizetype>(8, count - at);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = unit(at + i);
        low |= uint64_t(u & 0xFF) << (8 * i);
        high |= uint64_t(u >> 8) << (8 * i);
    }
}

// Eight ASCII bytes with A-Z made lower case (no byte may have its top bit set).
uint64_t asciiLower(uint64_t w) {
    const uint64_t fromA = w + (0x80 - 'A') * kEveryByte;      // top bit: byte >= 'A'
    const uint64_t pastZ = w + (0x80 - 'Z' - 1) * kEveryByte;  // top bit: byte > 'Z'
    const uint64_t upper = fromA & ~pastZ & (0x80 * kEveryByte);
    return w | (upper >> 2);
}

}  // namespace

uint32_t HashFolded(const char16_t* units, qsizetype count) {
    Hasher hasher(count);
    const auto unit = [units](qsizetype i) { return units[i]; };
    for (qsizetype at = 0; at < count; at += 8) {
        uint64_t low, high;
        packUnits(at, count, unit, low, high);
        hasher.Add(low, high);
    }
    return hasher.Result();
}

uint32_t HashFoldedCp1250(QByteArrayView bytes) {
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype count = bytes.size();
    // Eight bytes from `at` as one word, the first byte lowest.
    const auto word = [from](qsizetype at) {
        uint64_t w = 0;
        if constexpr (std::endian::native == std::endian::little)
            std::memcpy(&w, from + at, sizeof w);
        else
            for (int i = 0; i < 8; ++i) w |= uint64_t(from[at + i]) << (8 * i);
        return w;
    };
    const auto unit = [from](qsizetype i) { return FoldedCp1250Units()[from[i]]; };
    Hasher hasher(count);
    for (qsizetype at = 0; at < count; at += 8) {
        // The last bytes, fewer than eight, as the end of the word that ends with them.
        const qsizetype left = count - at;
        const uint64_t w = left >= 8    ? word(at)
                           : count >= 8 ? word(count - 8) >> (8 * (8 - left))
                                        : 0x80 * kEveryByte;
        if ((w & (0x80 * kEveryByte)) == 0) {
            hasher.Add(asciiLower(w), 0);
            continue;
        }
        uint64_t low, high;
        packUnits(at, count, unit, low, high);
        hasher.Add(low, high);
    }
    return hasher.Result();
}

void FlatIndex::Clear() {
    slots_.clear();
    count_ = 0;
}

void FlatIndex::Reserve(size_t items) {
    size_t size = 64;
    while (size < items * 2) size *= 2;
    if (size > slots_.size()) rehash(size);
}

void FlatIndex::grow() {
    rehash(std::max<size_t>(64, slots_.size() * 2));
}

void FlatIndex::rehash(size_t size) {
    std::vector<Slot> old(size, Slot{0, 0});
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.item == 0) continue;
        size_t i = slot.hash & mask;
        while (slots_[i].item != 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

}  // namespace platform
