#pragma once

#include <QComboBox>
#include <QDateEdit>

#include "db/Query.h"
#include "framework/Controls.h"

// A lookup box over a data source's values; DisplayEmpty is what it shows while no
// value is chosen.
class TRxDBLookupCombo : public TWinControl {
  public:
    explicit TRxDBLookupCombo(TComponent* owner);
    QString DisplayEmpty() const;
    void SetDisplayEmpty(const QString& text);
    QComboBox* Combo() const { return static_cast<QComboBox*>(Widget()); }
};

// A date edit with a calendar; its text is the date as "yyyy.MM.dd", or empty.
class TDateEdit : public TWinControl {
  public:
    explicit TDateEdit(TComponent* owner);
    QString Text() const;
    // Raises EConvertError for a text that is not a date.
    void SetText(const QString& text);
    // Title of the calendar that the button opens.
    QString DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const QString& title);
    QDateEdit* DateEdit() const { return static_cast<QDateEdit*>(Widget()); }

  private:
    QString dialogTitle_;
};

// A list of texts kept with the window (SQL, templates), not shown.
class TStrHolder : public TComponent {
  public:
    using TComponent::TComponent;
    TStringList& Strings() { return strings_; }

  private:
    TStringList strings_;
};

// A query whose SQL is kept with the window's texts.
class TRxQuery : public TQuery {
  public:
    using TQuery::TQuery;
};
