// The command-line parameter splitter: KEY=VALUE and the export's "SQL;file" value.
#include "FuzzSupport.h"
#include "common/Fields.h"
#include "platform/Codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString parameter = platform::FromCp1250(fuzz::Bytes(data, size));
    const TCharSet equals{QLatin1Char('=')};
    const TCharSet semicolon{QLatin1Char(';')};
    const QString value = ExtractField(2, parameter, equals);
    (void)ExtractField(1, parameter, equals);
    (void)FieldCount(parameter, equals);
    (void)ExtractField(1, value, semicolon);
    (void)ExtractField(2, value, semicolon);
    (void)FieldPosition(3, value, semicolon);
    return 0;
}
