#include "export/EncodedLine.h"

#include <algorithm>

#include "export/ExportFile.h"
#include "platform/Codepage.h"
#include "rtl/Exception.h"

void EncodedLine::refuse(const QString& text, qsizetype at) const {
    throw EInOutError(platform::UnwritableCharacterMessage(fileName_, platform::CharacterAt(text, at),
                                                           place_ ? place_() : QString()));
}

char* EncodedLine::room(qsizetype extra) {
    if (used_ + extra > bytes_.size()) bytes_.resize(std::max(2 * bytes_.size(), used_ + extra + 256));
    return bytes_.data() + used_;
}

void EncodedLine::AppendDoubling(const QString& text, QChar doubled) {
    char* out = room(2 * text.size());  // every character doubled at most
    const qsizetype bad = platform::EncodeCp1250(text, doubled.unicode(), out);
    if (bad >= 0) refuse(text, bad);
    used_ = out - bytes_.constData();
}

void EncodedLine::AppendQuoted(const QString& text, QChar quote) {
    const int b = platform::Cp1250ByteOf(quote.unicode());
    if (b < 0) refuse(QString(quote), 0);
    Append(static_cast<char>(b));
    AppendDoubling(text, quote);
    Append(static_cast<char>(b));
}

void EncodedLine::WriteTo(ExportFile& file) {
    char* end = room(2);
    end[0] = '\r';
    end[1] = '\n';
    file.WriteAscii(bytes_.constData(), used_ + 2);
}
