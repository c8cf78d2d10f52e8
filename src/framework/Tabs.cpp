#include "framework/Tabs.h"

#include <QWidget>

TTabbedNotebook::TTabbedNotebook(TComponent* owner) : TWinControl(owner, new QTabWidget) {}

// ---- TNotebook -------------------------------------------------------------

class TNotebook::PageList : public TStrings {
  public:
    explicit PageList(QStackedWidget* stack) : stack_(stack) {}
    int Count() const override { return static_cast<int>(names_.size()); }
    QString Get(int index) const override { return names_.at(index); }
    void Put(int index, const QString& s) override {
        names_[index] = s;
        stack_->widget(index)->setObjectName(s);
    }
    void Insert(int index, const QString& s) override {
        auto* page = new QWidget;
        page->setObjectName(s);
        stack_->insertWidget(index, page);
        names_.insert(index, s);
    }
    void Delete(int index) override {
        QWidget* page = stack_->widget(index);
        stack_->removeWidget(page);
        delete page;
        names_.removeAt(index);
    }

  private:
    QStackedWidget* stack_;
    QStringList names_;
};

TNotebook::TNotebook(TComponent* owner)
    : TWinControl(owner, new QStackedWidget), pages_(std::make_unique<PageList>(Stack())) {
    // A new notebook has one page, as a fresh one on a window has.
    pages_->Add(QStringLiteral("Default"));
}

TNotebook::~TNotebook() = default;

TStrings& TNotebook::Pages() {
    return *pages_;
}

int TNotebook::PageIndex() const {
    return Stack()->currentIndex();
}

void TNotebook::SetPageIndex(int index) {
    Stack()->setCurrentIndex(index);
}

// ---- TTabSet ---------------------------------------------------------------

class TTabSet::TabList : public TStrings {
  public:
    explicit TabList(QTabBar* bar) : bar_(bar) {}
    int Count() const override { return bar_->count(); }
    QString Get(int index) const override { return bar_->tabText(index); }
    void Put(int index, const QString& s) override { bar_->setTabText(index, s); }
    void Insert(int index, const QString& s) override { bar_->insertTab(index, s); }
    void Delete(int index) override { bar_->removeTab(index); }

  private:
    QTabBar* bar_;
};

TTabSet::TTabSet(TComponent* owner)
    : TWinControl(owner, new QTabBar), tabs_(std::make_unique<TabList>(Bar())) {}

TTabSet::~TTabSet() = default;

TStrings& TTabSet::Tabs() {
    return *tabs_;
}

int TTabSet::TabIndex() const {
    return Bar()->currentIndex();
}
