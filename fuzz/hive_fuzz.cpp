// The registry hive parser: any text parses, and what it writes reads back with every key.
#include <cstdlib>

#include "FuzzSupport.h"
#include "platform/Codepage.h"
#include "platform/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = platform::FromCp1250(fuzz::Bytes(data, size));
    platform::RegistryHive hive = platform::RegistryHive::Parse(text);
    const platform::RegistryHive again = platform::RegistryHive::Parse(hive.Format());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.size() > 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            const QString path = t.mid(1, t.size() - 2);
            if (hive.FindKey(path) != nullptr && !again.HasKey(path)) std::abort();
        }
    }
    // Reads and writes on whatever keys the input named.
    if (platform::HiveKey* key = hive.FindKey(QStringLiteral("HKEY_CURRENT_USER\\Software"))) {
        platform::RegistryHive::SetString(*key, QStringLiteral("Fuzz"), text.left(64));
        (void)platform::RegistryHive::ValueNames(*key);
    }
    return 0;
}
