#pragma once

#include <QMainWindow>
#include <functional>
#include <vector>

#include "framework/Controls.h"

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TPosition { poDesigned, poScreenCenter };
enum class TBorderStyle { bsSizeable, bsDialog, bsNone, bsToolWindow };

enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

class TButton;
class TMainMenu;
class TForm;

namespace framework_detail {
// The top-level widget of a form; it hands close requests to its form.
class FormWidget : public QMainWindow {
  public:
    explicit FormWidget(TForm* form) : form_(form) {}
    void Detach() { form_ = nullptr; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    TForm* form_;
};
}  // namespace framework_detail

// A window. Its controls are components it owns; its handlers run through Dispatch.
class TForm : public TWinControl {
  public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    QWidget* ClientWidget() const override { return client_; }

    QString Caption() const override;
    void SetCaption(const QString& caption) override;

    // Shows the window (running the show hooks and OnShow when it goes from hidden to
    // shown) and brings it to the front.
    void Show();
    void Hide();
    bool Visible() const;
    // Asks the window to close: close hooks, OnCloseQuery, OnClose; then hides it (or,
    // for the application's main form, ends the program).
    void Close();
    // Runs the window modally through the dialog seam: every other window of the program
    // takes no input until it closes. Returns its modal result. A visible window cannot
    // be made modal.
    int ShowModal();
    bool IsModal() const { return modalDepth_ > 0; }
    int ModalResult() const { return modalResult_; }
    // Setting a result other than mrNone on a modal window closes it.
    void SetModalResult(int result);

    TWinControl* ActiveControl() const;
    void SetActiveControl(TWinControl* control);

    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    void SetPosition(TPosition position) { position_ = position; }
    void SetBorderStyle(TBorderStyle style);
    void SetStayOnTop(bool onTop);
    void SetClientSize(int width, int height);
    // Normal (not maximized) placement of the window on the screen.
    QRect Placement() const;
    // Places the window, moved (and shrunk) so far as needed to keep its title bar on a screen.
    void SetPlacement(const QRect& rect);

    QString HelpFile() const { return helpFile_; }
    void SetHelpFile(const QString& file) { helpFile_ = file; }
    int HelpContext() const { return helpContext_; }
    // The help context range leaves out the lowest 32-bit number.
    void SetHelpContext(int context);

    void SetMenu(TMainMenu* menu);
    // Enter in a control that does not use Enter itself presses the default button; Esc the cancel one.
    void SetDefaultButton(TButton* button) { defaultButton_ = button; }
    void SetCancelButton(TButton* button) { cancelButton_ = button; }

    // Hooks of components that keep the window's state (form storage): run before OnShow
    // when the window goes from hidden to shown, and first thing when it is asked to close.
    void AddShowHook(std::function<void()> hook) { showHooks_.push_back(std::move(hook)); }
    void AddCloseHook(std::function<void()> hook) { closeHooks_.push_back(std::move(hook)); }
    // Run when the window is destroyed, while all its controls still exist.
    void AddDestroyHook(std::function<void()> hook) { destroyHooks_.push_back(std::move(hook)); }

    // Runs OnCreate once the window and all its components exist (the application's
    // CreateForm calls it after construction).
    void AfterConstruction();

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    std::function<void(TObject* sender, bool& canClose)> OnCloseQuery;
    std::function<void(TObject* sender, TCloseAction& action)> OnClose;

  private:
    friend class framework_detail::FormWidget;
    bool previewKey(QObject* watched, QEvent* event);
    bool belongsHere(QObject* watched) const;
    bool doClose();  // true when the window closed
    void noteNormalPlacement();

    // The last placement the window had, or was given, while normal: a window shown
    // maximized keeps it although it was first laid over the whole screen.
    QRect normalPlacement_;
    QString helpFile_;
    int helpContext_ = 0;
    QWidget* client_ = nullptr;
    QObject* keyHook_ = nullptr;
    bool keyPreview_ = false;
    bool centred_ = false;
    int modalDepth_ = 0;
    int modalResult_ = mrNone;
    TPosition position_ = TPosition::poDesigned;
    TWindowState pendingState_ = TWindowState::wsNormal;
    TButton* defaultButton_ = nullptr;
    TButton* cancelButton_ = nullptr;
    std::vector<std::function<void()>> showHooks_;
    std::vector<std::function<void()>> closeHooks_;
    std::vector<std::function<void()>> destroyHooks_;
};
