#include "workbench/ScriptFile.h"

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"

namespace script {

namespace {

// The first character that would not come back from Windows-1250 unchanged.
qsizetype firstUnwritable(const QString& text, const QByteArray& bytes) {
    const QString back = platform::FromCp1250(bytes);
    if (back == text) return -1;
    qsizetype i = 0;
    while (i < text.size() && i < back.size() && text[i] == back[i]) ++i;
    return i;
}

}  // namespace

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
    const QByteArray bytes = platform::ToCp1250(text);
    const qsizetype bad = firstUnwritable(text, bytes);
    if (bad >= 0) {
        const QString ch = text.mid(bad, bad < text.size() && text[bad].isHighSurrogate() ? 2 : 1);
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\": the character \"%2\" cannot be saved in Windows-1250")
                .arg(fileName, ch));
    }
    platform::EnsureDriveRoot(fileName);
    platform::ReplaceFile(platform::MapPath(fileName), bytes);
}

}  // namespace script
