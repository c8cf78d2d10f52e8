#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "framework/Controls.h"

class QButtonGroup;

class TLabel : public TControl {
  public:
    explicit TLabel(TComponent* owner);
    QString Caption() const override;
    // The label takes the size of its text (plain text, never markup).
    void SetCaption(const QString& caption) override;
    void SetFont(const TFont& font) override;
    QLabel* Label() const { return static_cast<QLabel*>(Widget()); }
};

// One-line edit. OnChange runs on every change of the text, also one the program
// makes; setting the text it already holds changes nothing.
class TEdit : public TWinControl {
  public:
    explicit TEdit(TComponent* owner);
    QString Text() const;
    void SetText(const QString& text);
    QString Caption() const override { return Text(); }
    void SetCaption(const QString& caption) override { SetText(caption); }
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int start);
    void SetSelLength(int length);
    void SetPasswordChar(QChar c);
    void SetReadOnly(bool readOnly);
    QLineEdit* LineEdit() const { return static_cast<QLineEdit*>(Widget()); }

    TNotifyEvent OnChange;
};

class TMemo;

// The lines of a memo as a string list: a break at the very end of the text starts no
// further line, so an empty memo has no lines.
class TMemoLines : public TStrings {
  public:
    explicit TMemoLines(TMemo* memo) : memo_(memo) {}
    int Count() const override;
    QString Get(int index) const override;
    void Put(int index, const QString& s) override;
    void Insert(int index, const QString& s) override;
    void Delete(int index) override;
    void Clear() override;
    QString Text() const override;
    void SetText(const QString& text) override;
    // One walk over the editor's blocks, not a search per line.
    QStringList ToStringList() const override;
    // Every line in one edit of the editor, not one insertion (and relayout) a line; the
    // memo's OnChange runs once.
    using TStrings::Assign;
    void Assign(const QStringList& lines) override;

  private:
    TMemo* memo_;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TWinControl {
  public:
    explicit TMemo(TComponent* owner);
    TStrings& Lines() { return *lines_; }
    const TStrings& Lines() const { return *lines_; }
    // The whole text, lines separated by CR LF, nothing added after the last line.
    QString Text() const;
    // Replaces the text when it differs (and clears the modified mark then).
    void SetText(const QString& text);
    bool Modified() const;
    void SetModified(bool modified);
    void SetReadOnly(bool readOnly);
    void SetWordWrap(bool wrap);
    void SetScrollBars(TScrollStyle style);
    void SetWantTabs(bool want);
    // Start of the selection (the caret when nothing is selected) as a character index,
    // and as line (0-based) and column (0-based).
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int start);
    void CaretPos(int& line, int& column) const;
    QPlainTextEdit* Editor() const { return static_cast<QPlainTextEdit*>(Widget()); }

    TNotifyEvent OnChange;

  private:
    std::unique_ptr<TMemoLines> lines_;
};

class TButton : public TWinControl {
  public:
    explicit TButton(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    // A modal result closes the modal window the button sits on when it is pressed.
    void SetModalResult(int result) { modalResult_ = result; }
    int ModalResult() const { return modalResult_; }
    // Makes the button its window's default (Enter) or cancel (Esc) button.
    void SetDefault(bool on);
    void SetCancel(bool on);
    // Presses the button: its OnClick runs, then its modal result is applied.
    void Click();
    QPushButton* Button() const { return static_cast<QPushButton*>(Widget()); }

  private:
    int modalResult_ = 0;
};

// A button with a picture beside its caption.
class TBitBtn : public TButton {
  public:
    using TButton::TButton;
    void SetGlyph(const QIcon& icon);
};

// Check box: OnClick runs whenever the check state changes, also when the program sets it.
class TCheckBox : public TWinControl {
  public:
    explicit TCheckBox(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    bool Checked() const;
    void SetChecked(bool checked);
};

// Radio button: OnClick runs when it becomes checked.
class TRadioButton : public TWinControl {
  public:
    explicit TRadioButton(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    bool Checked() const;
    void SetChecked(bool checked);
};

class TComboBoxItems;

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
  public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;
    TStrings& Items();
    int ItemIndex() const;
    void SetItemIndex(int index);
    QString Text() const;
    void SetText(const QString& text);
    void SetStyle(TComboBoxStyle style);
    void SetDropDownCount(int count);
    QComboBox* Combo() const { return static_cast<QComboBox*>(Widget()); }

    // The user chose an item or typed.
    TNotifyEvent OnChange;

  private:
    std::unique_ptr<TComboBoxItems> items_;
    bool settingByProgram_ = false;
};

class TGroupBox : public TWinControl {
  public:
    explicit TGroupBox(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
};

// A group of radio buttons made from its Items; OnClick runs when the selection changes.
class TRadioGroup : public TWinControl {
  public:
    explicit TRadioGroup(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    TStringList& Items() { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    void SetColumns(int columns);

  private:
    void rebuild();
    TStringList items_;
    QButtonGroup* group_;
    int itemIndex_ = -1;
    int columns_ = 1;
};
