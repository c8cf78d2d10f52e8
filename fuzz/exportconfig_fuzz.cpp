// The export configuration reader: any file reads, or is refused with EInOutError.
#include <QFile>

#include "FuzzSupport.h"
#include "export/ExportConfiguration.h"
#include "rtl/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::Home() + QStringLiteral("/export.cfg");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(fuzz::Bytes(data, size));
    file.close();
    try {
        (void)ReadConfigurationRowCount(path);
        (void)LoadExportConfiguration(path);
    } catch (const EInOutError&) {
    }
    return 0;
}
