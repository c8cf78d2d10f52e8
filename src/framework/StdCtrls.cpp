#include "framework/StdCtrls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "framework/Dispatch.h"
#include "framework/EventHook.h"
#include "framework/Forms.h"

namespace {

TForm* formOf(TComponent* c) {
    for (TComponent* o = c; o != nullptr; o = o->Owner())
        if (auto* f = dynamic_cast<TForm*>(o)) return f;
    return nullptr;
}

}  // namespace

// ---- TLabel ----------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TControl(owner, new QLabel) {
    Label()->setTextFormat(Qt::PlainText);
}

QString TLabel::Caption() const {
    return Label()->text();
}

void TLabel::SetCaption(const QString& caption) {
    Label()->setText(caption);
    Label()->adjustSize();
    SetBounds(Left(), Top(), Label()->width(), Label()->height());
}

void TLabel::SetFont(const TFont& font) {
    TControl::SetFont(font);
    Label()->adjustSize();
    SetBounds(Left(), Top(), Label()->width(), Label()->height());
}

// ---- TEdit -----------------------------------------------------------------

TEdit::TEdit(TComponent* owner) : TWinControl(owner, new QLineEdit) {
    WatchInput();
    QObject::connect(LineEdit(), &QLineEdit::textChanged, LineEdit(), [this](const QString&) {
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
}

QString TEdit::Text() const {
    return LineEdit()->text();
}

void TEdit::SetText(const QString& text) {
    if (LineEdit()->text() == text) return;
    LineEdit()->setText(text);
}

int TEdit::SelStart() const {
    return LineEdit()->hasSelectedText() ? LineEdit()->selectionStart() : LineEdit()->cursorPosition();
}

int TEdit::SelLength() const {
    return static_cast<int>(LineEdit()->selectedText().size());
}

void TEdit::SetSelStart(int start) {
    LineEdit()->setCursorPosition(start);
}

void TEdit::SetSelLength(int length) {
    const int start = SelStart();
    if (length <= 0)
        LineEdit()->setCursorPosition(start);
    else
        LineEdit()->setSelection(start, length);
}

void TEdit::SetPasswordChar(QChar c) {
    LineEdit()->setEchoMode(c.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TEdit::SetReadOnly(bool readOnly) {
    LineEdit()->setReadOnly(readOnly);
}

// ---- TMemo -----------------------------------------------------------------

namespace {

QTextDocument* docOf(TMemo* memo) {
    return memo->Editor()->document();
}

// The document ends with a line break when its last block is empty and not the only one.
bool endsWithBreak(const QTextDocument* d) {
    return d->blockCount() > 1 && d->lastBlock().text().isEmpty();
}
bool isEmptyDoc(const QTextDocument* d) {
    return d->blockCount() == 1 && d->lastBlock().text().isEmpty();
}

// The document's text with its lines separated by LF. Unlike toPlainText it keeps
// no-break spaces, so a text read into a memo comes out unchanged.
QString plainTextOf(const QTextDocument* d) {
    QString t;
    for (QTextBlock b = d->begin(); b.isValid(); b = b.next()) {
        if (b != d->begin()) t += QChar('\n');
        t += b.text();
    }
    return t;
}

}  // namespace

int TMemoLines::Count() const {
    const QTextDocument* d = docOf(memo_);
    if (isEmptyDoc(d)) return 0;
    return d->blockCount() - (endsWithBreak(d) ? 1 : 0);
}

QString TMemoLines::Get(int index) const {
    if (index < 0 || index >= Count()) return QString();
    return docOf(memo_)->findBlockByNumber(index).text();
}

void TMemoLines::Put(int index, const QString& s) {
    if (index < 0 || index >= Count()) return;
    QTextBlock block = docOf(memo_)->findBlockByNumber(index);
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.insertText(s);
    NotifyChanged();
}

void TMemoLines::Insert(int index, const QString& s) {
    QTextDocument* d = docOf(memo_);
    const int count = Count();
    if (index < 0 || index > count) return;
    QTextCursor c(d);
    if (index == count) {
        c.movePosition(QTextCursor::End);
        if (!isEmptyDoc(d) && !endsWithBreak(d)) c.insertText(QStringLiteral("\n"));
        c.insertText(s + QChar('\n'));
    } else {
        c.setPosition(d->findBlockByNumber(index).position());
        c.insertText(s + QChar('\n'));
    }
    NotifyChanged();
}

void TMemoLines::Delete(int index) {
    QTextDocument* d = docOf(memo_);
    if (index < 0 || index >= Count()) return;
    QTextBlock block = d->findBlockByNumber(index);
    QTextCursor c(block);
    if (block.next().isValid())
        c.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    else
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    NotifyChanged();
}

void TMemoLines::Clear() {
    memo_->Editor()->clear();
    NotifyChanged();
}

QStringList TMemoLines::ToStringList() const {
    const QTextDocument* d = docOf(memo_);
    QStringList lines;
    const int count = Count();
    lines.reserve(count);
    for (QTextBlock b = d->begin(); b.isValid() && lines.size() < count; b = b.next()) lines.append(b.text());
    return lines;
}

void TMemoLines::Assign(const QStringList& lines) {
    BeginUpdate();
    memo_->Editor()->clear();
    if (!lines.isEmpty()) {
        // The document Add would build line by line: each line followed by a break.
        QTextCursor c(docOf(memo_));
        c.insertText(lines.join(QChar('\n')) + QChar('\n'));
    }
    NotifyChanged();
    EndUpdate();
}

QString TMemoLines::Text() const {
    return TStrings::Text();
}

void TMemoLines::SetText(const QString& text) {
    memo_->SetText(text);
}

TMemo::TMemo(TComponent* owner)
    : TWinControl(owner, new QPlainTextEdit), lines_(std::make_unique<TMemoLines>(this)) {
    WatchInput();
    Editor()->setTabChangesFocus(true);
    QObject::connect(Editor(), &QPlainTextEdit::textChanged, Editor(), [this] {
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
    new EventHook(Editor()->viewport(), [this](QObject*, QEvent* e) {
        if (e->type() == QEvent::MouseButtonRelease) FireClick();
        return false;
    });
}

QString TMemo::Text() const {
    QString t = plainTextOf(Editor()->document());
    t.replace(QChar('\n'), QStringLiteral("\r\n"));
    return t;
}

void TMemo::SetText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QChar('\r'), QChar('\n'));
    if (plainTextOf(Editor()->document()) == plain) return;
    Editor()->setPlainText(plain);
    Editor()->document()->setModified(false);
}

bool TMemo::Modified() const {
    return Editor()->document()->isModified();
}

void TMemo::SetModified(bool modified) {
    Editor()->document()->setModified(modified);
}

void TMemo::SetReadOnly(bool readOnly) {
    Editor()->setReadOnly(readOnly);
}

void TMemo::SetWordWrap(bool wrap) {
    Editor()->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle style) {
    const bool h = style == TScrollStyle::ssHorizontal || style == TScrollStyle::ssBoth;
    const bool v = style == TScrollStyle::ssVertical || style == TScrollStyle::ssBoth;
    Editor()->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    Editor()->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
}

void TMemo::SetWantTabs(bool want) {
    Editor()->setTabChangesFocus(!want);
}

int TMemo::SelStart() const {
    return Editor()->textCursor().selectionStart();
}

int TMemo::SelLength() const {
    const QTextCursor c = Editor()->textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TMemo::SetSelStart(int start) {
    QTextCursor c = Editor()->textCursor();
    c.setPosition(start);
    Editor()->setTextCursor(c);
}

void TMemo::CaretPos(int& line, int& column) const {
    const int pos = SelStart();
    const QTextBlock block = Editor()->document()->findBlock(pos);
    line = block.blockNumber();
    column = pos - block.position();
}

// ---- TButton ---------------------------------------------------------------

TButton::TButton(TComponent* owner) : TWinControl(owner, new QPushButton) {
    WatchInput();
    Button()->setAutoDefault(false);
    QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { Click(); });
}

QString TButton::Caption() const {
    return Button()->text();
}

void TButton::SetCaption(const QString& caption) {
    Button()->setText(caption);
}

void TButton::SetDefault(bool on) {
    if (TForm* f = formOf(this)) f->SetDefaultButton(on ? this : nullptr);
}

void TButton::SetCancel(bool on) {
    if (TForm* f = formOf(this)) f->SetCancelButton(on ? this : nullptr);
}

void TButton::Click() {
    FireClick();
    if (modalResult_ != 0) {
        if (TForm* f = formOf(this)) Dispatch([f, this] { f->SetModalResult(modalResult_); });
    }
}

void TBitBtn::SetGlyph(const QIcon& icon) {
    Button()->setIcon(icon);
}

// ---- TCheckBox -------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, new QCheckBox) {
    WatchInput();
    QObject::connect(static_cast<QCheckBox*>(Widget()), &QCheckBox::toggled, Widget(),
                     [this](bool) { FireClick(); });
}

QString TCheckBox::Caption() const {
    return static_cast<QCheckBox*>(Widget())->text();
}

void TCheckBox::SetCaption(const QString& caption) {
    static_cast<QCheckBox*>(Widget())->setText(caption);
}

bool TCheckBox::Checked() const {
    return static_cast<QCheckBox*>(Widget())->isChecked();
}

void TCheckBox::SetChecked(bool checked) {
    static_cast<QCheckBox*>(Widget())->setChecked(checked);
}

// ---- TRadioButton ----------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner, new QRadioButton) {
    WatchInput();
    QObject::connect(static_cast<QRadioButton*>(Widget()), &QRadioButton::toggled, Widget(), [this](bool on) {
        if (on) FireClick();
    });
}

QString TRadioButton::Caption() const {
    return static_cast<QRadioButton*>(Widget())->text();
}

void TRadioButton::SetCaption(const QString& caption) {
    static_cast<QRadioButton*>(Widget())->setText(caption);
}

bool TRadioButton::Checked() const {
    return static_cast<QRadioButton*>(Widget())->isChecked();
}

void TRadioButton::SetChecked(bool checked) {
    static_cast<QRadioButton*>(Widget())->setChecked(checked);
}

// ---- TComboBox -------------------------------------------------------------

class TComboBoxItems : public TStrings {
  public:
    explicit TComboBoxItems(QComboBox* box) : box_(box) {}
    int Count() const override { return box_->count(); }
    QString Get(int index) const override { return box_->itemText(index); }
    void Put(int index, const QString& s) override {
        box_->setItemText(index, s);
        NotifyChanged();
    }
    void Insert(int index, const QString& s) override {
        // A list box with nothing chosen stays so when items are added.
        const bool noneChosen = box_->currentIndex() < 0;
        box_->insertItem(index, s);
        if (noneChosen && !box_->isEditable()) box_->setCurrentIndex(-1);
        NotifyChanged();
    }
    void Delete(int index) override {
        box_->removeItem(index);
        NotifyChanged();
    }
    void Clear() override {
        box_->clear();
        NotifyChanged();
    }
    // A long list (thousands of aliases) goes into the box in one insertion, not one
    // model change an item.
    using TStrings::Assign;
    void Assign(const QStringList& lines) override {
        const bool noneChosen = box_->currentIndex() < 0;
        box_->clear();
        box_->addItems(lines);
        if (noneChosen && !box_->isEditable()) box_->setCurrentIndex(-1);
        NotifyChanged();
    }

  private:
    QComboBox* box_;
};

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner, new QComboBox),
      items_(std::make_unique<TComboBoxItems>(static_cast<QComboBox*>(Widget()))) {
    WatchInput();
    Combo()->setEditable(true);
    Combo()->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(Combo(), &QComboBox::activated, Combo(), [this](int) {
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
    QObject::connect(Combo(), &QComboBox::editTextChanged, Combo(), [this](const QString&) {
        if (settingByProgram_ || !Combo()->isEditable()) return;
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
}

TComboBox::~TComboBox() = default;

TStrings& TComboBox::Items() {
    return *items_;
}

int TComboBox::ItemIndex() const {
    return Combo()->currentIndex();
}

void TComboBox::SetItemIndex(int index) {
    settingByProgram_ = true;
    Combo()->setCurrentIndex(index);
    if (index < 0 && Combo()->isEditable()) Combo()->setEditText(QString());
    settingByProgram_ = false;
}

QString TComboBox::Text() const {
    return Combo()->currentText();
}

void TComboBox::SetText(const QString& text) {
    settingByProgram_ = true;
    if (Combo()->isEditable())
        Combo()->setEditText(text);
    else
        Combo()->setCurrentIndex(Combo()->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    settingByProgram_ = false;
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    Combo()->setEditable(style == TComboBoxStyle::csDropDown);
    if (style == TComboBoxStyle::csDropDownList) Combo()->setCurrentIndex(-1);
}

void TComboBox::SetDropDownCount(int count) {
    Combo()->setMaxVisibleItems(count);
}

// ---- TGroupBox -------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner, new QGroupBox) {}

QString TGroupBox::Caption() const {
    return static_cast<QGroupBox*>(Widget())->title();
}

void TGroupBox::SetCaption(const QString& caption) {
    static_cast<QGroupBox*>(Widget())->setTitle(caption);
}

// ---- TRadioGroup -----------------------------------------------------------

TRadioGroup::TRadioGroup(TComponent* owner)
    : TWinControl(owner, new QGroupBox), group_(new QButtonGroup(Widget())) {
    new QGridLayout(Widget());
    items_.OnChange = [this](TObject*) { rebuild(); };
    QObject::connect(group_, &QButtonGroup::idClicked, Widget(), [this](int id) {
        if (id == itemIndex_) return;
        itemIndex_ = id;
        FireClick();
    });
}

QString TRadioGroup::Caption() const {
    return static_cast<QGroupBox*>(Widget())->title();
}

void TRadioGroup::SetCaption(const QString& caption) {
    static_cast<QGroupBox*>(Widget())->setTitle(caption);
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = columns < 1 ? 1 : columns;
    rebuild();
}

void TRadioGroup::rebuild() {
    for (QAbstractButton* b : group_->buttons()) {
        group_->removeButton(b);
        delete b;
    }
    auto* layout = static_cast<QGridLayout*>(Widget()->layout());
    const int n = items_.Count();
    const int rows = (n + columns_ - 1) / columns_;
    for (int i = 0; i < n; ++i) {
        auto* b = new QRadioButton(items_[i], Widget());
        b->setObjectName(Name() + QStringLiteral("_") + QString::number(i));
        group_->addButton(b, i);
        layout->addWidget(b, rows == 0 ? 0 : i % rows, rows == 0 ? 0 : i / rows);
    }
    if (itemIndex_ >= n) itemIndex_ = -1;
    if (itemIndex_ >= 0) group_->button(itemIndex_)->setChecked(true);
}

void TRadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= items_.Count()) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    if (index >= 0) {
        group_->button(index)->setChecked(true);
    } else {
        group_->setExclusive(false);
        for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
        group_->setExclusive(true);
    }
    FireClick();
}
