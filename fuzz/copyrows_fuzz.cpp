// Rows of a binary COPY as a server (or anything posing as one) may send them: the
// column types come from the first bytes, then messages, each after a two-byte length,
// the first one with the COPY header. Every value of every type the program reads in
// binary form is turned into its text, or the row is refused; nothing is read past the
// end of a message.
#include <vector>

#include "FuzzSupport.h"
#include "db/PostgresRows.h"
#include "db/PostgresTypes.h"
#include "db/RowStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Oid kTypes[] = {pgtype::kInt2,    pgtype::kInt4,   pgtype::kInt8,      pgtype::kOid,
                                 pgtype::kFloat4,  pgtype::kFloat8, pgtype::kNumeric,   pgtype::kText,
                                 pgtype::kVarchar, pgtype::kBpchar, pgtype::kBytea,     pgtype::kBool,
                                 pgtype::kDate,    pgtype::kTime,   pgtype::kTimestamp, pgtype::kTimestamptz,
                                 pgtype::kName,    pgtype::kChar};
    constexpr size_t kTypeCount = sizeof kTypes / sizeof kTypes[0];
    if (size < 1) return 0;
    const size_t columns = 1 + data[0] % 6;
    if (size < 1 + columns) return 0;
    std::vector<Oid> kinds;
    for (size_t c = 0; c < columns; ++c) kinds.push_back(kTypes[data[1 + c] % kTypeCount]);
    const auto* p = reinterpret_cast<const char*>(data + 1 + columns);
    const char* const end = reinterpret_cast<const char*>(data + size);
    RowStore store(static_cast<int>(columns));
    std::vector<char> scratch;
    bool first = true;
    while (end - p >= 2) {
        const int length = static_cast<unsigned char>(p[0]) << 8 | static_cast<unsigned char>(p[1]);
        p += 2;
        if (end - p < length) break;
        // Each message in memory of its own size, so that reading past it is seen.
        std::vector<char> message(p, p + length);
        p += length;
        const char* at = message.data();
        int left = length;
        if (first && !pgrows::skipCopyHeader(at, left)) return 0;
        first = false;
        try {
            if (left > 0) pgrows::addCopiedRow(store, kinds, scratch, at, left);
        } catch (const EDatabaseError&) {
            return 0;  // the reader stops at the first row it cannot read
        }
    }
    return 0;
}
