// Rows of a binary COPY as the server sends them, read without a server: values in the
// cache's form, and a message that is not what the statement described refused after
// the rows before it, never read past its end.
#include <gtest/gtest.h>

#include <string>

#include "db/PostgresRows.h"
#include "db/PostgresTypes.h"
#include "db/RowStore.h"

namespace {

std::string be16(int v) {
    return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
}
std::string be32(int64_t v) {
    return be16(static_cast<int>(v >> 16 & 0xFFFF)) + be16(static_cast<int>(v & 0xFFFF));
}

// An int4 and a text value (or NULL).
std::string row(int32_t number, const char* text) {
    std::string m = be16(2) + be32(4) + be32(number);
    m += text ? be32(static_cast<int64_t>(std::strlen(text))) + text : be32(-1);
    return m;
}

const std::vector<Oid> kKinds{pgtype::kInt4, pgtype::kText};

}  // namespace

TEST(PostgresCopyRows, RowsAfterTheHeaderReadAsTheirTextAndTheTrailerAddsNone) {
    std::string first = std::string("PGCOPY\n\377\r\n\0", 11) + be32(0) + be32(3) + "ext" + row(-7, "Zażółć");
    const char* data = first.data();
    int size = static_cast<int>(first.size());
    ASSERT_TRUE(pgrows::skipCopyHeader(data, size));
    RowStore store(2);
    std::vector<char> scratch;
    EXPECT_TRUE(pgrows::addCopiedRow(store, kKinds, scratch, data, size));
    const std::string second = row(2147483647, nullptr);
    EXPECT_TRUE(pgrows::addCopiedRow(store, kKinds, scratch, second.data(), static_cast<int>(second.size())));
    const std::string trailer = be16(-1);
    EXPECT_FALSE(
        pgrows::addCopiedRow(store, kKinds, scratch, trailer.data(), static_cast<int>(trailer.size())));

    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Value(0, 0), "-7");
    EXPECT_EQ(store.Value(0, 1), "Zażółć");
    EXPECT_EQ(store.Value(1, 0), "2147483647");
    EXPECT_FALSE(store.Value(1, 1).has_value());

    std::string notCopy = "PGCOPX\n\377\r\n" + std::string(1, '\0') + be32(0) + be32(0);
    data = notCopy.data();
    size = static_cast<int>(notCopy.size());
    EXPECT_FALSE(pgrows::skipCopyHeader(data, size));
    std::string longExtension = std::string("PGCOPY\n\377\r\n\0", 11) + be32(0) + be32(1000);
    data = longExtension.data();
    size = static_cast<int>(longExtension.size());
    EXPECT_FALSE(pgrows::skipCopyHeader(data, size));
}

TEST(PostgresCopyRows, AMalformedRowIsRefusedAfterTheRowsBeforeIt) {
    const std::string good = row(1, "a");
    const std::string full = row(2, "bcdef");
    for (const std::string& bad : {full.substr(0, full.size() - 2),              // a value cut short
                                   full.substr(0, 8),                            // a length cut short
                                   be16(3) + full.substr(2),                     // one value too many
                                   full + "x",                                   // bytes after the last value
                                   be16(2) + be32(4) + be32(1) + be32(1 << 30),  // a length past the end
                                   be16(2) + be32(4) + be32(1) + be32(-1) + "x"}) {  // bytes after a NULL
        RowStore store(2);
        std::vector<char> scratch;
        EXPECT_TRUE(pgrows::addCopiedRow(store, kKinds, scratch, good.data(), static_cast<int>(good.size())));
        // Each message in memory of its own size, so that reading past it is seen.
        const std::vector<char> message(bad.begin(), bad.end());
        EXPECT_THROW(
            pgrows::addCopiedRow(store, kKinds, scratch, message.data(), static_cast<int>(message.size())),
            EDatabaseError);
        ASSERT_GE(store.Count(), 1);
        EXPECT_EQ(store.Value(0, 1), "a");
    }
}
