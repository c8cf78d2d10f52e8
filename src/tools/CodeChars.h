#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Characters as single bytes of the Windows-1250 code page, and their codes 0..255.

// The marker a field shows when its partner cannot be converted.
extern const QString kBadValue;

// The character of a byte; empty for 0, which an edit cannot hold.
QString CharOfByte(uint8_t byte);
// The byte of a character; false when the code page has no byte for it.
bool ByteOfChar(QChar c, uint8_t& byte);

// A code field's partner: the character of the number's low byte; the marker for a
// number above 255 or a text that is no number.
QString CharOfCodeText(const QString& codeText);
// A character field's partner: the code of its first character; the marker when the
// field is empty or its character is not in the code page.
QString CodeTextOfChars(const QString& chars);

// "abc" -> "97,98,99"; a character outside the code page gives the marker in its place.
QString CharsToCodes(const QString& chars);
// "97,,98" -> "a<błąd>b": each comma-separated field read as a whole number, its low
// byte taken; a field that is no number gives the marker.
QString CodesToChars(const QString& codes);

// Up to twelve byte substitutions applied in order, so that they chain.
class ByteRules {
  public:
    ByteRules();
    // Applies after the rules added before it.
    void Add(uint8_t from, uint8_t to);
    bool Empty() const { return count_ == 0; }
    uint8_t Map(uint8_t byte) const { return table_[byte]; }
    void Apply(char* data, int64_t size) const;

  private:
    std::array<uint8_t, 256> table_;
    int count_ = 0;
};
