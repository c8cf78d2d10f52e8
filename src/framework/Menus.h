#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPoint>

#include "rtl/Classes.h"

// A menu item: with sub-items it is a menu, otherwise an action with OnClick.
class TMenuItem : public TComponent {
  public:
    TMenuItem(TComponent* owner, const QString& caption);
    ~TMenuItem() override;
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Enabled() const { return action_->isEnabled(); }
    void SetEnabled(bool enabled) { action_->setEnabled(enabled); }
    // Adds a sub-item (created by the caller with the same owner).
    void Add(TMenuItem* item);
    void Click();
    QAction* Action() const { return action_; }
    QMenu* SubMenu();

    TNotifyEvent OnClick;

  private:
    QString caption_;
    QAction* action_;
    QMenu* subMenu_ = nullptr;
};

class TMainMenu : public TComponent {
  public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    void Add(TMenuItem* item);
    QMenuBar* MenuBar() const { return bar_; }

  private:
    QMenuBar* bar_;
};

class TPopupMenu : public TComponent {
  public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    void Add(TMenuItem* item);
    void Popup(const QPoint& globalPos);
    QMenu* Menu() const { return menu_; }

  private:
    QMenu* menu_;
};
