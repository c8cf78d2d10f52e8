// The script statement splitter: every line lands in at most one statement, in order.
#include <cstdlib>

#include "FuzzSupport.h"
#include "platform/Codepage.h"
#include "workbench/ScriptStatements.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList lines = platform::FromCp1250(fuzz::Bytes(data, size)).split(QLatin1Char('\n'));
    qsizetype gathered = 0;
    script::RunStatements(lines, size % 2 == 0, [&](QStringList& buffer, int firstLine) {
        if (!buffer.isEmpty() && (firstLine < 1 || firstLine > lines.size())) std::abort();
        gathered += buffer.size();
        (void)script::CommaForm(buffer);
        const bool nothing = buffer.isEmpty();
        buffer.clear();
        return nothing;
    });
    if (gathered > lines.size()) std::abort();
    return 0;
}
