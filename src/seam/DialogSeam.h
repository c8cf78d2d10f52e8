#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QMessageBox;
class QWidget;

// Every modal box and dialog of the program goes through this one seam, so that
// tests can script the answers and see what was shown. The real implementation
// shows Qt dialogs; ScriptedDialogs (tests) records and answers from a queue.
namespace platform {

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, YesNo, YesNoCancel };

// Answers, with the Windows values the callers compare against.
enum BoxAnswer { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
    QString text;
    QString caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    int defaultAnswer = IDOK;
    bool taskModal = true;  // every window of the program disabled meanwhile
};

struct FileDialogRequest {
    QString title;
    QString fileName;          // Windows form, as shown to the user
    QString filter;            // "SQL|*.SQL|TXT|*.TXT" pairs of display text and pattern
    QString defaultExtension;  // without the dot
    bool confirmOverwrite = false;
};

struct InputRequest {
    QString caption;
    QString prompt;
    QString defaultValue;
};

// What a scripted or real dialog was asked, for the record of a test.
struct DialogRecord {
    enum Kind { MessageBox, OpenFile, SaveFile, Font, Input, ModalForm, Replace } kind;
    QString text;     // message text, file name, prompt or form name
    QString caption;  // box caption or dialog title
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
};

class DialogProvider {
  public:
    virtual ~DialogProvider() = default;
    virtual int messageBox(const MessageBoxRequest& request) = 0;
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    virtual std::optional<QString> inputText(const InputRequest& request) = 0;
    // Runs `form` (made modal by its caller before it was shown) until it hides; returns
    // the modal result the form set. `modalResult` reads the form's result after the run.
    virtual int runModal(QWidget* form, const QString& formName, const std::function<int()>& modalResult) = 0;
    // Shows a modeless dialog (the find-and-replace dialog) and returns at once; the
    // dialog stays up until the user closes it.
    virtual void showModeless(QWidget* dialog, const QString& title);
};

// Caption, text (plain, never markup), icon, buttons, default button and modality of
// the real box for a request.
void PrepareMessageBox(QMessageBox& box, const MessageBoxRequest& request);

// Whether a visible window of the program other than `except` stays on top of the others:
// a modal box or window must then stay on top as well to come up above it.
bool ProgramWindowStaysOnTop(const QWidget* except);

// The program's own title ("Zorvantic") for a box given no caption, so that the
// window manager never falls back on the executable's name.
QString CaptionOrTitle(const QString& caption);

// The provider in force (the Qt one unless a test installed another).
DialogProvider& Dialogs();
// Installs a provider (not owned); nullptr restores the Qt one.
void SetDialogs(DialogProvider* provider);

// Scripted provider for tests: records every request; answers from queues, and with a
// default when a queue is empty (the box's default answer, cancel for file dialogs).
class ScriptedDialogs : public DialogProvider {
  public:
    int messageBox(const MessageBoxRequest& request) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<QString> inputText(const InputRequest& request) override;
    int runModal(QWidget* form, const QString& formName, const std::function<int()>& modalResult) override;
    // Records the dialog (kind Replace) and shows it, so that a test can use its controls.
    void showModeless(QWidget* dialog, const QString& title) override;

    std::vector<DialogRecord> records;
    std::vector<MessageBoxRequest> boxes;             // full requests of the message boxes shown
    std::vector<int> answers;                         // next message-box answers, front first
    std::vector<std::optional<QString>> fileAnswers;  // next open/save answers
    std::vector<std::optional<QFont>> fontAnswers;
    std::vector<std::optional<QString>> inputAnswers;
    // Called with the form while it "runs modally"; it may interact and must not block.
    // Returns the modal result; without it a modal run ends at once with 2 (cancel).
    std::function<int(QWidget* form, const QString& formName)> onModal;

    // Texts of the message boxes shown so far.
    QStringList boxTexts() const;
    void clear();
};

}  // namespace platform
