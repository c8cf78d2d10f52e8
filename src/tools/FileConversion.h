#pragma once

#include <QString>
#include <functional>

#include "tools/CodeChars.h"

// The block size of a conversion: the scan grid shows one block at a time.
constexpr int kConversionBlock = 2048;

// True when the two local paths name one file (also through a link or "./").
bool SameFile(const QString& localA, const QString& localB);

// Copies the local file `source` into `dest` (created, or emptied when it exists),
// every byte mapped through `rules`. `onBlock` sees each block of up to 2048 converted
// bytes as it goes, and a last empty block at the end of the source. A failure (the
// source cannot be read, the destination cannot be created, a write that does not take
// every byte) raises EInOutError; the destination keeps what was written before it.
// A destination that is the source is refused before anything is opened.
void ConvertFile(const QString& source, const QString& dest, const ByteRules& rules,
                 const std::function<void(const char* block, int size)>& onBlock);
