#pragma once

// A PostgreSQL result's rows put in the row cache's form (see RowStore.h), into a
// RowStore or a RowBatch: on the reading thread or on a thread fetching ahead.
#include <libpq-fe.h>

#include <QString>
#include <memory>
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

// Row `row` of a result into a RowStore or a RowBatch, values in the cache's form. Rows
// in binary form (`binary`) have only the types PostgresBinaryReadable takes.
template <class Rows>
void addRow(Rows& rows, const PGresult* r, int row, const std::vector<Oid>& kinds, bool binary,
            std::vector<char>& scratch) {
    rows.BeginRow();
    const int n = static_cast<int>(kinds.size());
    for (int c = 0; c < n; ++c) {
        if (PQgetisnull(r, row, c)) {
            rows.AddNull();
            continue;
        }
        const char* v = PQgetvalue(r, row, c);
        const auto len = static_cast<size_t>(PQgetlength(r, row, c));
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

// Whether a result's rows are in binary form.
inline bool binaryRows(const PGresult* r) {
    return PQnfields(r) > 0 && PQfformat(r, 0) == 1;
}

}  // namespace pgrows
