#pragma once

#include <QChar>
#include <QSet>
#include <QString>

// Delimited fields. One delimiter is consumed before each field, so two delimiters in
// a row enclose an empty field and a delimiter at the end adds an empty last field,
// but a delimiter at the very start only opens the first field: with "," the text
// "1,,3" has the fields 1, empty and 3; ",a" has the one field a; "" has none.
using TCharSet = QSet<QChar>;

int FieldCount(const QString& s, const TCharSet& delims);
// 1-based position at which field n starts (for an empty field, the position of the
// delimiter that ends it); 0 for n < 1, n beyond the last field, and the empty field
// that a final delimiter adds.
int FieldPosition(int n, const QString& s, const TCharSet& delims);
// Field n, or an empty text.
QString ExtractField(int n, const QString& s, const TCharSet& delims);
