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
QString FromCp1250(const QByteArray& bytes);

}  // namespace platform
