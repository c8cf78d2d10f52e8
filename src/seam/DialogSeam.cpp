#include "seam/DialogSeam.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace platform {

namespace {

// Width of a title bar's icon and its minimize, maximize and close buttons.
constexpr int kTitleBarButtons = 120;

// "SQL|*.SQL|TXT|*.TXT" -> "SQL (*.SQL);;TXT (*.TXT)"
QString qtFilter(const QString& filter) {
    if (filter.isEmpty()) return QString();
    const QStringList parts = filter.split(QChar('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + parts[i + 1] + QChar(')');
    return entries.join(QStringLiteral(";;"));
}

}  // namespace

bool ProgramWindowStaysOnTop(const QWidget* except) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == except || !w->isVisible() || w->isMinimized()) continue;
        const Qt::WindowType type = w->windowType();
        if (type == Qt::ToolTip || type == Qt::Popup) continue;
        if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return true;
    }
    return false;
}

QString CaptionOrTitle(const QString& caption) {
    return caption.isEmpty() ? ApplicationTitle() : caption;
}

void PrepareMessageBox(QMessageBox& box, const MessageBoxRequest& r) {
    const QString caption = CaptionOrTitle(r.caption);
    box.setWindowTitle(caption);
    // The text is shown as it stands: a message holding "<b>" or an SQL text with
    // tags must not be taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(r.text);
    switch (r.icon) {
        case BoxIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case BoxIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case BoxIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case BoxIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case BoxIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (r.buttons) {
        case BoxButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case BoxButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case BoxButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    if (r.defaultAnswer == IDYES) box.setDefaultButton(QMessageBox::Yes);
    if (r.defaultAnswer == IDNO) box.setDefaultButton(QMessageBox::No);
    // Task-modal and application-modal are the same here: every window waits.
    box.setWindowModality(Qt::ApplicationModal);
    // A short text ("OK !") must not make the box narrower than its title: room for the
    // caption and the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth =
            QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(caption);
        grid->addItem(
            new QSpacerItem(titleWidth + kTitleBarButtons, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
}

namespace {

// The window a box belongs to: the one the user works in (a modal window first), so
// that the box comes up centred over it.
QWidget* boxOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// A box or dialog comes up above every window of the program, whichever raised it: with
// a window that stays on top in sight, it stays on top as well.
void keepAboveTheProgram(QWidget& dialog) {
    dialog.setWindowModality(Qt::ApplicationModal);
    if (ProgramWindowStaysOnTop(&dialog)) dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
}

class QtDialogs : public DialogProvider {
  public:
    int messageBox(const MessageBoxRequest& r) override {
        QMessageBox box(boxOwner());
        PrepareMessageBox(box, r);
        keepAboveTheProgram(box);
        switch (box.exec()) {
            case QMessageBox::Yes:
                return IDYES;
            case QMessageBox::No:
                return IDNO;
            case QMessageBox::Cancel:
                return IDCANCEL;
            default:
                return r.buttons == BoxButtons::Ok ? IDOK : IDCANCEL;
        }
    }

    std::optional<QString> openFile(const FileDialogRequest& r) override {
        QFileDialog dialog(boxOwner(), r.title, startOf(r), qtFilter(r.filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return runFileDialog(dialog);
    }

    std::optional<QString> saveFile(const FileDialogRequest& r) override {
        QFileDialog dialog(boxOwner(), r.title, startOf(r), qtFilter(r.filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(r.defaultExtension);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
        return runFileDialog(dialog);
    }

    std::optional<QFont> chooseFont(const QFont& initial) override {
        QFontDialog dialog(initial, boxOwner());
        keepAboveTheProgram(dialog);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.selectedFont();
    }

    std::optional<QString> inputText(const InputRequest& r) override {
        QInputDialog dialog(boxOwner());
        dialog.setWindowTitle(CaptionOrTitle(r.caption));
        dialog.setLabelText(r.prompt);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setTextValue(r.defaultValue);
        keepAboveTheProgram(dialog);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.textValue();
    }

    int runModal(QWidget* form, const QString&, const std::function<int()>& modalResult) override {
        QPointer<QWidget> guard(form);
        if (!form->isVisible()) form->show();
        QEventLoop loop;
        // The loop ends as soon as the form is hidden or destroyed.
        while (guard && guard->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
        return modalResult ? modalResult() : 0;
    }

  private:
    static QString startOf(const FileDialogRequest& r) {
        return r.fileName.isEmpty() ? QString() : MapPath(r.fileName);
    }

    static std::optional<QString> runFileDialog(QFileDialog& dialog) {
        keepAboveTheProgram(dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

QtDialogs& qtDialogs() {
    static QtDialogs instance;
    return instance;
}

DialogProvider*& current() {
    static DialogProvider* provider = nullptr;
    return provider;
}

DialogProvider& installed() {
    return current() != nullptr ? *current() : qtDialogs();
}

// While long work shows the busy cursor, a box or dialog shows the ordinary arrow: the
// program waits for the user there, not the other way round.
class ArrowWhileAsking {
  public:
    ArrowWhileAsking() : busy_(QGuiApplication::overrideCursor() != nullptr) {
        if (busy_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking() {
        if (busy_) QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

  private:
    bool busy_;
};

// Every request goes to the installed provider with the arrow cursor up.
class AskingDialogs : public DialogProvider {
  public:
    int messageBox(const MessageBoxRequest& request) override {
        const ArrowWhileAsking arrow;
        return installed().messageBox(request);
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        const ArrowWhileAsking arrow;
        return installed().openFile(request);
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        const ArrowWhileAsking arrow;
        return installed().saveFile(request);
    }
    std::optional<QFont> chooseFont(const QFont& initial) override {
        const ArrowWhileAsking arrow;
        return installed().chooseFont(initial);
    }
    std::optional<QString> inputText(const InputRequest& request) override {
        const ArrowWhileAsking arrow;
        return installed().inputText(request);
    }
    int runModal(QWidget* form, const QString& formName, const std::function<int()>& modalResult) override {
        const ArrowWhileAsking arrow;
        return installed().runModal(form, formName, modalResult);
    }
    void showModeless(QWidget* dialog, const QString& title) override {
        installed().showModeless(dialog, title);
    }
};

}  // namespace

DialogProvider& Dialogs() {
    static AskingDialogs asking;
    return asking;
}

void SetDialogs(DialogProvider* provider) {
    current() = provider;
}

// ---- ScriptedDialogs -------------------------------------------------------

namespace {

// The next scripted answer, or none (the dialog is cancelled) when the queue is empty.
template <class T>
std::optional<T> popAnswer(std::vector<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> answer = std::move(queue.front());
    queue.erase(queue.begin());
    return answer;
}

}  // namespace

int ScriptedDialogs::messageBox(const MessageBoxRequest& request) {
    records.push_back(
        {DialogRecord::MessageBox, request.text, request.caption, request.icon, request.buttons});
    boxes.push_back(request);
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    return request.defaultAnswer;
}

std::optional<QString> ScriptedDialogs::openFile(const FileDialogRequest& request) {
    records.push_back({DialogRecord::OpenFile, request.fileName, request.title});
    return popAnswer(fileAnswers);
}

std::optional<QString> ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    records.push_back({DialogRecord::SaveFile, request.fileName, request.title});
    return popAnswer(fileAnswers);
}

std::optional<QFont> ScriptedDialogs::chooseFont(const QFont& initial) {
    records.push_back({DialogRecord::Font, initial.family(), QString()});
    return popAnswer(fontAnswers);
}

std::optional<QString> ScriptedDialogs::inputText(const InputRequest& request) {
    records.push_back({DialogRecord::Input, request.prompt, request.caption});
    return popAnswer(inputAnswers);
}

int ScriptedDialogs::runModal(QWidget* form, const QString& formName,
                              const std::function<int()>& modalResult) {
    records.push_back({DialogRecord::ModalForm, formName, QString()});
    if (!onModal) return 2;
    return onModal(form, formName);
}

void DialogProvider::showModeless(QWidget* dialog, const QString&) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ScriptedDialogs::showModeless(QWidget* dialog, const QString& title) {
    records.push_back({DialogRecord::Replace, QString(), title});
    dialog->show();
}

QStringList ScriptedDialogs::boxTexts() const {
    QStringList r;
    for (const auto& b : boxes) r << b.text;
    return r;
}

void ScriptedDialogs::clear() {
    records.clear();
    boxes.clear();
    answers.clear();
    fileAnswers.clear();
    fontAnswers.clear();
    inputAnswers.clear();
    onModal = nullptr;
}

}  // namespace platform
