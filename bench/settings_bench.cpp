// Start-up and end of the program with a large settings hive: start-up is the
// configuration, the main and export windows created and the main window shown (its
// stored values restored); the end is its close (saved) and the captions written back.
//   settings_bench [keys] [runs]   (default 100000 keys, 5 runs)
// Each run is timed with the hive padded to `keys` keys and, alternating with it, with
// the hive a new user has; medians are printed.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "common/Settings.h"
#include "export/Eksport.h"
#include "framework/Application.h"
#include "platform/Registry.h"
#include "workbench/MainWindow.h"

namespace {

struct Times {
    double start = 0;  // until the main window is shown with its stored values
    double end = 0;    // from its close until the settings are written back
};

Times startAndEnd() {
    Times t;
    QElapsedTimer timer;
    timer.start();
    auto* application = new TApplication();
    InitializeConfiguration();
    application->Initialize();
    auto* main = application->CreateForm<TFMain>();
    application->CreateForm<TFEksport>();
    main->Show();
    t.start = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    main->Close();
    application->DestroyComponents();
    FinalizeConfiguration();
    delete application;
    t.end = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return t;
}

// The program keeps the hives it parsed until the next read finds their files changed;
// a new process starts with none. Letting go of them here, outside the timing, keeps
// the next start from paying for freeing this run's hive (a cost the program only has
// at exit, when the process ends).
void forgetHives() {
    for (const auto root : {platform::RootKey::CurrentUser, platform::RootKey::LocalMachine}) {
        const QString file = platform::HiveFileName(root);
        QFile hive(file);
        hive.open(QIODevice::ReadOnly);
        const QByteArray kept = hive.readAll();
        hive.close();
        QFile::remove(file);
        platform::TRegistry(root).KeyExists(QStringLiteral("Software"));  // sees no file: drops it
        QFile back(file);
        back.open(QIODevice::WriteOnly);
        back.write(kept);
    }
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

}  // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir root;
    useScratchHome(root.path());
    BenchApplication bench(argc, argv);

    // The first run writes the settings a new user starts with; the second one moves the
    // window to where the screen lets it stay (an offscreen screen shifts a window as tall
    // as itself), so that the runs measured change nothing and their end writes nothing.
    startAndEnd();
    startAndEnd();
    const QString userHive = platform::HiveFileName(platform::RootKey::CurrentUser);
    QFile in(userHive);
    in.open(QIODevice::ReadOnly);
    const QByteArray fresh = in.readAll();
    in.close();
    const QByteArray large = padded(fresh, keys);

    std::vector<double> smallStart, bigStart, smallEnd, bigEnd;
    for (int run = 0; run < runs; ++run) {
        for (const bool isLarge : {true, false}) {
            QFile out(userHive);
            out.open(QIODevice::WriteOnly | QIODevice::Truncate);
            out.write(isLarge ? large : fresh);
            out.close();
            const Times t = startAndEnd();
            forgetHives();
            (isLarge ? bigStart : smallStart).push_back(t.start);
            (isLarge ? bigEnd : smallEnd).push_back(t.end);
        }
    }
    std::printf("medians of %d runs          new user's hive   hive of %d more keys (%.1f MB)\n", runs, keys,
                static_cast<double>(large.size()) / 1e6);
    std::printf("start-up (main window shown)   %9.1f ms      %9.1f ms   ratio %.2f\n", median(smallStart),
                median(bigStart), median(bigStart) / median(smallStart));
    std::printf("end (settings written back)    %9.1f ms      %9.1f ms   ratio %.2f\n", median(smallEnd),
                median(bigEnd), median(bigEnd) / median(smallEnd));
    return 0;
}
