#include "framework/RxCtrls.h"

#include <QCalendarWidget>

#include "rtl/Exception.h"

namespace {
const QString kDateFormat = QStringLiteral("yyyy.MM.dd");
}

TRxDBLookupCombo::TRxDBLookupCombo(TComponent* owner) : TWinControl(owner, new QComboBox) {
    WatchInput();
}

QString TRxDBLookupCombo::DisplayEmpty() const {
    return Combo()->placeholderText();
}

void TRxDBLookupCombo::SetDisplayEmpty(const QString& text) {
    Combo()->setPlaceholderText(text);
}

TDateEdit::TDateEdit(TComponent* owner) : TWinControl(owner, new QDateEdit) {
    WatchInput();
    DateEdit()->setDisplayFormat(kDateFormat);
    DateEdit()->setCalendarPopup(true);
    // The lowest date stands for "no date" and shows as an empty edit.
    DateEdit()->setSpecialValueText(QStringLiteral(" "));
    DateEdit()->setDate(DateEdit()->minimumDate());
}

QString TDateEdit::Text() const {
    const QDate d = DateEdit()->date();
    return d == DateEdit()->minimumDate() ? QString() : d.toString(kDateFormat);
}

void TDateEdit::SetText(const QString& text) {
    if (text.trimmed().isEmpty()) {
        DateEdit()->setDate(DateEdit()->minimumDate());
        return;
    }
    const QDate d = QDate::fromString(text.trimmed(), kDateFormat);
    if (!d.isValid() || d <= DateEdit()->minimumDate())
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    DateEdit()->setDate(d);
}

void TDateEdit::SetDialogTitle(const QString& title) {
    dialogTitle_ = title;
    if (QCalendarWidget* calendar = DateEdit()->calendarWidget()) calendar->setWindowTitle(title);
}
