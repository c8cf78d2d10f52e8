#include "framework/ComCtrls.h"

#include <QToolButton>

#include <QHBoxLayout>
#include <QLabel>

#include "framework/Dispatch.h"

TTabSheet::TTabSheet(TComponent* owner, TPageControl* pageControl)
    : TWinControl(owner, new QWidget), pageControl_(pageControl) {
    pageControl->addPage(this);
}

void TTabSheet::SetCaption(const QString& caption) {
    caption_ = caption;
    QTabWidget* tabs = pageControl_->Tabs();
    const int i = tabs->indexOf(Widget());
    if (i >= 0) tabs->setTabText(i, caption);
}

int TTabSheet::PageIndex() const {
    return pageControl_->Tabs()->indexOf(Widget());
}

void TTabSheet::SetTabVisible(bool visible) {
    QTabWidget* tabs = pageControl_->Tabs();
    const int i = tabs->indexOf(Widget());
    if (i >= 0) tabs->setTabVisible(i, visible);
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner, new QTabWidget) {
    QObject::connect(Tabs(), &QTabWidget::currentChanged, Tabs(), [this](int) {
        // Pages destroyed with their window move the current page; the window's other
        // controls may be gone by then, so the handler is not told.
        if (settingByProgram_ || (Owner() != nullptr && Owner()->Destroying())) return;
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
}

void TPageControl::addPage(TTabSheet* page) {
    pages_.push_back(page);
    settingByProgram_ = true;
    Tabs()->addTab(page->Widget(), page->Caption());
    settingByProgram_ = false;
}

TTabSheet* TPageControl::ActivePage() const {
    QWidget* current = Tabs()->currentWidget();
    for (TTabSheet* p : pages_)
        if (p->Widget() == current) return p;
    return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page == nullptr) return;
    settingByProgram_ = true;
    Tabs()->setCurrentWidget(page->Widget());
    settingByProgram_ = false;
}

int TPageControl::ActivePageIndex() const {
    return Tabs()->currentIndex();
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner, new QWidget) {
    auto* layout = new QHBoxLayout(Widget());
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    layout->addStretch(1);  // panels stand at the left, the rest stays empty
    SetHeight(20);
    SetAlign(TAlign::alBottom);
}

void TStatusBar::AddPanel(int width, bool alignRight) {
    auto* label = new QLabel(Widget());
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setObjectName(Name() + QStringLiteral("_Panel") + QString::number(panels_.size()));
    label->setAlignment((alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    label->setFixedWidth(width);
    auto* layout = static_cast<QHBoxLayout*>(Widget()->layout());
    layout->insertWidget(static_cast<int>(panels_.size()), label);
    panels_.push_back(label);
}

QString TStatusBar::PanelText(int index) const {
    if (index < 0 || index >= PanelCount()) return QString();
    return panels_[static_cast<size_t>(index)]->text();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
    if (index < 0 || index >= PanelCount()) return;
    panels_[static_cast<size_t>(index)]->setText(text);
}

void TStatusBar::SetSimpleText(const QString& text) {
    if (simple_ == nullptr) {
        simple_ = new QLabel(Widget());
        simple_->setObjectName(Name() + QStringLiteral("_Simple"));
        static_cast<QHBoxLayout*>(Widget()->layout())->insertWidget(0, simple_, 1);
    }
    simple_->setText(text);
}

QString TStatusBar::SimpleText() const {
    return simple_ != nullptr ? simple_->text() : QString();
}

// ---- TToolButton -----------------------------------------------------------

TToolButton::TToolButton(TComponent* owner) : TControl(owner, new QToolButton) {
    auto* button = static_cast<QToolButton*>(Widget());
    button->setAutoRaise(true);
    QObject::connect(button, &QToolButton::clicked, button, [this](bool) { FireClick(); });
}

QString TToolButton::Caption() const {
    return static_cast<QToolButton*>(Widget())->text();
}

void TToolButton::SetCaption(const QString& caption) {
    static_cast<QToolButton*>(Widget())->setText(caption);
}
