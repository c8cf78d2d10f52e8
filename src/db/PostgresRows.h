#pragma once

// A PostgreSQL result's rows put in the row cache's form (see RowStore.h), into a
// RowStore or a RowBatch: on the reading thread or on a thread fetching ahead.
#include <libpq-fe.h>

#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/PostgresBinary.h"
#include "db/PostgresTypes.h"
#include "rtl/Exception.h"

namespace pgrows {

inline int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The server sends bytea as "\x" and hexadecimal digits; the cache keeps the bytes.
template <class Rows>
void addBytea(Rows& rows, const char* v, size_t len, std::vector<char>& scratch) {
    scratch.clear();
    if (len >= 2 && v[0] == '\\' && v[1] == 'x') {
        for (size_t i = 2; i + 1 < len; i += 2)
            scratch.push_back(static_cast<char>(hexDigit(v[i]) * 16 + hexDigit(v[i + 1])));
    } else {
        size_t n = 0;
        const std::unique_ptr<unsigned char, decltype(&PQfreemem)> bytes(
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &n), &PQfreemem);
        if (bytes) scratch.assign(bytes.get(), bytes.get() + n);
    }
    rows.AddValue(scratch.data(), scratch.size());
}

// Money comes in the server's monetary format ("$1,234.50", "-$3.00"); the cache keeps
// the plain number.
template <class Rows>
void addMoney(Rows& rows, const char* v, size_t len, std::vector<char>& scratch) {
    scratch.clear();
    bool negative = false;
    for (size_t i = 0; i < len; ++i) {
        const char ch = v[i];
        if (ch == '-' || ch == '(') negative = true;
        if ((ch >= '0' && ch <= '9') || ch == '.') scratch.push_back(ch);
    }
    if (negative) scratch.insert(scratch.begin(), '-');
    rows.AddValue(scratch.data(), scratch.size());
}

[[noreturn]] inline void unexpectedValue(Oid type) {
    throw EDatabaseError(
        QStringLiteral("The server sent a value of type %1 in a form this program does not know").arg(type));
}

// A row's values into a RowStore or a RowBatch, in the cache's form: `value(c)` gives
// column c's bytes as the server sent them, or nullopt for NULL. Rows in binary form
// (`binary`) have only the types PostgresBinaryReadable takes.
template <class Rows, class Value>
void addValues(Rows& rows, const std::vector<Oid>& kinds, bool binary, std::vector<char>& scratch,
               const Value& value) {
    rows.BeginRow();
    const int n = static_cast<int>(kinds.size());
    for (int c = 0; c < n; ++c) {
        const std::optional<std::string_view> sent = value(c);
        if (!sent) {
            rows.AddNull();
            continue;
        }
        const char* v = sent->data();
        const size_t len = sent->size();
        const Oid kind = kinds[static_cast<size_t>(c)];
        if (binary) {
            if (PostgresBinaryIsBytes(kind)) {
                rows.AddValue(v, len);
            } else {
                if (!PostgresBinaryText(kind, v, len, scratch)) unexpectedValue(kind);
                rows.AddValue(scratch.data(), scratch.size());
            }
            continue;
        }
        switch (kind) {
            case pgtype::kBytea:
                addBytea(rows, v, len, scratch);
                break;
            case pgtype::kMoney:
                addMoney(rows, v, len, scratch);
                break;
            default:
                rows.AddValue(v, len);
        }
    }
    rows.EndRow();
}

// Row `row` of a result into a RowStore or a RowBatch, values in the cache's form.
template <class Rows>
void addRow(Rows& rows, const PGresult* r, int row, const std::vector<Oid>& kinds, bool binary,
            std::vector<char>& scratch) {
    addValues(rows, kinds, binary, scratch, [&](int c) -> std::optional<std::string_view> {
        if (PQgetisnull(r, row, c)) return std::nullopt;
        return std::string_view(PQgetvalue(r, row, c), static_cast<size_t>(PQgetlength(r, row, c)));
    });
}

// Rows of a binary COPY come one message a row: its number of values, then each value's
// length (-1 for NULL) and bytes, numbers big-endian. The first message starts with the
// COPY header; a last message of its own (a count of -1) ends the rows.

// Steps over the header before the first row; false when the message has none.
inline bool skipCopyHeader(const char*& data, int& size) {
    static constexpr char kSignature[] = "PGCOPY\n\377\r\n";  // and a zero byte
    constexpr int kFixed = 11 + 4 + 4;
    if (size < kFixed || std::memcmp(data, kSignature, 11) != 0) return false;
    const auto extension = static_cast<int>(PostgresBigEndian(data + 15, 4));
    if (extension < 0 || extension > size - kFixed) return false;
    data += kFixed + extension;
    size -= kFixed + extension;
    return true;
}

[[noreturn]] inline void malformedCopiedRow() {
    throw EDatabaseError(QStringLiteral("The server sent a row this program cannot read"));
}

// A row's message into a RowStore or a RowBatch, in the cache's form; false for the
// message after the last row, which adds nothing. A message that is not what the
// statement described, to its last byte, raises; nothing is read past its end.
template <class Rows>
bool addCopiedRow(Rows& rows, const std::vector<Oid>& kinds, std::vector<char>& scratch, const char* data,
                  int size) {
    const char* p = data;
    const char* const end = data + size;
    if (size == 2 && static_cast<int16_t>(PostgresBigEndian(p, 2)) == -1) return false;
    if (size < 2 || PostgresBigEndian(p, 2) != kinds.size()) malformedCopiedRow();
    p += 2;
    if (kinds.empty() && p != end) malformedCopiedRow();
    const int last = static_cast<int>(kinds.size()) - 1;
    addValues(rows, kinds, true, scratch, [&](int c) -> std::optional<std::string_view> {
        if (end - p < 4) malformedCopiedRow();
        const auto length = static_cast<int32_t>(PostgresBigEndian(p, 4));
        p += 4;
        if (length >= 0 && end - p < length) malformedCopiedRow();
        const std::string_view v(p, length < 0 ? 0 : static_cast<size_t>(length));
        if (length > 0) p += length;
        // Bytes left after the last value are not a row the statement described.
        if (c == last && p != end) malformedCopiedRow();
        if (length < 0) return std::nullopt;
        return v;
    });
    return true;
}

// Whether a result's rows are in binary form.
inline bool binaryRows(const PGresult* r) {
    return PQnfields(r) > 0 && PQfformat(r, 0) == 1;
}

}  // namespace pgrows
