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

}  // namespace

ExportValue::ExportValue(const TField* field) : field_(field), form_(Form::Text) {
    const char16_t separator = DecimalSeparator().unicode();
    point_ = static_cast<char>(separator);
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
            const size_t n = FloatToChars(field_->ToVariant(*raw).toDouble(), number_);
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
            bytes_ = DateText(*raw);
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
