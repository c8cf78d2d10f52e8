#pragma once

#include <QString>
#include <string_view>

#include "db/FieldText.h"
#include "rtl/SysUtils.h"

class ExportFile;
class TField;

// A column's value on the dataset's current record as the exports write it: the
// field's text, taken from the cached bytes directly where that text is those bytes
// (character, memo and integer fields), a number formatted from them (floating-point
// and decimal fields) or their date and time part (date and time fields), and through
// the field's own text otherwise.
class ExportValue {
  public:
    explicit ExportValue(const TField* field);

    // Reads the current record's value; false when its text is empty (NULL included).
    bool Read();
    // Writes the value read last, every `doubled` character written twice (QChar()
    // doubles nothing).
    void Write(ExportFile& out, QChar doubled) const;
    // Whether the value read last is a number written as this program writes numbers:
    // an optional sign and digits; with `fraction` also a decimal separator and digits
    // and an exponent ("1,5", "2E-7").
    bool IsNumber(bool fraction) const;
    // The value read last, for an error.
    QString Text() const;

  private:
    enum class Form { Utf8, Float, Decimal, DateTime, Date, Time, Text };

    const TField* field_;
    Form form_;
    char point_;              // the decimal separator, when it is ASCII
    char16_t separator_;      // the decimal separator
    std::string_view bytes_;  // UTF-8 or ASCII text, unless text_ holds the value
    bool isText_ = false;
    QString text_;
    char number_[kFloatTextMax];
    char dateTime_[kDateTimeTextMax];
};
