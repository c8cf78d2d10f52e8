// The alias file: a damaged file is refused with EDatabaseError, never a crash.
#include <QFile>

#include "FuzzSupport.h"
#include "db/Aliases.h"
#include "rtl/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Home();
    QFile file(AliasFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(fuzz::Bytes(data, size));
    file.close();
    try {
        (void)ReadAliases();
    } catch (const EDatabaseError&) {
    }
    return 0;
}
