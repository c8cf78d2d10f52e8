#include "export/ExportValue.h"

#include <typeinfo>

#include "db/Field.h"
#include "export/ExportFile.h"

namespace {

// The field classes whose text is their cached UTF-8 bytes as they stand.
bool textIsBytes(const TField* field) {
    const std::type_info& t = typeid(*field);
    return t == typeid(TField) || t == typeid(TStringField) || t == typeid(TMemoField) ||
           t == typeid(TIntegerField) || t == typeid(TSmallintField) || t == typeid(TWordField) ||
           t == typeid(TAutoIncField) || t == typeid(TLargeintField);
}

// The text FloatToChars gives for the number written as `raw`, made from its digits
// without converting it, when it is a plain decimal of at most 15 significant digits:
// that number is then the 15-digit rounding of the double nearest to it, so the digits
// are the same. Returns 0 for any other text (the caller converts it).
size_t shortDecimalText(std::string_view raw, char (&out)[kFloatTextMax]) {
    constexpr int kDigits = 15;
    size_t i = 0;
    const bool negative = i < raw.size() && raw[i] == '-';
    if (negative || (i < raw.size() && raw[i] == '+')) ++i;
    char digits[kDigits];
    int count = 0;     // significant digits kept
    int exponent = 0;  // of the first significant digit
    bool seen = false, point = false, any = false;
    for (; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '.') {
            if (point) return 0;
            point = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        any = true;
        if (!seen && c == '0') {
            if (point) --exponent;
            continue;
        }
        if (!seen) {
            seen = true;
            if (point) --exponent;
        } else if (!point) {
            ++exponent;
        }
        if (count == kDigits) {
            if (c != '0') return 0;
            continue;  // a zero past the fifteenth digit: only its place counts
        }
        digits[count++] = c;
    }
    if (!any) return 0;
    if (i < raw.size()) {
        if (raw[i] != 'e' && raw[i] != 'E') return 0;
        ++i;
        const bool down = i < raw.size() && raw[i] == '-';
        if (down || (i < raw.size() && raw[i] == '+')) ++i;
        if (i == raw.size() || raw.size() - i > 4) return 0;
        int e = 0;
        for (; i < raw.size(); ++i) {
            if (raw[i] < '0' || raw[i] > '9') return 0;
            e = e * 10 + (raw[i] - '0');
        }
        exponent += down ? -e : e;
    }
    while (count > 0 && digits[count - 1] == '0') --count;
    size_t n = 0;
    if (count == 0) {  // zero, negative zero too
        out[n++] = '0';
        return n;
    }
    if (exponent < -300 || exponent > 300) return 0;  // near the ends of the double range
    if (negative) out[n++] = '-';
    if (exponent < -4 || exponent >= kDigits) {
        out[n++] = digits[0];
        if (count > 1) {
            out[n++] = '.';
            for (int k = 1; k < count; ++k) out[n++] = digits[k];
        }
        out[n++] = 'E';
        if (exponent < 0) out[n++] = '-';
        const int e = exponent < 0 ? -exponent : exponent;
        if (e >= 100) out[n++] = static_cast<char>('0' + e / 100);
        if (e >= 10) out[n++] = static_cast<char>('0' + e / 10 % 10);
        out[n++] = static_cast<char>('0' + e % 10);
    } else if (exponent < 0) {
        out[n++] = '0';
        out[n++] = '.';
        for (int k = exponent + 1; k < 0; ++k) out[n++] = '0';
        for (int k = 0; k < count; ++k) out[n++] = digits[k];
    } else {
        for (int k = 0; k <= exponent; ++k) out[n++] = k < count ? digits[k] : '0';
        if (count > exponent + 1) {
            out[n++] = '.';
            for (int k = exponent + 1; k < count; ++k) out[n++] = digits[k];
        }
    }
    return n;
}

}  // namespace

ExportValue::ExportValue(const TField* field) : field_(field), form_(Form::Text) {
    const char16_t separator = DecimalSeparator().unicode();
    point_ = static_cast<char>(separator);
    separator_ = separator;
    const std::type_info& t = typeid(*field);
    if (textIsBytes(field))
        form_ = Form::Utf8;
    else if (separator < 0x80 && (t == typeid(TFloatField) || t == typeid(TCurrencyField)))
        form_ = Form::Float;
    else if (separator < 0x80 && t == typeid(TBCDField))
        form_ = Form::Decimal;
    else if (t == typeid(TDateTimeField))
        form_ = Form::DateTime;
    else if (t == typeid(TDateField))
        form_ = Form::Date;
    else if (t == typeid(TTimeField))
        form_ = Form::Time;
}

bool ExportValue::Read() {
    isText_ = false;
    const std::optional<std::string_view> raw = field_->CurrentBytes();
    if (!raw) {
        bytes_ = {};
        return false;
    }
    switch (form_) {
        case Form::Utf8:
            bytes_ = *raw;
            return !bytes_.empty();
        case Form::Float: {
            // The field reads its own number; only the text is made here.
            size_t n = shortDecimalText(*raw, number_);
            if (n == 0) n = FloatToChars(field_->ToVariant(*raw).toDouble(), number_);
            if (point_ != '.')
                for (size_t i = 0; i < n; ++i)
                    if (number_[i] == '.') number_[i] = point_;
            bytes_ = std::string_view(number_, n);
            return true;
        }
        case Form::Decimal: {
            // Shown digit for digit as stored (Latin-1), with the user's separator.
            bool ascii = raw->size() <= sizeof number_;
            for (size_t i = 0; ascii && i < raw->size(); ++i) {
                const char c = (*raw)[i];
                ascii = static_cast<unsigned char>(c) < 0x80;
                number_[i] = c == '.' ? point_ : c;
            }
            if (!ascii) break;
            bytes_ = std::string_view(number_, raw->size());
            return !bytes_.empty();
        }
        case Form::DateTime:
            bytes_ = DateTimeText(*raw, dateTime_);
            return !bytes_.empty();
        case Form::Date:
            bytes_ = DateText(*raw, dateTime_);
            return !bytes_.empty();
        case Form::Time:
            bytes_ = TimeText(*raw);
            return !bytes_.empty();
        case Form::Text:
            break;
    }
    text_ = field_->AsString();
    isText_ = true;
    return !text_.isEmpty();
}

void ExportValue::Write(ExportFile& out, QChar doubled) const {
    if (isText_)
        out.Write(text_, doubled);
    else if (doubled.unicode() < 0x80)
        out.WriteUtf8(bytes_, static_cast<char>(doubled.unicode()));
    else
        out.Write(QString::fromUtf8(bytes_.data(), static_cast<qsizetype>(bytes_.size())), doubled);
}

namespace {

// [sign] digits [point digits] [E [sign] digits], at least one digit before the exponent;
// without `fraction` only [sign] digits.
template <class Char>
bool isNumber(const Char* p, const Char* end, bool fraction, char16_t point) {
    auto digits = [&p, end] {
        const Char* start = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        return p - start;
    };
    auto sign = [&p, end] {
        if (p < end && (*p == '-' || *p == '+')) ++p;
    };
    sign();
    auto mantissa = digits();
    if (fraction && p < end && static_cast<char16_t>(*p) == point) {
        ++p;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (fraction && p < end && (*p == 'E' || *p == 'e')) {
        ++p;
        sign();
        if (digits() == 0) return false;
    }
    return p == end;
}

}  // namespace

bool ExportValue::IsNumber(bool fraction) const {
    if (isText_) return isNumber(text_.utf16(), text_.utf16() + text_.size(), fraction, separator_);
    return isNumber(bytes_.data(), bytes_.data() + bytes_.size(), fraction, separator_);
}

QString ExportValue::Text() const {
    return isText_ ? text_ : QString::fromUtf8(bytes_.data(), static_cast<qsizetype>(bytes_.size()));
}
