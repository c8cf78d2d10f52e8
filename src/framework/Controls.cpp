#include "framework/Controls.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QScrollBar>

#include "framework/Dispatch.h"
#include "framework/EventHook.h"
#include "framework/Menus.h"

int VirtualKeyFromQt(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        default:
            break;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    return 0;
}

namespace {

// The control of a window the focus last entered, kept on the window: the focus coming
// back to it with the window is no new entry.
const char* const kEnteredControl = "zvEnteredControl";

const void* enteredControl(const QWidget* w) {
    return w->window()->property(kEnteredControl).value<const void*>();
}

void setEnteredControl(QWidget* w, const void* control) {
    w->window()->setProperty(kEnteredControl, QVariant::fromValue(control));
}

TShiftState shiftFromQt(Qt::KeyboardModifiers m) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    return s;
}

}  // namespace

// ---- TControl --------------------------------------------------------------

TControl::TControl(TComponent* owner, QWidget* widget) : TComponent(owner), widget_(widget) {
    bounds_ = QRect(0, 0, widget->width(), widget->height());
    // Lets a window find the control behind its focused widget.
    widget->setProperty("zvControl", QVariant::fromValue<void*>(this));
}

TControl::~TControl() {
    DestroyComponents();
    if (parent_ != nullptr) parent_->removeChild(this);
    if (widget_) delete widget_.data();
}

void TControl::SetName(const QString& name) {
    TComponent::SetName(name);
    if (widget_) {
        widget_->setObjectName(name);
        widget_->setAccessibleName(name);
    }
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    if (parent_ != nullptr) parent_->removeChild(this);
    parent_ = parent;
    if (!widget_) return;
    if (parent != nullptr) {
        widget_->setParent(parent->ClientWidget());
        parent->addChild(this);
        widget_->setGeometry(bounds_);
        widget_->setVisible(visible_);
        parent->Realign();
    } else {
        widget_->setParent(nullptr);
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    bounds_ = QRect(left, top, width, height);
    if (widget_ && parent_ != nullptr) widget_->setGeometry(bounds_);
    if (parent_ != nullptr && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_ != nullptr) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    visible_ = visible;
    if (widget_ && parent_ != nullptr) widget_->setVisible(visible);
    if (parent_ != nullptr && align_ != TAlign::alNone) parent_->Realign();
}

bool TControl::Showing() const {
    return widget_ && widget_->isVisible();
}

void TControl::SetEnabled(bool enabled) {
    if (widget_) widget_->setEnabled(enabled);
}

void TControl::SetHint(const QString& hint) {
    hint_ = hint;
    if (widget_) widget_->setToolTip(showHint_ || !hint.isEmpty() ? hint : QString());
}

void TControl::SetShowHint(bool show) {
    showHint_ = show;
    SetHint(hint_);
}

TFont TControl::Font() const {
    TFont f;
    if (widget_) f.font = widget_->font();
    f.color = fontColor_;
    return f;
}

void TControl::SetFont(const TFont& font) {
    if (widget_) widget_->setFont(font.font);
    fontColor_ = font.color;
    ApplyPalette();
}

void TControl::SetColor(TColor color) {
    color_ = color;
    ApplyPalette();
}

void TControl::ApplyPalette() {
    if (!widget_) return;
    // A scrolling control's colours belong to its data area (painted as Base and Text):
    // its frame, the corner between its scroll bars and the scroll bars themselves keep
    // the program's own look.
    auto* area = qobject_cast<QAbstractScrollArea*>(widget_);
    QPalette p = widget_->palette();
    if (color_ != clDefault) {
        p.setColor(QPalette::Base, ToQColor(color_));
        if (!area) {
            p.setColor(QPalette::Window, ToQColor(color_));
            widget_->setAutoFillBackground(true);
        }
    }
    if (fontColor_ != clDefault) {
        p.setColor(QPalette::Text, ToQColor(fontColor_));
        if (!area) p.setColor(QPalette::WindowText, ToQColor(fontColor_));
    }
    widget_->setPalette(p);
    if (area) {
        // Every bar of the area, also one it holds in place of its own (a grid's row bar).
        for (QScrollBar* bar : area->findChildren<QScrollBar*>()) {
            QPalette standard = QApplication::palette(bar);
            standard.setResolveMask(~QPalette::ResolveMask(0));  // nothing inherited from the area
            bar->setPalette(standard);
        }
    }
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (!widget_) return;
    if (menu == nullptr) {
        widget_->setContextMenuPolicy(Qt::DefaultContextMenu);
        return;
    }
    widget_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget_, &QWidget::customContextMenuRequested, widget_,
                     [this, menu](const QPoint& pos) { menu->Popup(widget_->mapToGlobal(pos)); });
}

void TControl::Repaint() {
    if (widget_) widget_->repaint();
}

void TControl::FireClick() {
    if (OnClick) Dispatch([this] { OnClick(this); });
}

// ---- TWinControl -----------------------------------------------------------

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget) {}

TWinControl::~TWinControl() {
    if (QWidget* w = Widget(); w != nullptr && enteredControl(w) == this) setEnteredControl(w, nullptr);
    delete inputHook_.data();
    DestroyComponents();
    for (TControl* c : children_) c->parent_ = nullptr;
    children_.clear();
}

void TWinControl::addChild(TControl* c) {
    children_.push_back(c);
    installLayoutWatch();
}

void TWinControl::removeChild(TControl* c) {
    std::erase(children_, c);
}

void TWinControl::installLayoutWatch() {
    if (layoutWatched_ || ClientWidget() == nullptr) return;
    layoutWatched_ = true;
    new EventHook(ClientWidget(), [this](QObject*, QEvent* e) {
        if (e->type() == QEvent::Resize) Realign();
        return false;
    });
}

void TWinControl::Realign() {
    QWidget* client = ClientWidget();
    if (client == nullptr) return;
    QRect r = client->contentsRect();
    auto place = [](TControl* c, const QRect& g) {
        if (c->Widget()) c->Widget()->setGeometry(g);
    };
    for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (TControl* c : children_) {
            if (c->Align() != pass || !c->Visible()) continue;
            switch (pass) {
                case TAlign::alTop:
                    place(c, QRect(r.left(), r.top(), r.width(), c->Height()));
                    r.setTop(r.top() + c->Height());
                    break;
                case TAlign::alBottom:
                    place(c, QRect(r.left(), r.bottom() - c->Height() + 1, r.width(), c->Height()));
                    r.setBottom(r.bottom() - c->Height());
                    break;
                case TAlign::alLeft:
                    place(c, QRect(r.left(), r.top(), c->Width(), r.height()));
                    r.setLeft(r.left() + c->Width());
                    break;
                case TAlign::alRight:
                    place(c, QRect(r.right() - c->Width() + 1, r.top(), c->Width(), r.height()));
                    r.setRight(r.right() - c->Width());
                    break;
                case TAlign::alClient:
                    place(c, r);
                    break;
                case TAlign::alNone:
                    break;
            }
        }
    }
}

void TWinControl::SetFocus() {
    if (QWidget* w = FocusWidget()) w->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::CanFocus() const {
    QWidget* w = FocusWidget();
    return w != nullptr && w->isEnabled() && w->isVisible() && w->focusPolicy() != Qt::NoFocus;
}

bool TWinControl::Focused() const {
    QWidget* w = FocusWidget();
    return w != nullptr && w->hasFocus();
}

void TWinControl::focusEntered() {
    QWidget* w = FocusWidget();
    if (w == nullptr || enteredControl(w) == this) return;
    setEnteredControl(w, this);
    if (OnEnter) Dispatch([this] { OnEnter(this); });
}

void TWinControl::focusLeft(Qt::FocusReason reason) {
    // The window handing the focus to a box, another window or a pop-up leaves its
    // control entered: the control is left only for another one of the same window.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    QWidget* w = FocusWidget();
    if (w == nullptr) return;
    const QWidget* next = QApplication::focusWidget();
    if (next != nullptr && next->window() != w->window()) return;
    if (enteredControl(w) == this) setEnteredControl(w, nullptr);
    if (OnExit) Dispatch([this] { OnExit(this); });
}

void TWinControl::WatchInput() {
    if (inputWatched_ || FocusWidget() == nullptr) return;
    inputWatched_ = true;
    inputHook_ = new EventHook(FocusWidget(), [this](QObject*, QEvent* e) {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* k = static_cast<QKeyEvent*>(e);
                TKeyEvent& handler = e->type() == QEvent::KeyPress ? OnKeyDown : OnKeyUp;
                if (!handler) return false;
                int key = VirtualKeyFromQt(k->key());
                if (key == 0) return false;
                const int before = key;
                Dispatch([&] { handler(this, key, shiftFromQt(k->modifiers())); });
                return key == 0 && before != 0;
            }
            case QEvent::FocusIn:
                focusEntered();
                return false;
            case QEvent::FocusOut:
                focusLeft(static_cast<QFocusEvent*>(e)->reason());
                return false;
            default:
                return false;
        }
    });
}
