#include "export/EncodedLine.h"

#include <algorithm>

#include "export/ExportFile.h"
#include "platform/Codepage.h"
#include "rtl/Exception.h"

void EncodedLine::refuse(const QString& text, qsizetype at) const {
    throw EInOutError(platform::UnwritableCharacterMessage(fileName_, platform::CharacterAt(text, at)));
}

char* EncodedLine::room(qsizetype extra) {
    if (used_ + extra > bytes_.size()) bytes_.resize(std::max(2 * bytes_.size(), used_ + extra + 256));
    return bytes_.data() + used_;
}

void EncodedLine::AppendDoubling(const QString& text, QChar doubled) {
    const qsizetype n = text.size();
    char* const start = room(2 * n);  // every character doubled at most
    char* out = start;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char b = platform::Cp1250Byte(c);
        if (b == '?' && c != QChar(u'?')) refuse(text, i);
        *out++ = b;
        if (c == doubled) *out++ = b;
    }
    used_ += out - start;
}

void EncodedLine::AppendQuoted(const QString& text, QChar quote) {
    const char b = platform::Cp1250Byte(quote);
    if (b == '?' && quote != QChar(u'?')) refuse(QString(quote), 0);
    Append(b);
    AppendDoubling(text, quote);
    Append(b);
}

void EncodedLine::WriteTo(ExportFile& file) {
    char* end = room(2);
    end[0] = '\r';
    end[1] = '\n';
    file.WriteAscii(bytes_.constData(), used_ + 2);
}
