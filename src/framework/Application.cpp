#include "framework/Application.h"

#include <QApplication>
#include <QTimer>

#include "framework/Dispatch.h"
#include "platform/Files.h"
#include "rtl/Exception.h"
#include "seam/DialogSeam.h"

namespace {
TApplication* g_application = nullptr;

// Ends the main loop, but never from inside a modal box's own loop. Only a request of the
// application still alive, and only while its main loop runs: QCoreApplication::exit with
// no main loop to end makes every later modal loop return at once, so a box that came
// after the request (a later parameter of an unattended run, an error at the end) would
// never be seen.
void exitWhenIdle() {
    if (g_application == nullptr || !g_application->Terminated() || !g_application->Running()) return;
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(50, qApp, exitWhenIdle);
        return;
    }
    QCoreApplication::exit(0);
}

// A trailing full stop is added to a message that ends in a letter or digit, as the
// error boxes always showed them.
QString withFullStop(QString text) {
    if (!text.isEmpty() && text.back().unicode() > '.') text += QChar('.');
    return text;
}

QString currentTitle() {
    return g_application != nullptr ? g_application->Title() : platform::ApplicationTitle();
}

void showBox(const QString& text, platform::BoxIcon icon) {
    platform::MessageBoxRequest request;
    request.text = text;
    request.caption = currentTitle();
    request.icon = icon;
    request.buttons = platform::BoxButtons::Ok;
    platform::Dialogs().messageBox(request);
}

// The default error box, titled with the application title.
void showErrorBox(const std::exception& e) {
    const auto* ex = dynamic_cast<const Exception*>(&e);
    showBox(withFullStop(ex != nullptr ? ex->Message() : QString::fromUtf8(e.what())),
            platform::BoxIcon::Error);
}
}  // namespace

TApplication* Application() {
    return g_application;
}

TApplication::TApplication() : title_(platform::ApplicationTitle()) {
    g_application = this;
}

TApplication::~TApplication() {
    DestroyComponents();
    if (g_application == this) g_application = nullptr;
}

void TApplication::Run() {
    if (mainForm_ != nullptr && !terminated_) Dispatch([this] { mainForm_->Show(); });
    if (terminated_) {
        // Ended while the main window came up (an unattended run): the end request comes
        // before the window's first paint, so a window about to go is never drawn. Events
        // the handlers posted are still delivered.
        QCoreApplication::sendPostedEvents();
        return;
    }
    if (mainForm_ != nullptr && mainForm_->Visible()) {
        running_ = true;
        QApplication::exec();
        running_ = false;
    }
    QApplication::processEvents();
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    // Served by the main loop once the handlers on the stack have returned.
    QTimer::singleShot(0, qApp, exitWhenIdle);
}

void TApplication::ProcessMessages() {
    QApplication::processEvents();
}

void TApplication::MainFormClosed() {
    Terminate();
}

void TApplication::HandleException(const std::exception& e) {
    showErrorBox(e);
}

void ShowMessage(const QString& text) {
    showBox(text, platform::BoxIcon::None);
}

void Dispatch(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        if (g_application != nullptr)
            g_application->HandleException(e);
        else
            showErrorBox(e);
    }
}
