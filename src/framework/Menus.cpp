#include "framework/Menus.h"

#include <QPointer>

#include "framework/Dispatch.h"

TMenuItem::TMenuItem(TComponent* owner, const QString& caption)
    : TComponent(owner), caption_(caption), action_(new QAction(caption)) {
    QObject::connect(action_, &QAction::triggered, action_, [this] { Click(); });
}

TMenuItem::~TMenuItem() {
    delete subMenu_;
    delete action_;
}

void TMenuItem::SetCaption(const QString& caption) {
    caption_ = caption;
    action_->setText(caption);
    if (subMenu_ != nullptr) subMenu_->setTitle(caption);
}

QMenu* TMenuItem::SubMenu() {
    if (subMenu_ == nullptr) {
        subMenu_ = new QMenu(caption_);
        action_->setMenu(subMenu_);
    }
    return subMenu_;
}

void TMenuItem::Add(TMenuItem* item) {
    SubMenu()->addAction(item->Action());
}

void TMenuItem::Click() {
    if (OnClick) Dispatch([this] { OnClick(this); });
}

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), bar_(new QMenuBar) {}

TMainMenu::~TMainMenu() {
    // The window that shows the bar owns it once it is set; delete it only when unattached.
    if (bar_->parent() == nullptr) delete bar_;
}

void TMainMenu::Add(TMenuItem* item) {
    if (item->SubMenu() != nullptr) bar_->addMenu(item->SubMenu());
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), menu_(new QMenu) {}

TPopupMenu::~TPopupMenu() {
    delete menu_;
}

void TPopupMenu::Add(TMenuItem* item) {
    menu_->addAction(item->Action());
}

void TPopupMenu::Popup(const QPoint& globalPos) {
    menu_->popup(globalPos);
}
