#include "framework/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <algorithm>
#include <limits>

#include "framework/Application.h"
#include "framework/DBGrids.h"
#include "framework/Dispatch.h"
#include "framework/EventHook.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"
#include "seam/DialogSeam.h"

namespace framework_detail {

void FormWidget::closeEvent(QCloseEvent* event) {
    if (form_ == nullptr) {
        event->accept();
        return;
    }
    // The window manager's close box asks the form; the form decides and hides itself.
    event->ignore();
    TForm* form = form_;
    Dispatch([form] { form->Close(); });
}

void FormWidget::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (form_ != nullptr) form_->noteNormalPlacement();
}

void FormWidget::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (form_ != nullptr) form_->noteNormalPlacement();
}

}  // namespace framework_detail

namespace {

// The available area of the screen a window is on (the primary one when none holds it).
QRect screenAreaOf(const QRect& rect) {
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (screen == nullptr) screen = QGuiApplication::screenAt(rect.topLeft());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

// A window as large as its screen's whole working area or larger: what a maximized
// window is, whatever state the window manager has reported so far.
bool coversItsScreen(const QRect& rect) {
    const QRect area = screenAreaOf(rect);
    return area.isValid() && rect.contains(area);
}

int titleBarHeight() {
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

// Moves a client-area rectangle so that the title bar above it lies on a screen, with
// at least some of its width to grab; shrinks it to the working area when larger.
QRect keepTitleBarOnScreen(QRect r) {
    const QRect area = screenAreaOf(r);
    if (!area.isValid()) return r;
    const int title = titleBarHeight();
    r.setWidth(std::min(r.width(), area.width()));
    r.setHeight(std::min(r.height(), std::max(1, area.height() - title)));
    const int grip = std::min(r.width(), 100);
    r.moveLeft(std::clamp(r.left(), area.left() - r.width() + grip, area.right() + 1 - grip));
    r.moveTop(
        std::clamp(r.top(), area.top() + title, std::max(area.top() + title, area.bottom() + 1 - title)));
    return r;
}

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner, new framework_detail::FormWidget(this)) {
    auto* window = static_cast<framework_detail::FormWidget*>(Widget());
    client_ = new QWidget(window);
    window->setCentralWidget(client_);
    // The windows are laid out for the classic dialog font, 8 points at 96 dots per inch.
    window->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 11));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->hide();
    SetVisible(false);
    keyHook_ =
        new EventHook(qApp, [this](QObject* watched, QEvent* event) { return previewKey(watched, event); });
}

TForm::~TForm() {
    for (auto& hook : destroyHooks_) hook();
    destroyHooks_.clear();
    delete keyHook_;
    DestroyComponents();
    if (auto* window = dynamic_cast<framework_detail::FormWidget*>(Widget())) window->Detach();
}

QString TForm::Caption() const {
    return Widget()->windowTitle();
}

void TForm::SetCaption(const QString& caption) {
    Widget()->setWindowTitle(caption);
}

bool TForm::Visible() const {
    return Widget()->isVisible();
}

void TForm::Show() {
    QWidget* window = Widget();
    if (!window->isVisible()) {
        // An error while restoring or in the show handler is reported, and the window
        // still comes up: a window that never shows could not be used or closed.
        for (auto& hook : showHooks_) Dispatch(hook);
        if (OnShow) Dispatch([this] { OnShow(this); });
        if (position_ == TPosition::poScreenCenter && !centred_) {
            centred_ = true;
            if (QScreen* screen = QGuiApplication::primaryScreen()) {
                QRect g = window->geometry();
                g.moveCenter(screen->availableGeometry().center());
                window->setGeometry(g);
            }
        }
        switch (pendingState_) {
            case TWindowState::wsMaximized:
                // Without a window manager the maximized state alone changes nothing:
                // the window is laid over the whole screen first.
                if (QScreen* screen = QGuiApplication::primaryScreen())
                    window->setGeometry(screen->availableGeometry());
                window->show();
                window->setWindowState(window->windowState() | Qt::WindowMaximized);
                break;
            case TWindowState::wsMinimized:
                window->showMinimized();
                break;
            case TWindowState::wsNormal:
                window->showNormal();
                break;
        }
    }
    window->raise();
    window->activateWindow();
}

void TForm::Hide() {
    if (!Widget()->isVisible()) return;
    // The next show and anything stored meanwhile see the state the user left.
    pendingState_ = WindowState();
    Widget()->hide();
    if (OnHide) OnHide(this);
}

void TForm::Close() {
    doClose();
}

bool TForm::doClose() {
    // What the user typed into the window's grids reaches its table before the window
    // goes; a row the table refuses keeps the window open with the row as typed.
    if (!TDBGrid::PostEdits(Widget())) {
        modalResult_ = mrNone;
        return false;
    }
    if (modalDepth_ > 0 && modalResult_ == mrNone) modalResult_ = mrCancel;
    // What a hook cannot save (a full disk) is shown, and the window closes all the same:
    // a failed save must not keep the user from leaving.
    for (auto& hook : closeHooks_) Dispatch(hook);
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) {
        modalResult_ = mrNone;
        return false;
    }
    const bool isMain = Application() != nullptr && Application()->MainForm() == this;
    TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    switch (action) {
        case TCloseAction::caNone:
            modalResult_ = mrNone;
            return false;
        case TCloseAction::caMinimize:
            Widget()->showMinimized();
            return true;
        case TCloseAction::caHide:
        case TCloseAction::caFree:
            break;
    }
    Hide();
    if (isMain) Application()->MainFormClosed();
    return true;
}

int TForm::ShowModal() {
    QWidget* window = Widget();
    // Qt blocks the other windows only for a window that is modal as it comes up.
    if (window->isVisible()) throw Exception(QStringLiteral("Cannot make a visible window modal"));
    modalResult_ = mrNone;
    ++modalDepth_;
    // Above every window of the program, also one that stays on top of the others.
    const bool lifted = !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
                        platform::ProgramWindowStaysOnTop(window);
    if (lifted) window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->setWindowModality(Qt::ApplicationModal);
    struct Leave {
        TForm& form;
        bool lifted;
        ~Leave() {
            --form.modalDepth_;
            QWidget* w = form.Widget();
            w->setWindowModality(Qt::NonModal);
            // New flags hide a window: one still up keeps them.
            if (lifted && !w->isVisible()) w->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        }
    } leave{*this, lifted};
    Show();
    const int result = platform::Dialogs().runModal(
        window, Name(), [this] { return modalResult_ == mrNone ? int(mrCancel) : modalResult_; });
    if (window->isVisible()) {
        // The run ended without the window closing itself (a scripted run): close it now.
        if (modalResult_ == mrNone) modalResult_ = result == mrNone ? int(mrCancel) : result;
        doClose();
    }
    return modalResult_ == mrNone ? result : modalResult_;
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    if (result != mrNone && modalDepth_ > 0) doClose();
}

TWinControl* TForm::ActiveControl() const {
    QWidget* focus = Widget()->focusWidget();
    for (QWidget* w = focus; w != nullptr && w != Widget(); w = w->parentWidget()) {
        const QVariant v = w->property("zvControl");
        if (v.isValid()) {
            auto* c = static_cast<TControl*>(v.value<void*>());
            if (auto* wc = dynamic_cast<TWinControl*>(c)) return wc;
        }
    }
    return nullptr;
}

void TForm::SetActiveControl(TWinControl* control) {
    if (control != nullptr) control->SetFocus();
}

TWindowState TForm::WindowState() const {
    const Qt::WindowStates s = Widget()->windowState();
    if (!Widget()->isVisible()) return pendingState_;
    if (s & Qt::WindowMaximized) return TWindowState::wsMaximized;
    if (s & Qt::WindowMinimized) return TWindowState::wsMinimized;
    // The window manager may not have reported a maximize yet (or may have dropped it
    // while a box held the program): a window over the whole screen is maximized.
    if (coversItsScreen(Widget()->geometry())) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
    pendingState_ = state;
    if (!Widget()->isVisible()) return;
    switch (state) {
        case TWindowState::wsMaximized:
            Widget()->showMaximized();
            break;
        case TWindowState::wsMinimized:
            Widget()->showMinimized();
            break;
        case TWindowState::wsNormal:
            Widget()->showNormal();
            break;
    }
}

void TForm::SetBorderStyle(TBorderStyle style) {
    QWidget* w = Widget();
    Qt::WindowFlags flags = w->windowFlags() & Qt::WindowStaysOnTopHint;
    switch (style) {
        case TBorderStyle::bsSizeable:
            flags |= Qt::Window;
            break;
        case TBorderStyle::bsDialog:
            // Customized hints: a title and a close box, no minimize or maximize box.
            flags |= Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::MSWindowsFixedSizeDialogHint;
            break;
        case TBorderStyle::bsNone:
            flags |= Qt::Window | Qt::FramelessWindowHint;
            break;
        case TBorderStyle::bsToolWindow:
            flags |= Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
            break;
    }
    w->setWindowFlags(flags);
    if (style == TBorderStyle::bsDialog || style == TBorderStyle::bsToolWindow) w->setFixedSize(w->size());
}

void TForm::SetStayOnTop(bool onTop) {
    Widget()->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void TForm::SetClientSize(int width, int height) {
    QWidget* w = Widget();
    if (w->minimumSize() == w->maximumSize())
        w->setFixedSize(width, height);
    else
        w->resize(width, height);
    SetBounds(Left(), Top(), width, height);
}

QRect TForm::Placement() const {
    if (WindowState() != TWindowState::wsNormal && normalPlacement_.isValid()) return normalPlacement_;
    if (!Widget()->isVisible()) return Widget()->geometry();
    return Widget()->normalGeometry().isValid() ? Widget()->normalGeometry() : Widget()->geometry();
}

void TForm::SetPlacement(const QRect& rect) {
    centred_ = true;  // a stored placement wins over centring
    const QRect r = keepTitleBarOnScreen(rect);
    normalPlacement_ = r;
    // A window the user cannot size still takes the size it is given: its fixed size moves
    // with it, so that the border keeps stopping the user alone.
    QWidget* w = Widget();
    if (w->minimumSize() == w->maximumSize()) w->setFixedSize(r.size());
    if (w->isVisible() && WindowState() != TWindowState::wsNormal) return;
    w->setGeometry(r);
}

void TForm::noteNormalPlacement() {
    QWidget* w = Widget();
    if (!w->isVisible() ||
        (w->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    if (coversItsScreen(w->geometry())) return;
    normalPlacement_ = w->geometry();
}

void TForm::SetHelpContext(int context) {
    if (context == std::numeric_limits<int>::min())
        throw EConvertError(QStringLiteral("Help context %1 is out of range").arg(context));
    helpContext_ = context;
}

void TForm::AfterConstruction() {
    if (OnCreate) Dispatch([this] { OnCreate(this); });
}

void TForm::SetMenu(TMainMenu* menu) {
    static_cast<QMainWindow*>(Widget())->setMenuBar(menu != nullptr ? menu->MenuBar() : nullptr);
}

bool TForm::belongsHere(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    return w != nullptr && w->window() == Widget();
}

bool TForm::previewKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !belongsHere(watched)) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    // Only the first delivery counts (Qt offers the event to parents when a child ignores it).
    if (watched != QApplication::focusWidget() && watched != Widget()->focusWidget()) return false;
    int key = VirtualKeyFromQt(k->key());
    if (key == 0) return false;
    if (keyPreview_ && OnKeyDown) {
        TShiftState shift = 0;
        if (k->modifiers() & Qt::ShiftModifier) shift |= ssShift;
        if (k->modifiers() & Qt::AltModifier) shift |= ssAlt;
        if (k->modifiers() & Qt::ControlModifier) shift |= ssCtrl;
        Dispatch([&] { OnKeyDown(this, key, shift); });
        if (key == 0) return true;
    }
    const bool multiLine =
        qobject_cast<QPlainTextEdit*>(watched) != nullptr || qobject_cast<QTextEdit*>(watched) != nullptr;
    if (key == VK_RETURN && defaultButton_ != nullptr && !multiLine && defaultButton_->Enabled() &&
        defaultButton_->Showing()) {
        defaultButton_->Click();
        return true;
    }
    if (key == VK_ESCAPE && cancelButton_ != nullptr && cancelButton_->Enabled()) {
        cancelButton_->Click();
        return true;
    }
    return false;
}
