#include "framework/ReplaceDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/Dispatch.h"
#include "platform/DialogSeam.h"

namespace {

QPushButton* button(QWidget* parent, QVBoxLayout* column, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    column->addWidget(b);
    return b;
}

}  // namespace

TReplaceDialog::TReplaceDialog(TComponent* owner) : TComponent(owner), dialog_(new QDialog) {
    dialog_->setWindowTitle(QStringLiteral("Replace"));
    dialog_->setModal(false);
    auto* fields = new QFormLayout;
    find_ = new QLineEdit(dialog_);
    find_->setObjectName(QStringLiteral("FindText"));
    replace_ = new QLineEdit(dialog_);
    replace_->setObjectName(QStringLiteral("ReplaceText"));
    fields->addRow(QStringLiteral("Fi&nd what:"), find_);
    fields->addRow(QStringLiteral("Re&place with:"), replace_);
    auto* buttons = new QVBoxLayout;
    QPushButton* next = button(dialog_, buttons, "FindNext", QStringLiteral("&Find Next"));
    QPushButton* one = button(dialog_, buttons, "Replace", QStringLiteral("&Replace"));
    QPushButton* all = button(dialog_, buttons, "ReplaceAll", QStringLiteral("Replace &All"));
    QPushButton* cancel = button(dialog_, buttons, "Cancel", QStringLiteral("Cancel"));
    buttons->addStretch();
    auto* layout = new QHBoxLayout(dialog_);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    next->setDefault(true);
    QObject::connect(next, &QPushButton::clicked, dialog_, [this] {
        if (OnFind) Dispatch([this] { OnFind(this); });
    });
    QObject::connect(one, &QPushButton::clicked, dialog_, [this] { fire(false); });
    QObject::connect(all, &QPushButton::clicked, dialog_, [this] { fire(true); });
    QObject::connect(cancel, &QPushButton::clicked, dialog_, [this] { dialog_->hide(); });
    dialog_->resize(420, 130);
}

TReplaceDialog::~TReplaceDialog() {
    delete dialog_;
}

void TReplaceDialog::fire(bool all) {
    replaceAll_ = all;
    if (OnReplace) Dispatch([this] { OnReplace(this); });
    replaceAll_ = false;
}

QString TReplaceDialog::FindText() const {
    return find_->text();
}

void TReplaceDialog::SetFindText(const QString& text) {
    find_->setText(text);
}

QString TReplaceDialog::ReplaceText() const {
    return replace_->text();
}

void TReplaceDialog::SetReplaceText(const QString& text) {
    replace_->setText(text);
}

void TReplaceDialog::Execute() {
    // Above the window that asked for it, which may itself stay on top.
    QWidget* over = QApplication::activeWindow();
    if (over != nullptr && over != dialog_ && dialog_->parentWidget() != over) {
        const bool shown = dialog_->isVisible();
        dialog_->setParent(over, Qt::Dialog);
        if (shown) dialog_->show();
    }
    platform::Dialogs().showModeless(dialog_, dialog_->windowTitle());
    find_->setFocus();
}

void TReplaceDialog::CloseDialog() {
    dialog_->hide();
}

bool TReplaceDialog::Visible() const {
    return dialog_ && dialog_->isVisible();
}
