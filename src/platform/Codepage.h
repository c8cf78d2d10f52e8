#pragma once

#include <QByteArray>
#include <QString>

// Windows-1250, the code page of every 8-bit text file the program reads or writes.
// The five byte values the code page leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98)
// read as the C1 control character of the same value and are written back as that
// byte, so any file read and written again keeps its bytes.
namespace platform {

// A character outside the code page is written as "?".
QByteArray ToCp1250(const QString& text);
// The byte of one UTF-16 code unit ('?' when the code page has none), for writers
// that encode as they go.
char Cp1250Byte(QChar c);
// Cp1250Byte for every UTF-16 code unit, as a table of 65536 bytes.
const char* Cp1250ByteTable();
QString FromCp1250(const QByteArray& bytes);

// A noncharacter: given as `doubled` below, it doubles nothing (it has no byte).
constexpr char16_t kDoubleNone = u'\uFFFF';
// Writes the bytes of `text` at `out`, which has room for twice its length, every
// `doubled` character twice, and moves `out` past them. Stops at the first character
// the code page cannot hold and returns its position; -1 when all was written.
qsizetype EncodeCp1250(const QString& text, char16_t doubled, char*& out);

// The byte of a code point, or -1 when the code page has none (beyond 16 bits too).
int Cp1250ByteOf(char32_t codePoint);
// Position of the first character of `text` the code page cannot hold, -1 when none.
qsizetype FirstUnwritable(const QString& text);
// The character at `pos` (both halves of a surrogate pair), for naming it in an error.
QString CharacterAt(const QString& text, qsizetype pos);
// The text of the error that refuses such a character; `place` says where it stands
// ("in column \"NAME\", row 3"), empty when the file is one text.
QString UnwritableCharacterMessage(const QString& fileName, const QString& character,
                                   const QString& place = QString());
// ToCp1250 for a file that must keep its text as it is: a character the code page cannot
// hold raises EInOutError with the message above for `fileName`, never becomes "?".
QByteArray ToCp1250Strict(const QString& text, const QString& fileName);

}  // namespace platform
