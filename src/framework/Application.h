#pragma once

#include <QString>
#include <exception>

#include "framework/Forms.h"

// The application object: title, main form, the windows it owns (destroyed most recent
// first), the message loop and the posted end request.
class TApplication : public TComponent {
  public:
    TApplication();
    ~TApplication() override;

    // The title: the executable's name as the program calls itself ("Zorvantic").
    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    TForm* MainForm() const { return mainForm_; }
    // Creates a window owned by the application; the first one becomes the main form.
    template <class T>
    T* CreateForm() {
        T* form = new T(this);
        if (mainForm_ == nullptr) mainForm_ = form;
        form->AfterConstruction();
        return form;
    }
    // For windows created directly (the splash): owned, never the main form.
    void Initialize() {}

    // Shows the main form and runs the message loop until the main form closes or an
    // end request is served.
    void Run();
    // Posts the end request: the current handler and its callers finish first; the
    // program stops when the message loop next runs.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // The message loop of Run is running.
    bool Running() const { return running_; }
    // The program's exit status (0 unless a run without a user set another).
    int ExitCode() const { return exitCode_; }
    void SetExitCode(int code) { exitCode_ = code; }
    void ProcessMessages();

    // The default error box for an error no handler caught.
    void HandleException(const std::exception& e);

    // The main form is going away (its window was freed or the program ends).
    void MainFormClosed();

  private:
    QString title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool running_ = false;
    int exitCode_ = 0;
};

// The application object of the run (nullptr before one exists).
TApplication* Application();

// The framework's plain box: the text, one OK button, no icon, the title as caption.
void ShowMessage(const QString& text);
