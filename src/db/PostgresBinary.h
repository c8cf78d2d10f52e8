#pragma once

#include <libpq-fe.h>

#include <cstddef>
#include <vector>

// Values in PostgreSQL's binary form, made into the text the server itself writes for
// them (DateStyle ISO, shortest exact floating-point digits), so that a cursor can ask
// for binary rows and spare the server the text of every value, while the row cache
// holds what a text cursor would have given.

// Whether values of this type can be read in binary form here.
bool PostgresBinaryReadable(Oid type);

// Whether the binary form of this type is the value's bytes themselves (text, bytea).
bool PostgresBinaryIsBytes(Oid type);

// Puts the text of the binary value `v` (`length` bytes) of a readable type that is not
// bytes into `out`, replacing what it held; false for a value not in the expected form.
bool PostgresBinaryText(Oid type, const char* v, size_t length, std::vector<char>& out);
