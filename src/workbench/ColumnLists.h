#pragma once

#include <QString>

class TField;

// Whether a field's values go into an SQL list as quoted literals: numbers and dates
// (integer, float and date-time fields and their subclasses) do not, everything else does.
// A missing field is quoted.
bool FieldNeedsQuotes(const TField* field);

// A text as an SQL string literal, apostrophes doubled; the empty text for a blank one,
// which the lists leave out.
QString QuotedSQLValue(const QString& text);
