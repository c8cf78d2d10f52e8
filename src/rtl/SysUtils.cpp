#include "rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "rtl/Exception.h"

namespace {

bool isTrimmable(QChar c) {
    return c.unicode() <= 32;
}

std::optional<QChar>& separatorOverride() {
    static std::optional<QChar> value;
    return value;
}

QChar separatorFromEnvironment() {
    // The regional settings of this platform: LC_ALL, then LC_NUMERIC, then LANG.
    const char* names[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        QByteArray saved = std::setlocale(LC_NUMERIC, nullptr);
        QChar result = QLatin1Char('.');
        if (std::setlocale(LC_NUMERIC, value) != nullptr) {
            const char* point = std::localeconv()->decimal_point;
            if (point != nullptr && *point != '\0') result = QChar::fromLatin1(*point);
        }
        std::setlocale(LC_NUMERIC, saved.constData());
        return result;
    }
    return QLatin1Char('.');
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

QChar DecimalSeparator() {
    if (separatorOverride()) return *separatorOverride();
    static const QChar fromEnvironment = separatorFromEnvironment();
    return fromEnvironment;
}

void SetDecimalSeparator(QChar separator) {
    separatorOverride() = separator;
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
    if (!ok || i != s.size())
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return std::strtold(c.constData(), nullptr);
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
