#include "rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rtl/Exception.h"

// POSIX: locale objects of their own, so that no conversion reads the process locale.
#include <langinfo.h>
#include <locale.h>

namespace {

bool isTrimmable(QChar c) {
    return c.unicode() <= 32;
}

// The program's number separators: those of the regional settings, read once, unless a
// test has set its own.
struct Separators {
    QChar decimal = QLatin1Char('.');
    QChar thousand = QLatin1Char(',');
};

Separators& separators() {
    static Separators value = [] {
        // The regional settings of this platform: LC_ALL, then LC_NUMERIC, then LANG.
        for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
            const char* locale = std::getenv(name);
            if (locale == nullptr || *locale == '\0') continue;
            QChar decimal;
            QChar thousand;
            if (SeparatorsOfLocale(QByteArray(locale), decimal, thousand))
                return Separators{decimal, thousand};
            break;
        }
        return Separators{};
    }();
    return value;
}

// One character of a locale's text (UTF-8, or one byte of an 8-bit locale, whose no-break
// space is 0xA0 as in Latin-1), or none when the text is not one character.
QChar singleCharacter(const char* text) {
    if (text == nullptr) return QChar();
    QString s = QString::fromUtf8(text);
    if (s.contains(QChar::ReplacementCharacter)) s = QString::fromLatin1(text);
    return s.size() == 1 ? s[0] : QChar();
}

bool isSpace(QChar c) {
    return c == QChar(u' ') || c == QChar(u'\u00A0') || c == QChar(u'\u202F') || c == QChar(u'\u2009');
}

}  // namespace

QString Trim(const QString& s) {
    return TrimRight(TrimLeft(s));
}

QString TrimLeft(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && isTrimmable(s[i])) ++i;
    return s.mid(i);
}

QString TrimRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && isTrimmable(s[n - 1])) --n;
    return s.left(n);
}

QString UpperCase(const QString& s) {
    QString r = s;
    for (QChar& c : r)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    return r;
}

QString LowerCase(const QString& s) {
    QString r = s;
    for (QChar& c : r)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    return r;
}

bool TryStrToInt(const QString& s, int32_t& value) {
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
    if (i >= s.size()) return false;
    bool hex = false;
    bool negative = false;
    if (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    } else if (s[i] == QLatin1Char('$') || s[i] == QLatin1Char('x') || s[i] == QLatin1Char('X')) {
        hex = true;
        ++i;
    } else if (s[i] == QLatin1Char('0') && i + 1 < s.size() &&
               (s[i + 1] == QLatin1Char('x') || s[i + 1] == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t acc = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        acc = acc * (hex ? 16 : 10) + digit;
        if (acc > 0xFFFFFFFFull) return false;
    }
    if (hex) {
        value = static_cast<int32_t>(static_cast<uint32_t>(acc));
        return true;
    }
    if (negative) {
        if (acc > 2147483648ull) return false;
        value = static_cast<int32_t>(-static_cast<int64_t>(acc));
    } else {
        if (acc > 2147483647ull) return false;
        value = static_cast<int32_t>(acc);
    }
    return true;
}

int32_t StrToInt(const QString& s) {
    int32_t value = 0;
    if (!TryStrToInt(s, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return value;
}

QString IntToStr(int64_t value) {
    return QString::number(value);
}

QString IntToHex(int32_t value, int digits) {
    return QString::number(static_cast<uint32_t>(value), 16)
        .toUpper()
        .rightJustified(digits, QLatin1Char('0'));
}

bool SeparatorsOfLocale(const QByteArray& locale, QChar& decimal, QChar& thousand) {
    // A locale object of its own: the process locale is neither read nor changed.
    const locale_t handle = newlocale(LC_NUMERIC_MASK, locale.constData(), locale_t(nullptr));
    if (handle == locale_t(nullptr)) return false;
    decimal = singleCharacter(nl_langinfo_l(RADIXCHAR, handle));
    thousand = singleCharacter(nl_langinfo_l(THOUSEP, handle));
    freelocale(handle);
    if (decimal.isNull()) decimal = QLatin1Char('.');
    // Every kind of blank groups as the no-break space, which the 8-bit code page holds
    // and which never breaks a number across lines.
    if (isSpace(thousand)) thousand = QChar(u'\u00A0');
    // Regional settings without grouping (the C locale) group with the character that
    // cannot be taken for their decimal separator.
    if (thousand.isNull() || thousand == decimal)
        thousand = decimal == QLatin1Char('.') ? QLatin1Char(',') : QChar(u'\u00A0');
    return true;
}

QChar DecimalSeparator() {
    return separators().decimal;
}

void SetDecimalSeparator(QChar separator) {
    separators().decimal = separator;
}

QChar ThousandSeparator() {
    return separators().thousand;
}

void SetThousandSeparator(QChar separator) {
    separators().thousand = separator;
}

long double StrToFloat(const QString& text) {
    const QString s = Trim(text);
    const QChar sep = DecimalSeparator();
    QByteArray c;
    qsizetype i = 0;
    auto digits = [&]() {
        qsizetype start = i;
        while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) c.append(char(s[i++].unicode()));
        return i - start;
    };
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        c.append(char(s[i++].unicode()));
    qsizetype intDigits = digits();
    qsizetype fracDigits = 0;
    if (i < s.size() && s[i] == sep) {
        c.append('.');
        ++i;
        fracDigits = digits();
    }
    bool ok = intDigits + fracDigits > 0;
    if (ok && i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        c.append('e');
        ++i;
        if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
            c.append(char(s[i++].unicode()));
        ok = digits() > 0;
    }
    long double value = 0;
    // from_chars reads the point whatever the C library's locale (strtold would stop
    // at it under a comma-decimal locale and quietly return the whole part).
    ok = ok && i == s.size();
    if (ok) {
        const char* first = c.constData();
        if (*first == '+') ++first;  // from_chars takes a minus sign only
        const auto result = std::from_chars(first, c.constData() + c.size(), value);
        // Beyond the range of the type is no value either.
        ok = result.ec == std::errc() && result.ptr == c.constData() + c.size();
    }
    if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

double CStrToDouble(std::string_view text) {
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc() && result.ptr == text.data() + text.size()) return value;
    // Blanks, a plus sign, hexadecimal and other spellings: strtod itself, in a locale of
    // its own so that the process locale never changes what a point means.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const std::string copy(text);
    return strtod_l(copy.c_str(), nullptr, cLocale);
}

size_t FloatToChars(double value, char (&buffer)[kFloatTextMax]) {
    auto put = [&buffer](std::string_view text) {
        std::copy(text.begin(), text.end(), buffer);
        return text.size();
    };
    if (std::isnan(value)) return put("NAN");
    if (std::isinf(value)) return put(value > 0 ? "INF" : "-INF");
    if (value == 0) value = 0;  // negative zero shows as 0
    // to_chars: grids and exports format millions of these.
    char digits[40];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
    const std::string_view text(digits, static_cast<size_t>(result.ptr - digits));
    const size_t e = text.find('e');
    if (e == std::string_view::npos) return put(text);
    // Classic form of the exponent: "1E20", "1E-5".
    std::string_view exponent = text.substr(e + 1);
    const bool negative = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.remove_prefix(1);
    while (exponent.size() > 1 && exponent[0] == '0') exponent.remove_prefix(1);
    size_t n = put(text.substr(0, e));
    buffer[n++] = 'E';
    if (negative) buffer[n++] = '-';
    std::copy(exponent.begin(), exponent.end(), buffer + n);
    return n + exponent.size();
}

QString FloatToStr(double value) {
    char buffer[kFloatTextMax];
    QString out = QString::fromLatin1(buffer, static_cast<qsizetype>(FloatToChars(value, buffer)));
    if (DecimalSeparator() != QLatin1Char('.')) out.replace(QLatin1Char('.'), DecimalSeparator());
    return out;
}
