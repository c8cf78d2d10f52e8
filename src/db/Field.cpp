#include "db/Field.h"

#include <QDate>
#include <QTime>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "db/DataSet.h"
#include "db/FieldText.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

namespace {

QString fromUtf8(std::string_view raw) {
    return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

double parseDouble(std::string_view raw) {
    return CStrToDouble(raw);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view s) {
    for (char c : s)
        if (!isDigit(c)) return false;
    return !s.empty();
}

// "YYYY-MM-DD" at the start of raw.
bool hasDate(std::string_view raw) {
    return raw.size() >= 10 && allDigits(raw.substr(0, 4)) && raw[4] == '-' && allDigits(raw.substr(5, 2)) &&
           raw[7] == '-' && allDigits(raw.substr(8, 2));
}

// "HH:MM:SS" at position pos of raw.
bool hasTime(std::string_view raw, size_t pos) {
    return raw.size() >= pos + 8 && allDigits(raw.substr(pos, 2)) && raw[pos + 2] == ':' &&
           allDigits(raw.substr(pos + 3, 2)) && raw[pos + 5] == ':' && allDigits(raw.substr(pos + 6, 2));
}

// Fractional seconds other than zero after "YYYY-MM-DD HH:MM:SS" (a half second past
// midnight is not midnight).
bool hasFraction(std::string_view raw) {
    if (raw.size() <= 19 || raw[19] != '.') return false;
    for (size_t i = 20; i < raw.size() && isDigit(raw[i]); ++i)
        if (raw[i] != '0') return true;
    return false;
}

bool hasDateTime(std::string_view raw) {
    return hasDate(raw) && raw.size() >= 19 && (raw[10] == ' ' || raw[10] == 'T') && hasTime(raw, 11);
}

[[noreturn]] void badValue(const QString& text, const char* what) {
    throw EConvertError(QStringLiteral("'%1' is not a valid %2").arg(text, QString::fromLatin1(what)));
}

// Decimal number typed with the user's separator (or a point): canonical form with a point.
QByteArray decimalText(const QString& text, bool allowFraction, const char* what) {
    const QString t = Trim(text);
    QByteArray out;
    int i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        if (t[i] == u'-') out += '-';
        ++i;
    }
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            out += static_cast<char>(c.unicode());
            ++digits;
        } else if (allowFraction && !point && (c == DecimalSeparator() || c == u'.')) {
            out += '.';
            point = true;
        } else {
            badValue(text, what);
        }
    }
    if (!digits) badValue(text, what);
    return out;
}

QTime parseTime(const QString& t) {
    QTime time = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
    if (!time.isValid()) time = QTime::fromString(t, QStringLiteral("HH:mm"));
    return time;
}

}  // namespace

TField::TField(TDataSet* dataSet, const QString& fieldName, TFieldType type, int size)
    : TComponent(nullptr), dataSet_(dataSet), fieldName_(fieldName), type_(type), size_(size) {}

int TField::DefaultDisplayWidth() const {
    return size_ > 0 ? size_ : 10;
}

bool TField::IsNull() const {
    return !dataSet_->CurrentValue(index_).has_value();
}

QString TField::AsString() const {
    const auto v = dataSet_->CurrentValue(index_);
    return v ? FormatValue(*v) : QString();
}

std::optional<std::string_view> TField::CurrentBytes() const {
    return dataSet_->CurrentValue(index_);
}

QVariant TField::Value() const {
    const auto v = dataSet_->CurrentValue(index_);
    return v ? ToVariant(*v) : QVariant();
}

void TField::SetAsString(const QString& text) {
    // An empty text is no value for a typed field: it clears it.
    const bool textual = type_ == TFieldType::ftString || type_ == TFieldType::ftMemo;
    if (text.isEmpty() && !textual) {
        dataSet_->SetCurrentValue(index_, std::nullopt);
        return;
    }
    dataSet_->SetCurrentValue(index_, ParseText(text));
}

void TField::Clear() {
    dataSet_->SetCurrentValue(index_, std::nullopt);
}

QString TField::FormatValue(std::string_view raw) const {
    return fromUtf8(raw);
}
QVariant TField::ToVariant(std::string_view raw) const {
    return fromUtf8(raw);
}
QByteArray TField::ParseText(const QString& text) const {
    if (size_ > 0 && type_ == TFieldType::ftString && text.size() > size_)
        throw EConvertError(
            QStringLiteral("Value of field '%1' is longer than %2 characters").arg(fieldName_).arg(size_));
    return text.toUtf8();
}

// Integers ------------------------------------------------------------------

QVariant TIntegerField::ToVariant(std::string_view raw) const {
    return static_cast<int>(std::strtol(std::string(raw).c_str(), nullptr, 10));
}

QByteArray TIntegerField::ParseText(const QString& text) const {
    const QByteArray v = decimalText(text, false, "integer value");
    bool ok = false;
    v.toInt(&ok);
    if (!ok) badValue(text, "integer value");
    return v;
}

QVariant TLargeintField::ToVariant(std::string_view raw) const {
    return static_cast<qlonglong>(std::strtoll(std::string(raw).c_str(), nullptr, 10));
}

QByteArray TLargeintField::ParseText(const QString& text) const {
    const QByteArray v = decimalText(text, false, "integer value");
    bool ok = false;
    v.toLongLong(&ok);
    if (!ok) badValue(text, "integer value");
    return v;
}

// Floating point and decimal -----------------------------------------------------

QString TFloatField::FormatValue(std::string_view raw) const {
    return FloatToStr(parseDouble(raw));
}

QVariant TFloatField::ToVariant(std::string_view raw) const {
    return parseDouble(raw);
}

QByteArray TFloatField::ParseText(const QString& text) const {
    const double v = static_cast<double>(StrToFloat(Trim(text)));
    return QByteArray::number(v, 'g', 17);
}

QString TBCDField::FormatValue(std::string_view raw) const {
    QString s = QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
    if (DecimalSeparator() != u'.') s.replace(QChar(u'.'), DecimalSeparator());
    return s;
}

QVariant TBCDField::ToVariant(std::string_view raw) const {
    return parseDouble(raw);
}

QByteArray TBCDField::ParseText(const QString& text) const {
    return decimalText(text, true, "decimal value");
}

// Booleans -----------------------------------------------------------------------

static bool rawTrue(std::string_view raw) {
    if (raw.empty()) return false;
    const char c = raw[0];
    if (c == 't' || c == 'T' || c == 'y' || c == 'Y') return true;
    if (c == 'f' || c == 'F' || c == 'n' || c == 'N') return false;
    return parseDouble(raw) != 0.0;
}

QString TBooleanField::FormatValue(std::string_view raw) const {
    return rawTrue(raw) ? QStringLiteral("True") : QStringLiteral("False");
}

QVariant TBooleanField::ToVariant(std::string_view raw) const {
    return rawTrue(raw);
}

QByteArray TBooleanField::ParseText(const QString& text) const {
    const QString t = Trim(text).toLower();
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("yes") ||
        t == QLatin1String("y") || t == QLatin1String("1"))
        return "1";
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("no") ||
        t == QLatin1String("n") || t == QLatin1String("0"))
        return "0";
    badValue(text, "boolean value");
}

// Dates and times ------------------------------------------------------------------
// Stored values that are not ISO dates (a text in an SQLite date column) show as they are.

std::string_view DateTimeText(std::string_view raw, char (&scratch)[kDateTimeTextMax]) {
    if (!hasDateTime(raw)) return raw;
    if (raw.substr(11, 8) == "00:00:00" && !hasFraction(raw)) return raw.substr(0, 10);
    std::memcpy(scratch, raw.data(), 10);
    scratch[10] = ' ';
    std::memcpy(scratch + 11, raw.data() + 11, 8);
    return std::string_view(scratch, kDateTimeTextMax);
}

std::string_view DateText(std::string_view raw, char (&scratch)[kDateTimeTextMax]) {
    // A time that an SQLite date column holds all the same is shown, never hidden.
    if (hasDate(raw) && raw.size() == 10) return raw;
    return DateTimeText(raw, scratch);
}

std::string_view TimeText(std::string_view raw) {
    return hasTime(raw, 0) ? raw.substr(0, 8) : raw;
}

QString TDateTimeField::FormatValue(std::string_view raw) const {
    char scratch[kDateTimeTextMax];
    return fromUtf8(DateTimeText(raw, scratch));
}

QVariant TDateTimeField::ToVariant(std::string_view raw) const {
    if (hasDateTime(raw))
        return QDateTime(QDate::fromString(fromUtf8(raw.substr(0, 10)), Qt::ISODate),
                         QTime::fromString(fromUtf8(raw.substr(11, 8)), QStringLiteral("HH:mm:ss")));
    if (hasDate(raw))
        return QDateTime(QDate::fromString(fromUtf8(raw.substr(0, 10)), Qt::ISODate), QTime(0, 0));
    return fromUtf8(raw);
}

QByteArray TDateTimeField::ParseText(const QString& text) const {
    const QString t = Trim(text);
    const QDate date = QDate::fromString(t.left(10), Qt::ISODate);
    if (t.size() < 10 || !date.isValid()) badValue(text, "date and time");
    QTime time(0, 0);
    if (t.size() > 10) {
        if (t[10] != u' ' && t[10] != u'T') badValue(text, "date and time");
        time = parseTime(t.mid(11));
        if (!time.isValid()) badValue(text, "date and time");
    }
    return (date.toString(Qt::ISODate) + QChar(u' ') + time.toString(QStringLiteral("HH:mm:ss"))).toLatin1();
}

QString TDateField::FormatValue(std::string_view raw) const {
    char scratch[kDateTimeTextMax];
    return fromUtf8(DateText(raw, scratch));
}

QVariant TDateField::ToVariant(std::string_view raw) const {
    return hasDate(raw) ? QVariant(QDate::fromString(fromUtf8(raw.substr(0, 10)), Qt::ISODate))
                        : fromUtf8(raw);
}

QByteArray TDateField::ParseText(const QString& text) const {
    // A date is written back as "YYYY-MM-DD" whatever the backend; midnight, as a date
    // shows with its time, is the date alone, and any other time is no date.
    const QString t = Trim(text);
    const QDate date = QDate::fromString(t.left(10), Qt::ISODate);
    if (t.size() < 10 || !date.isValid()) badValue(text, "date");
    if (t.size() > 10) {
        if (t[10] != u' ' && t[10] != u'T') badValue(text, "date");
        if (parseTime(t.mid(11)) != QTime(0, 0)) badValue(text, "date");
    }
    return date.toString(Qt::ISODate).toLatin1();
}

QString TTimeField::FormatValue(std::string_view raw) const {
    return fromUtf8(TimeText(raw));
}

QVariant TTimeField::ToVariant(std::string_view raw) const {
    return hasTime(raw, 0)
               ? QVariant(QTime::fromString(fromUtf8(raw.substr(0, 8)), QStringLiteral("HH:mm:ss")))
               : fromUtf8(raw);
}

QByteArray TTimeField::ParseText(const QString& text) const {
    const QTime time = parseTime(Trim(text));
    if (!time.isValid()) badValue(text, "time");
    return time.toString(QStringLiteral("HH:mm:ss")).toLatin1();
}

// Binary and long texts ----------------------------------------------------------------

QString TBytesField::FormatValue(std::string_view raw) const {
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}
QVariant TBytesField::ToVariant(std::string_view raw) const {
    return QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
}
QByteArray TBytesField::ParseText(const QString& text) const {
    return text.toLatin1();
}

QString TBlobField::FormatValue(std::string_view raw) const {
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}
QVariant TBlobField::ToVariant(std::string_view raw) const {
    return QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
}
QByteArray TBlobField::ParseText(const QString& text) const {
    return text.toLatin1();
}

QString TMemoField::FormatValue(std::string_view raw) const {
    return fromUtf8(raw);
}
QVariant TMemoField::ToVariant(std::string_view raw) const {
    return fromUtf8(raw);
}
QByteArray TMemoField::ParseText(const QString& text) const {
    return text.toUtf8();
}
