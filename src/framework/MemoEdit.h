#pragma once

#include <QStringList>

class TMemo;

// Replaces every line of a memo in one edit: one change notice, one undo step, and
// the memo counts as modified. A break at the end of the text stays where it was, and
// a last line that is empty keeps a break after it so that it still counts as a line.
void ReplaceMemoLines(TMemo* memo, const QStringList& lines);
