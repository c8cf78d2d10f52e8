#include "rtl/Utf8.h"

bool IsValidUtf8(const char* text, size_t size) {
    const char* p = text;
    const char* const end = text + size;
    while (p < end) {
        if (static_cast<unsigned char>(*p) < 0x80) {
            ++p;
            continue;
        }
        char32_t cp;
        const int length = DecodeUtf8(p, end, cp);
        if (length == 0) return false;
        p += length;
    }
    return true;
}
