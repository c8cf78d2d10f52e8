#pragma once

#include <QString>

// Starts FileName with the command-line text Params in the folder Dir (empty: ours)
// without waiting; "NotePad.exe" opens the file Params with the desktop's editor.
// Paths of any length are passed whole. A launch that fails raises EInOutError naming
// the file and the reason.
void RunProgram(const QString& fileName, const QString& params, const QString& dir, int showCmd);

// Puts S on the clipboard as plain text, in place of what it held. Without a main
// window the program is not up yet (or is going down): an error box says so and
// nothing is copied.
void CopyTextToClipboard(const QString& s);

// The table name an SQL text most likely reads from: the first word after the first
// " FROM " (upper-cased, commas taken as blanks, CR LF as a blank). Empty when there
// is no " FROM ".
QString TableNameFromSQL(const QString& sql);
