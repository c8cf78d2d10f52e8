#pragma once

#include <cstddef>

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.

// The sequence at `at` (before `end`) whose lead byte is at or above 0x80: its length,
// 0 when it is not valid. Inline, since writers call it for every such character.
inline int DecodeUtf8(const char* at, const char* end, char32_t& codePoint) {
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    const auto left = static_cast<size_t>(end - at);
    const unsigned char c = p[0];
    int length;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < static_cast<size_t>(length)) return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    codePoint = cp;
    return length;
}

// True when all `size` bytes at `text` are UTF-8.
bool IsValidUtf8(const char* text, size_t size);
