#include "db/PostgresBinary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#include "db/PostgresTypes.h"

namespace {

using namespace pgtype;

constexpr int64_t kMicrosPerDay = 86400LL * 1000000;
// 2000-01-01, the server's day 0, counted from 1970-01-01.
constexpr int64_t kServerEpochDays = 10957;

// Network byte order.
int16_t int16At(const char* v) {
    return static_cast<int16_t>(PostgresBigEndian(v, 2));
}

char* twoDigits(char* out, int v) {
    *out++ = static_cast<char>('0' + v / 10);
    *out++ = static_cast<char>('0' + v % 10);
    return out;
}

// Proleptic Gregorian civil date of a day counted from 1970-01-01; year 0 is 1 BC.
void civilFromDays(int64_t days, int64_t& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<uint64_t>(days - era * 146097);
    const uint64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

// "YYYY-MM-DD" for a day counted from 2000-01-01, the year of at least four digits;
// `bc` tells whether it is before Christ (the year then counted back from 1 BC).
char* dateText(char* out, int64_t days, bool& bc) {
    int64_t year = 0;
    int month = 0, day = 0;
    civilFromDays(days + kServerEpochDays, year, month, day);
    bc = year <= 0;
    const int64_t shown = bc ? 1 - year : year;
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, shown);
    for (auto n = end - digits; n < 4; ++n) *out++ = '0';
    std::memcpy(out, digits, static_cast<size_t>(end - digits));
    out += end - digits;
    *out++ = '-';
    out = twoDigits(out, month);
    *out++ = '-';
    return twoDigits(out, day);
}

// "HH:MM:SS" and, when there are any, the microseconds without trailing zeros.
char* timeText(char* out, int64_t micros) {
    const int64_t seconds = micros / 1000000;
    int fraction = static_cast<int>(micros % 1000000);
    out = twoDigits(out, static_cast<int>(seconds / 3600));
    *out++ = ':';
    out = twoDigits(out, static_cast<int>(seconds / 60 % 60));
    *out++ = ':';
    out = twoDigits(out, static_cast<int>(seconds % 60));
    if (fraction == 0) return out;
    *out++ = '.';
    int places = 6;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --places;
    }
    for (int p = places - 1; p >= 0; --p) {
        out[p] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return out + places;
}

char* copy(char* out, const char* text) {
    const size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return out + n;
}

// The server's text for a date or timestamp at either end of its range (the largest and
// smallest value stand for them); nullptr for any other value.
template <class T>
char* infinityText(char* out, T value) {
    if (value == std::numeric_limits<T>::max()) return copy(out, "infinity");
    if (value == std::numeric_limits<T>::min()) return copy(out, "-infinity");
    return nullptr;
}

// A finite nonzero magnitude as odd * 2^exponent.
struct Dyadic {
    uint64_t odd;
    int exponent;
};

template <class Float>
Dyadic dyadicOf(Float value) {
    constexpr int bits = std::numeric_limits<Float>::digits;
    int exponent = 0;
    const Float fraction = std::frexp(std::fabs(value), &exponent);
    auto odd = static_cast<uint64_t>(std::ldexp(fraction, bits));
    exponent -= bits;
    while ((odd & 1) == 0) {
        odd >>= 1;
        ++exponent;
    }
    return {odd, exponent};
}

// The point halfway between two neighbouring magnitudes, exactly.
Dyadic halfway(Dyadic a, Dyadic b) {
    const int low = std::min(a.exponent, b.exponent);
    uint64_t sum = (a.odd << (a.exponent - low)) + (b.odd << (b.exponent - low));
    int exponent = low - 1;
    while ((sum & 1) == 0) {
        sum >>= 1;
        ++exponent;
    }
    return {sum, exponent};
}

// Whether digits * 10^power is exactly `point` (all of it positive).
bool sameNumber(uint64_t digits, int power, Dyadic point) {
    int twos = 0;
    while ((digits & 1) == 0) {
        digits >>= 1;
        ++twos;
    }
    // digits * 2^twos * 2^power * 5^power against odd * 2^exponent: the odd parts and the
    // powers of two must agree. Beyond 5^27 the odd part outgrows any mantissa.
    const int fives = power < 0 ? -power : power;
    if (fives > 27) return false;
    __extension__ typedef unsigned __int128 Wide;
    Wide five = 1;
    for (int i = 0; i < fives; ++i) five *= 5;
    const Wide left = power >= 0 ? digits * five : digits;
    const Wide right = power >= 0 ? point.odd : point.odd * five;
    return left == right && twos + power == point.exponent;
}

// Whether scientific digits "d.ddde+X" (without sign) stand for a number halfway between
// `value` and one of its neighbours.
template <class Float>
bool onBound(const char* first, const char* last, Float value) {
    uint64_t digits = 0;
    int count = 0;
    const char* p = first;
    for (; p < last && *p != 'e'; ++p)
        if (*p != '.') {
            digits = digits * 10 + static_cast<uint64_t>(*p - '0');
            ++count;
        }
    int exponent = 0;
    std::from_chars(p + 1 + (p + 1 < last && p[1] == '+' ? 1 : 0), last, exponent);
    const int power = exponent - (count - 1);
    // Most digits are ruled out at once: a halfway point is odd * 2^k with an odd part of
    // one bit more than the mantissa, so digits * 10^power must have as many bits in its
    // odd part, and with a negative power the digits must take all its fives.
    uint64_t odd = digits;
    while (odd != 0 && (odd & 1) == 0) odd >>= 1;
    if (odd == 0) return false;
    const int fives = power < 0 ? -power : power;
    if (fives > 27) return false;
    uint64_t five = 1;
    for (int i = 0; i < fives; ++i) five *= 5;
    if (power < 0 && odd % five != 0) return false;
    if (power >= 0 && std::log2(static_cast<double>(odd)) + std::log2(static_cast<double>(five)) <
                          std::numeric_limits<Float>::digits - 2)
        return false;
    const Float magnitude = std::fabs(value);
    const Dyadic self = dyadicOf(magnitude);
    const Float up = std::nextafter(magnitude, std::numeric_limits<Float>::infinity());
    const Float down = std::nextafter(magnitude, Float(0));
    if (up <= std::numeric_limits<Float>::max() && sameNumber(digits, power, halfway(self, dyadicOf(up))))
        return true;
    return down > 0 && sameNumber(digits, power, halfway(self, dyadicOf(down)));
}

// The shortest digits that read back as `value`, in the form "d.ddde+X", as the server
// finds them: the number must lie strictly inside the bounds halfway to the neighbours.
// The library's shortest digits may lie on a bound (which reads back to the even one of
// the two); then more digits are taken, each time the closest to the value.
template <class Float>
std::to_chars_result shortestDigits(char* first, char* last, Float value) {
    auto result = std::to_chars(first, last, value, std::chars_format::scientific);
    const char* digits = first + (*first == '-' ? 1 : 0);
    if (value == 0 || !onBound(digits, result.ptr, value)) return result;
    for (int precision = 1; precision < std::numeric_limits<Float>::max_digits10; ++precision) {
        result = std::to_chars(first, last, value, std::chars_format::scientific, precision);
        Float read = 0;
        std::from_chars(first, result.ptr, read, std::chars_format::scientific);
        if (read == value && !onBound(digits, result.ptr, value)) return result;
    }
    return std::to_chars(first, last, value, std::chars_format::scientific,
                         std::numeric_limits<Float>::max_digits10 - 1);
}

// The server's shortest exact text of a floating-point value: plain digits while the
// first digit's power of ten is from -4 to below `precision` (15 for double precision,
// 6 for real), otherwise "d.ddde+XX" with at least two exponent digits.
template <class Float>
char* floatText(char* out, Float value, int precision) {
    if (value != value) return copy(out, "NaN");
    if (value == std::numeric_limits<Float>::infinity()) return copy(out, "Infinity");
    if (value == -std::numeric_limits<Float>::infinity()) return copy(out, "-Infinity");
    char sci[64];
    const auto [end, ec] = shortestDigits(sci, sci + sizeof sci, value);
    const char* p = sci;
    if (*p == '-') *out++ = *p++;
    char digits[32];
    int count = 0;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.') digits[count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    if (count == 1 && digits[0] == '0') {
        *out++ = '0';
        return out;
    }
    if (exponent < -4 || exponent >= precision) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            std::memcpy(out, digits + 1, static_cast<size_t>(count - 1));
            out += count - 1;
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int e = exponent < 0 ? -exponent : exponent;
        if (e >= 100) *out++ = static_cast<char>('0' + e / 100);
        return twoDigits(out, e % 100);
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int k = exponent + 1; k < 0; ++k) *out++ = '0';
        std::memcpy(out, digits, static_cast<size_t>(count));
        return out + count;
    }
    for (int k = 0; k <= exponent; ++k) *out++ = k < count ? digits[k] : '0';
    if (count > exponent + 1) {
        *out++ = '.';
        std::memcpy(out, digits + exponent + 1, static_cast<size_t>(count - exponent - 1));
        out += count - exponent - 1;
    }
    return out;
}

// numeric: digit count, weight (power of 10000 of the first digit), sign, display scale,
// then the base-10000 digits. Written as the server writes it: the integer part without
// leading zeros ("0" when there is none) and exactly `scale` decimals.
bool numericText(const char* v, size_t length, std::vector<char>& out) {
    if (length < 8) return false;
    const int ndigits = int16At(v), weight = int16At(v + 2), scale = int16At(v + 6);
    const auto sign = static_cast<uint16_t>(PostgresBigEndian(v + 4, 2));
    if (ndigits < 0 || scale < 0 || length != 8 + 2 * static_cast<size_t>(ndigits)) return false;
    const char* special = sign == 0xC000   ? "NaN"
                          : sign == 0xD000 ? "Infinity"
                          : sign == 0xF000 ? "-Infinity"
                                           : nullptr;
    if (special) {
        out.assign(special, special + std::strlen(special));
        return true;
    }
    if (sign != 0 && sign != 0x4000) return false;
    auto digit = [&](int i) -> int {
        if (i < 0 || i >= ndigits) return 0;
        const int d = int16At(v + 8 + 2 * i);
        return d >= 0 && d < 10000 ? d : -1;
    };
    out.resize(static_cast<size_t>(2 + 4 * (weight >= 0 ? weight + 1 : 1) + 1 + scale + 4));
    char* p = out.data();
    if (sign == 0x4000) *p++ = '-';
    if (weight < 0) {
        *p++ = '0';
    } else {
        for (int i = 0; i <= weight; ++i) {
            const int d = digit(i);
            if (d < 0) return false;
            char group[4] = {static_cast<char>('0' + d / 1000), static_cast<char>('0' + d / 100 % 10),
                             static_cast<char>('0' + d / 10 % 10), static_cast<char>('0' + d % 10)};
            int from = 0;
            if (i == 0)
                while (from < 3 && group[from] == '0') ++from;
            for (int k = from; k < 4; ++k) *p++ = group[k];
        }
    }
    if (scale > 0) {
        *p++ = '.';
        for (int i = weight + 1, written = 0; written < scale; ++i) {
            const int d = digit(i);
            if (d < 0) return false;
            const char group[4] = {static_cast<char>('0' + d / 1000), static_cast<char>('0' + d / 100 % 10),
                                   static_cast<char>('0' + d / 10 % 10), static_cast<char>('0' + d % 10)};
            for (int k = 0; k < 4 && written < scale; ++k, ++written) *p++ = group[k];
        }
    }
    out.resize(static_cast<size_t>(p - out.data()));
    return true;
}

}  // namespace

bool PostgresBinaryReadable(Oid type) {
    switch (type) {
        case kBool:
        case kBytea:
        case kName:
        case kInt8:
        case kInt2:
        case kInt4:
        case kText:
        case kOid:
        case kFloat4:
        case kFloat8:
        case kBpchar:
        case kVarchar:
        case kDate:
        case kTime:
        case kTimestamp:
        case kNumeric:
            return true;
        default:
            return false;
    }
}

bool PostgresBinaryIsBytes(Oid type) {
    return type == kBytea || type == kName || type == kText || type == kBpchar || type == kVarchar;
}

bool PostgresBinaryText(Oid type, const char* v, size_t length, std::vector<char>& out) {
    if (type == kNumeric) return numericText(v, length, out);
    char text[64];
    char* end = text;
    switch (type) {
        case kBool:
            if (length != 1) return false;
            *end++ = v[0] ? 't' : 'f';
            break;
        case kInt2:
        case kInt4:
        case kInt8: {
            const size_t size = type == kInt2 ? 2 : type == kInt4 ? 4 : 8;
            if (length != size) return false;
            const uint64_t bits = PostgresBigEndian(v, size);
            const int64_t value = size == 2   ? static_cast<int16_t>(bits)
                                  : size == 4 ? static_cast<int32_t>(bits)
                                              : static_cast<int64_t>(bits);
            end = std::to_chars(text, text + sizeof text, value).ptr;
            break;
        }
        case kOid:
            if (length != 4) return false;
            end = std::to_chars(text, text + sizeof text, static_cast<uint32_t>(PostgresBigEndian(v, 4))).ptr;
            break;
        case kFloat4: {
            if (length != 4) return false;
            const auto bits = static_cast<uint32_t>(PostgresBigEndian(v, 4));
            float value;
            std::memcpy(&value, &bits, 4);
            end = floatText(text, value, 6);
            break;
        }
        case kFloat8: {
            if (length != 8) return false;
            const uint64_t bits = PostgresBigEndian(v, 8);
            double value;
            std::memcpy(&value, &bits, 8);
            end = floatText(text, value, 15);
            break;
        }
        case kDate: {
            if (length != 4) return false;
            const auto days = static_cast<int32_t>(PostgresBigEndian(v, 4));
            end = infinityText(text, days);
            if (end == nullptr) {
                bool bc = false;
                end = dateText(text, days, bc);
                if (bc) end = copy(end, " BC");
            }
            break;
        }
        case kTime: {
            if (length != 8) return false;
            const auto micros = static_cast<int64_t>(PostgresBigEndian(v, 8));
            if (micros < 0 || micros > kMicrosPerDay) return false;
            end = timeText(text, micros);
            break;
        }
        case kTimestamp: {
            if (length != 8) return false;
            const auto micros = static_cast<int64_t>(PostgresBigEndian(v, 8));
            end = infinityText(text, micros);
            if (end == nullptr) {
                int64_t days = micros / kMicrosPerDay;
                int64_t rest = micros % kMicrosPerDay;
                if (rest < 0) {
                    rest += kMicrosPerDay;
                    --days;
                }
                bool bc = false;
                end = dateText(text, days, bc);
                *end++ = ' ';
                end = timeText(end, rest);
                if (bc) end = copy(end, " BC");
            }
            break;
        }
        default:
            return false;
    }
    out.assign(text, end);
    return true;
}
