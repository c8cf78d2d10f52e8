#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "rtl/Classes.h"

class QLineEdit;
class QPushButton;

// The find-and-replace dialog as a component: modeless, it stays open until the user
// closes it. Its "Replace" and "Replace All" buttons fire OnReplace (with ReplaceAll
// telling which), "Find Next" fires OnFind. Its texts keep what the user typed.
class TReplaceDialog : public TComponent {
  public:
    explicit TReplaceDialog(TComponent* owner);
    ~TReplaceDialog() override;

    QString FindText() const;
    void SetFindText(const QString& text);
    QString ReplaceText() const;
    void SetReplaceText(const QString& text);
    // True while the event came from "Replace All".
    bool ReplaceAll() const { return replaceAll_; }

    // Shows the dialog through the dialog seam, above the active window (a dialog
    // already shown comes to the front).
    void Execute();
    void CloseDialog();
    bool Visible() const;
    QDialog* Dialog() const { return dialog_; }

    TNotifyEvent OnFind;
    TNotifyEvent OnReplace;

  private:
    void fire(bool all);

    QPointer<QDialog> dialog_;
    QLineEdit* find_ = nullptr;
    QLineEdit* replace_ = nullptr;
    bool replaceAll_ = false;
};
