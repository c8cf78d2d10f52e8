// StrToInt and StrToFloat: a number or EConvertError, and an accepted integer prints back
// to a text that reads as the same number.
#include <cstdlib>

#include "FuzzSupport.h"
#include "platform/Codepage.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = platform::FromCp1250(fuzz::Bytes(data, size));
    try {
        const int32_t value = StrToInt(text);
        if (StrToInt(IntToStr(value)) != value) std::abort();
    } catch (const EConvertError&) {
    }
    try {
        (void)StrToFloat(text);
    } catch (const EConvertError&) {
    }
    return 0;
}
