// Comma text: any text splits, and the comma form of the result reads back as the same
// items (a final empty item is not written back, by design).
#include <cstdlib>

#include "FuzzSupport.h"
#include "platform/Codepage.h"
#include "rtl/Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TStringList list;
    list.SetCommaText(platform::FromCp1250(fuzz::Bytes(data, size)));
    TStringList again;
    again.SetCommaText(list.CommaText());
    QStringList a = list.Lines(), b = again.Lines();
    while (!a.isEmpty() && a.last().isEmpty()) a.removeLast();
    while (!b.isEmpty() && b.last().isEmpty()) b.removeLast();
    if (a != b) std::abort();
    return 0;
}
