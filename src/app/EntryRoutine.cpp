#include "app/EntryRoutine.h"

#include <QApplication>

#include "app/Intro.h"
#include "common/Info.h"
#include "common/Settings.h"
#include "export/Eksport.h"
#include "framework/Application.h"
#include "platform/ProgramArguments.h"
#include "tools/CharASCI.h"
#include "tools/CreateSimpleData.h"
#include "tools/Konwerter.h"
#include "workbench/MainWindow.h"
#include "workbench/MemoToolbar.h"

void CreateLongLivedWindows(TApplication& application) {
    application.CreateForm<TFMain>();
    application.CreateForm<TFEksport>();
    application.CreateForm<TFMemoToolbar>();
    application.CreateForm<TFInfo>();
    application.CreateForm<TFKonwerter>();
    application.CreateForm<TFCharASCI>();
    application.CreateForm<TFCreateSimpleData>();
}

int RunZorvantic(int argc, char** argv) {
    QApplication qt(argc, argv);
    // What Qt left of the arguments is the command line; a password in it is hidden there.
    platform::KeepProgramArguments(argc, argv);
    auto* application = new TApplication();

    // 1. Configuration before any window: its boxes have no owner window.
    InitializeConfiguration();

    // 2, 3. The splash, created directly so that it never becomes the main form, and
    // painted at once: the message loop does not run until the windows exist.
    auto* intro = new TFIntro(application);
    FIntro = intro;
    intro->Show();
    intro->Repaint();
    QApplication::processEvents();

    // 4, 5. The long-lived windows, the main window first.
    application->Initialize();
    CreateLongLivedWindows(*application);

    // 6. The message loop, until the main window closes or an end request is served.
    application->Run();

    // 7. Windows go most recent first; then the captions are written back.
    application->DestroyComponents();
    FIntro = nullptr;
    FinalizeConfiguration();
    const int exitCode = application->ExitCode();
    delete application;
    platform::KeepProgramArguments(0, nullptr);
    return exitCode;
}
