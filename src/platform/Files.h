#pragma once

#include <QString>

namespace platform {

// Deletes every entry of a folder whose name matches a Windows wildcard ("*" any run,
// "?" one character, letter case ignored; "*.*" matches every name). `dir` is a
// plain prefix: dir + mask is mapped, its folder part is the folder searched and its
// name part the wildcard. Failures are ignored; folders stay.
void DeleteFiles(const QString& dir, const QString& mask);

// Windows wildcard match of a whole name, letter case ignored.
bool MatchesMask(const QString& name, const QString& mask);

// The process's current folder, without a final "/" except for the root.
QString CurrentDir();

// The application's name cut before its first ".", first letter upper-case and every
// later letter lower-case ("zorvantic" -> "Zorvantic").
QString ApplicationTitle();

}  // namespace platform
