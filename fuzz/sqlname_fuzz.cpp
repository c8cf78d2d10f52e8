// A line of a table list read as an SQL name: any text is either no name or one whose
// parts, quoted again, read back as the same parts.
#include <cstdlib>

#include "FuzzSupport.h"
#include "db/TableNames.h"

namespace {

QString quoted(const QString& part) {
    return QLatin1Char('"') + QString(part).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(fuzz::Bytes(data, size));
    for (const bool fold : {false, true}) {
        const std::optional<SqlName> name = ParseSqlName(line, fold);
        if (!name) continue;
        if (name->table.isEmpty()) std::abort();
        const QString again = name->schema.isEmpty()
                                  ? quoted(name->table)
                                  : quoted(name->schema) + QLatin1Char('.') + quoted(name->table);
        const std::optional<SqlName> back = ParseSqlName(again, fold);
        if (!back || back->schema != name->schema || back->table != name->table) std::abort();
    }
    return 0;
}
