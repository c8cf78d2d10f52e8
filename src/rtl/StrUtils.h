#pragma once

#include <QString>
#include <cstdint>

// String routines of the component library the windows build on.

// Every occurrence of `find` replaced by `replacement`, left to right, letter case
// counting; inserted text is not searched again. An empty `find` changes nothing.
QString ReplaceStr(const QString& s, const QString& find, const QString& replacement);
// `count` copies of `c` (none for a count below 1).
QString MakeStr(QChar c, int count);
// Roman numeral with the subtractive pairs; every whole thousand is one "M"; empty
// for 0 and negative numbers.
QString IntToRoman(int32_t value);
// IntToHex under the name the string routines give it.
QString Dec2Hex(int32_t value, int digits);
