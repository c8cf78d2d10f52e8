#pragma once

#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <memory>

#include "framework/Controls.h"

// A notebook with its tabs on top: the older page container; its pages carry no texts
// of their own that the program keeps.
class TTabbedNotebook : public TWinControl {
  public:
    explicit TTabbedNotebook(TComponent* owner);
    QTabWidget* Tabs() const { return static_cast<QTabWidget*>(Widget()); }
};

// A stack of named pages without tabs; one page is shown at a time.
class TNotebook : public TWinControl {
  public:
    explicit TNotebook(TComponent* owner);
    ~TNotebook() override;
    // The page names; adding or removing a name adds or removes its page.
    TStrings& Pages();
    int PageIndex() const;
    void SetPageIndex(int index);
    QStackedWidget* Stack() const { return static_cast<QStackedWidget*>(Widget()); }

  private:
    class PageList;
    std::unique_ptr<PageList> pages_;
};

// A row of tabs without pages; the program reacts to the chosen tab.
class TTabSet : public TWinControl {
  public:
    explicit TTabSet(TComponent* owner);
    ~TTabSet() override;
    TStrings& Tabs();
    int TabIndex() const;
    QTabBar* Bar() const { return static_cast<QTabBar*>(Widget()); }

  private:
    class TabList;
    std::unique_ptr<TabList> tabs_;
};
