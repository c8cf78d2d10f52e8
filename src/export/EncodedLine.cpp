#include "export/EncodedLine.h"

#include "export/ExportFile.h"
#include "platform/Codepage.h"
#include "rtl/Exception.h"

void EncodedLine::refuse(const QString& text, qsizetype at) const {
    const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
    throw EInOutError(
        QStringLiteral("Cannot write file \"%1\": the character \"%2\" cannot be saved in Windows-1250")
            .arg(fileName_, text.mid(at, length)));
}

void EncodedLine::Append(const QString& text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char b = platform::Cp1250Byte(c);
        if (b == '?' && c != QChar('?')) refuse(text, i);
        bytes_.append(b);
    }
}

void EncodedLine::AppendDoubling(const QString& text, QChar doubled) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char b = platform::Cp1250Byte(c);
        if (b == '?' && c != QChar('?')) refuse(text, i);
        bytes_.append(b);
        if (c == doubled) bytes_.append(b);
    }
}

void EncodedLine::AppendQuoted(const QString& text, QChar quote) {
    Append(QString(quote));
    AppendDoubling(text, quote);
    Append(QString(quote));
}

void EncodedLine::WriteTo(ExportFile& file) {
    bytes_.append("\r\n", 2);
    file.WriteAscii(bytes_.constData(), bytes_.size());
}
