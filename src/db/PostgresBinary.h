#pragma once

#include <libpq-fe.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Values in PostgreSQL's binary form, made into the text the server itself writes for
// them (DateStyle ISO, shortest exact floating-point digits), so that a query can ask
// for binary rows (a cursor's FETCHes, a COPY) and spare the server the text of every
// value, while the row cache holds what a text cursor would have given.

// The unsigned number in the `bytes` bytes at `v`, most significant first, as every
// number of the binary form is sent.
inline uint64_t PostgresBigEndian(const char* v, size_t bytes) {
    uint64_t x = 0;
    for (size_t i = 0; i < bytes; ++i) x = (x << 8) | static_cast<unsigned char>(v[i]);
    return x;
}

// Whether values of this type can be read in binary form here.
bool PostgresBinaryReadable(Oid type);

// Whether the binary form of this type is the value's bytes themselves (text, bytea).
bool PostgresBinaryIsBytes(Oid type);

// Puts the text of the binary value `v` (`length` bytes) of a readable type that is not
// bytes into `out`, replacing what it held; false for a value not in the expected form.
bool PostgresBinaryText(Oid type, const char* v, size_t length, std::vector<char>& out);
