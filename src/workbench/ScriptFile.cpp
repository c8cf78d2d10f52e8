#include "workbench/ScriptFile.h"

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"

namespace script {

QString NormalizeLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QChar('\r')) {
            if (i + 1 < n && text[i + 1] == QChar('\n')) ++i;
            out += QLatin1String("\r\n");
        } else if (c == QChar('\n')) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString ReadScriptFile(const QString& fileName) {
    return NormalizeLineBreaks(platform::ReadTextFile(fileName));
}

void WriteScriptFile(const QString& fileName, const QString& text) {
    const QByteArray bytes = platform::ToCp1250Strict(text, fileName);
    platform::EnsureDriveRoot(fileName);
    platform::ReplaceFile(platform::MapPath(fileName), bytes);
}

}  // namespace script
