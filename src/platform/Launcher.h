#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Starting other programs, detached and without a shell: a file name with blanks or
// quotes reaches the program as one argument.
namespace platform {

// Show-window codes the callers pass (kept for their meaning; a desktop window
// manager decides how the started program's window appears).
enum ShowCommand { SW_SHOW = 5, SW_SHOWMAXIMIZED = 3 };

struct ProcessRequest {
    QString program;
    QStringList arguments;
    QString workingFolder;  // local path; empty: inherit ours
};

// Starts a program without waiting for it; false when it could not be started. A
// runner that knows why raises EInOutError whose message is the reason.
using CommandRunner = std::function<bool(const ProcessRequest&)>;

// Installs the runner (tests record instead of starting); an empty one restores
// the real one.
void SetCommandRunner(CommandRunner runner);

// "NotePad.exe" (any letter case, with or without folder) opens the file named by
// `params` with the desktop's default application (xdg-open). Any other program is
// started with `params` as its one argument, in the folder `dir` when it is not
// empty. Names are in Windows form and mapped with MapPath. A launch that fails (a
// file that does not exist, no program set up to open it, a program that cannot be
// started) raises EInOutError naming the file or program and the reason.
void ShellExecute(const QString& program, const QString& params, const QString& dir, int showCmd);

}  // namespace platform
