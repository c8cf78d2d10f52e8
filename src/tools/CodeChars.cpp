#include "tools/CodeChars.h"

#include "common/Fields.h"
#include "platform/Codepage.h"
#include "rtl/SysUtils.h"

const QString kBadValue = QStringLiteral("<błąd>");

QString CharOfByte(uint8_t byte) {
    if (byte == 0) return QString();
    return platform::FromCp1250(QByteArray(1, static_cast<char>(byte)));
}

bool ByteOfChar(QChar c, uint8_t& byte) {
    const int b = platform::Cp1250ByteOf(c.unicode());
    if (b < 0) return false;
    byte = static_cast<uint8_t>(b);
    return true;
}

QString CharOfCodeText(const QString& codeText) {
    int32_t code = 0;
    if (!TryStrToInt(codeText, code) || code > 255) return kBadValue;
    return CharOfByte(static_cast<uint8_t>(code & 0xFF));
}

QString CodeTextOfChars(const QString& chars) {
    uint8_t byte = 0;
    if (chars.isEmpty() || !ByteOfChar(chars.at(0), byte)) return kBadValue;
    return QString::number(byte);
}

QString CharsToCodes(const QString& chars) {
    QString codes;
    for (const QChar c : chars) {
        if (!codes.trimmed().isEmpty()) codes += QChar(',');
        uint8_t byte = 0;
        codes += ByteOfChar(c, byte) ? QString::number(byte) : kBadValue;
    }
    return codes;
}

QString CodesToChars(const QString& codes) {
    static const TCharSet comma{QChar(',')};
    QString chars;
    const int n = FieldCount(codes, comma);
    for (int i = 1; i <= n; ++i) {
        int32_t code = 0;
        if (TryStrToInt(ExtractField(i, codes, comma), code))
            chars += CharOfByte(static_cast<uint8_t>(code & 0xFF));
        else
            chars += kBadValue;
    }
    return chars;
}

ByteRules::ByteRules() {
    for (int i = 0; i < 256; ++i) table_[i] = static_cast<uint8_t>(i);
}

void ByteRules::Add(uint8_t from, uint8_t to) {
    // Every byte that the earlier rules turn into `from` goes on to `to`.
    for (auto& b : table_)
        if (b == from) b = to;
    ++count_;
}

void ByteRules::Apply(char* data, int64_t size) const {
    if (count_ == 0) return;
    auto* p = reinterpret_cast<uint8_t*>(data);
    for (int64_t i = 0; i < size; ++i) p[i] = table_[p[i]];
}
