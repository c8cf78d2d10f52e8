#include "platform/Codepage.h"

#include <array>

#include "rtl/Exception.h"

namespace platform {

namespace {

// Unicode code points of the bytes 0x80..0xFF (the published Windows-1250 mapping);
// the undefined ones carry their own value.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// The byte of every UTF-16 code unit, '?' where the code page has none.
const std::array<char, 65536>& byteTable() {
    static const std::array<char, 65536> table = [] {
        std::array<char, 65536> t;
        t.fill('?');
        for (int b = 0; b < 0x80; ++b) t[static_cast<size_t>(b)] = static_cast<char>(b);
        for (int i = 0; i < 128; ++i) t[kUpperHalf[static_cast<size_t>(i)]] = static_cast<char>(0x80 + i);
        return t;
    }();
    return table;
}

bool hasByte(const std::array<char, 65536>& table, char16_t c) {
    return table[c] != '?' || c == u'?';
}

}  // namespace

QByteArray ToCp1250(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* to = out.data();
    const auto& table = byteTable();
    const char16_t* from = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        // A surrogate pair is one character outside the code page: one "?", not two.
        if (QChar::isHighSurrogate(from[i]) && i + 1 < n && QChar::isLowSurrogate(from[i + 1])) {
            *to++ = '?';
            ++i;
            continue;
        }
        *to++ = table[from[i]];
    }
    out.truncate(to - out.data());
    return out;
}

const char* Cp1250ByteTable() {
    return byteTable().data();
}

char Cp1250Byte(QChar c) {
    return byteTable()[c.unicode()];
}

qsizetype EncodeCp1250(const QString& text, char16_t doubled, char*& out) {
    const auto& table = byteTable();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!hasByte(table, c)) return i;
        const char b = table[c];
        *out++ = b;
        if (c == doubled) *out++ = b;
    }
    return -1;
}

int Cp1250ByteOf(char32_t codePoint) {
    if (codePoint > 0xFFFF) return -1;
    const auto& table = byteTable();
    const auto c = static_cast<char16_t>(codePoint);
    return hasByte(table, c) ? static_cast<unsigned char>(table[c]) : -1;
}

qsizetype FirstUnwritable(const QString& text) {
    const auto& table = byteTable();
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!hasByte(table, text[i].unicode())) return i;
    return -1;
}

QString CharacterAt(const QString& text, qsizetype pos) {
    const bool pair = text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate();
    return text.mid(pos, pair ? 2 : 1);
}

QString UnwritableCharacterMessage(const QString& fileName, const QString& character, const QString& place) {
    QString where = place.isEmpty() ? QString() : QLatin1Char(' ') + place;
    return QStringLiteral("Cannot write file \"%1\": the character \"%2\"%3 cannot be saved in Windows-1250")
        .arg(fileName, character, where);
}

QByteArray ToCp1250Strict(const QString& text, const QString& fileName) {
    const qsizetype bad = FirstUnwritable(text);
    if (bad >= 0) throw EInOutError(UnwritableCharacterMessage(fileName, CharacterAt(text, bad)));
    return ToCp1250(text);
}

QString FromCp1250(const QByteArray& bytes) {
    // Written straight into the result: settings files of many megabytes are read at start-up.
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *to++ = u < 0x80 ? char16_t(u) : kUpperHalf[u - 0x80];
    }
    return out;
}

}  // namespace platform
