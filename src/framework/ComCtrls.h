#pragma once

#include <QStatusBar>
#include <QTabWidget>
#include <vector>

#include "framework/Controls.h"

class QLabel;
class TPageControl;

// One page of a page control; its caption is the tab's text.
class TTabSheet : public TWinControl {
  public:
    TTabSheet(TComponent* owner, TPageControl* pageControl);
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption) override;
    TPageControl* PageControl() const { return pageControl_; }
    int PageIndex() const;
    void SetTabVisible(bool visible);

  private:
    TPageControl* pageControl_;
    QString caption_;
};

class TPageControl : public TWinControl {
  public:
    explicit TPageControl(TComponent* owner);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
    TTabSheet* ActivePage() const;
    // Changing the page by program does not run OnChange.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    QTabWidget* Tabs() const { return static_cast<QTabWidget*>(Widget()); }

    // The user changed the page.
    TNotifyEvent OnChange;

  private:
    friend class TTabSheet;
    void addPage(TTabSheet* page);
    std::vector<TTabSheet*> pages_;
    bool settingByProgram_ = false;
};

// A button of a tool bar; its caption shows when the bar shows captions.
class TToolButton : public TControl {
  public:
    explicit TToolButton(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
};

// A status bar of fixed-width panels (the last one takes the rest), or one simple text.
class TStatusBar : public TWinControl {
  public:
    explicit TStatusBar(TComponent* owner);
    // Adds a panel; alignRight puts its text at the right end.
    void AddPanel(int width, bool alignRight = false);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    void SetSimpleText(const QString& text);
    QString SimpleText() const;

  private:
    std::vector<QLabel*> panels_;
    QLabel* simple_ = nullptr;
};
