#pragma once

#include <QString>

// SQL script files: Windows-1250 text with lines separated by CR LF, no header and no
// byte-order mark. Names are in Windows form ("c:\noname.sql").
namespace script {

// Every lone CR and every lone LF becomes CR LF.
QString NormalizeLineBreaks(const QString& text);

// The file's text with its line breaks as CR LF. Raises EInOutError when the file
// cannot be read.
QString ReadScriptFile(const QString& fileName);

// Writes `text` exactly, creating the file or replacing it. The new contents take the
// old file's place only once fully written, so a failed write leaves the old file as
// it was. A text with a character that Windows-1250 cannot hold is refused rather than
// saved with the character lost. Every failure raises EInOutError.
void WriteScriptFile(const QString& fileName, const QString& text);

}  // namespace script
