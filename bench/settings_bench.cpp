// Start-up and end of the program with a large settings hive: the configuration, the
// main and export windows created, the main window shown (its stored values restored)
// and closed (saved), and the captions written back at the end.
//   settings_bench [keys] [runs]   (default 100000 keys, 5 runs)
// Each run is timed with the hive padded to `keys` keys and, alternating with it, with
// the hive a new user has; medians are printed.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/Settings.h"
#include "export/Eksport.h"
#include "framework/Application.h"
#include "platform/Registry.h"
#include "seam/DialogSeam.h"
#include "workbench/MainWindow.h"

namespace {

double startAndEnd() {
    QElapsedTimer timer;
    timer.start();
    auto* application = new TApplication();
    InitializeConfiguration();
    application->Initialize();
    auto* main = application->CreateForm<TFMain>();
    application->CreateForm<TFEksport>();
    main->Show();
    main->Close();
    application->DestroyComponents();
    FinalizeConfiguration();
    delete application;
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The user's hive with `keys` more keys of three values each, as years of stored
// queries and other programs' settings would leave it.
QByteArray padded(const QByteArray& hive, int keys) {
    QByteArray out = hive;
    out.reserve(hive.size() + keys * 120);
    for (int i = 0; i < keys; ++i) {
        out += "[HKEY_CURRENT_USER\\Software\\Other\\Key" + QByteArray::number(i) + "]\n";
        out +=
            "\"Name\"=\"value " + QByteArray::number(i) + "\"\n\"Size\"=dword:0000002a\n\"Text\"=\"x\"\n\n";
    }
    return out;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir root;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) qputenv(var, root.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorvantic"));
    platform::ScriptedDialogs dialogs;
    platform::SetDialogs(&dialogs);

    startAndEnd();  // the first run writes the settings a new user starts with
    const QString userHive = platform::HiveFileName(platform::RootKey::CurrentUser);
    QFile in(userHive);
    in.open(QIODevice::ReadOnly);
    const QByteArray fresh = in.readAll();
    in.close();
    const QByteArray large = padded(fresh, keys);

    std::vector<double> small, big;
    for (int run = 0; run < runs; ++run) {
        for (const bool isLarge : {true, false}) {
            QFile out(userHive);
            out.open(QIODevice::WriteOnly | QIODevice::Truncate);
            out.write(isLarge ? large : fresh);
            out.close();
            (isLarge ? big : small).push_back(startAndEnd());
        }
    }
    std::printf("start-up and end, new user's hive        %9.1f ms (median of %d)\n", median(small), runs);
    std::printf("start-up and end, hive of %6d more keys %9.1f ms (median of %d, %.1f MB)\n", keys,
                median(big), runs, static_cast<double>(large.size()) / 1e6);
    std::printf("ratio                                    %9.2f\n", median(big) / median(small));
    return 0;
}
