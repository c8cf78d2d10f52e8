#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The string and number routines of the runtime, with the classic semantics the
// windows rely on (8-bit-era rules, not Unicode-aware ones).

// Removes characters of code 0..32 (blanks and control characters) at both ends.
QString Trim(const QString& s);
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);

// Upper-/lower-cases the letters a..z (A..Z) only; every other character stays.
QString UpperCase(const QString& s);
QString LowerCase(const QString& s);

// Whole numbers typed by the user: leading blanks skipped, then an optional sign and
// decimal digits within the signed 32-bit range, or (without a sign) "$", "x", "X",
// "0x", "0X" and hexadecimal digits fitting in 32 bits, taken as two's complement.
// Anything else (an empty text too) raises EConvertError.
int32_t StrToInt(const QString& s);
bool TryStrToInt(const QString& s, int32_t& value);

QString IntToStr(int64_t value);
// Upper-case hexadecimal of the 32-bit two's-complement value, at least `digits` digits.
QString IntToHex(int32_t value, int digits);

// The program's own number separators: those of the user's regional settings (LC_ALL,
// LC_NUMERIC or LANG of the environment, read once), never the C library's current locale.
// Every conversion between text and number uses these and nothing else.
QChar DecimalSeparator();   // '.' in the C locale
QChar ThousandSeparator();  // ',' in the C locale; a no-break space for every kind of blank
// For tests: override the separators the regional settings gave.
void SetDecimalSeparator(QChar separator);
void SetThousandSeparator(QChar separator);
// The separators of the locale named `locale`, by the rules above; false when the
// platform has no such locale.
bool SeparatorsOfLocale(const QByteArray& locale, QChar& decimal, QChar& thousand);

// Decimal numbers with the user's separator: optional sign, digits, separator, digits,
// optional exponent; no grouping. Raises EConvertError otherwise.
long double StrToFloat(const QString& s);
// A number in the form databases and files hold it ("-12.5", "1E-3", " +7", "inf"), read
// as the C library's strtod reads it in the "C" locale, whatever the process locale is:
// the longest number at the start counts, 0 when there is none.
double CStrToDouble(std::string_view text);

// Up to 15 significant digits, the user's separator, no exponent for ordinary magnitudes.
QString FloatToStr(double value);
// FloatToStr's text with "." as the point, written into `buffer` (ASCII), for writers
// that emit bytes; returns its length.
constexpr size_t kFloatTextMax = 48;
size_t FloatToChars(double value, char (&buffer)[kFloatTextMax]);

// Cuts a text to at most `max` characters (the 255-character fields of stored values).
inline QString Cut(const QString& s, int max) {
    return s.size() > max ? s.left(max) : s;
}
