// Start-up with a long alias file: from the configuration to the main window shown with
// its alias box filled, for a file of many aliases against the one a new user gets.
//   aliases_bench [runs]   (default 5 runs, files of 10,000 and 100,000 aliases)
// The runs alternate between the sizes; medians are printed, with the box's item count.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "common/Settings.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

namespace {

struct Run {
    double ms = 0;
    int listed = 0;
};

Run startUp() {
    Run r;
    QElapsedTimer timer;
    timer.start();
    auto* application = new TApplication();
    InitializeConfiguration();
    application->Initialize();
    auto* main = application->CreateForm<TFMain>();
    main->Show();
    r.ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    r.listed = main->DatabaseName->Items().Count();
    main->Close();
    application->DestroyComponents();
    FinalizeConfiguration();
    delete application;
    return r;
}

// `count` aliases of the two kinds, about 50 bytes each, as a long-kept file has them.
QByteArray aliasFile(int count) {
    QByteArray out;
    out.reserve(count * 60);
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (i % 2)
            out += "[DB" + n + "]\nTYPE=SQLITE\nPATH=c:\\db\\d" + n + ".db\n\n";
        else
            out += "[PG" + n + "]\nTYPE=POSTGRESQL\nSERVER NAME=dbname=s" + n + "\n\n";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir root;
    useScratchHome(root.path());
    BenchApplication bench(argc, argv);
    startUp();  // the first run writes the settings and the alias file a new user starts with
    QFile in(AliasFilePath());
    in.open(QIODevice::ReadOnly);
    const QByteArray fresh = in.readAll();
    in.close();

    const std::vector<int> sizes = {0, 10000, 100000};
    std::map<int, QByteArray> files;
    for (const int n : sizes) files[n] = n == 0 ? fresh : aliasFile(n);
    std::map<int, std::vector<double>> times;
    std::map<int, int> listed;
    for (int run = 0; run < runs; ++run) {
        for (const int n : sizes) {
            writeAliases(files[n]);
            const Run r = startUp();
            times[n].push_back(r.ms);
            listed[n] = r.listed;
        }
    }
    std::printf("medians of %d runs, to the main window shown with its alias box filled\n", runs);
    for (const int n : sizes)
        std::printf("%-22s %6.1f MB  %7d listed  %9.1f ms  ratio %.2f\n",
                    n == 0 ? "new user's file" : qPrintable(QStringLiteral("%1 aliases").arg(n)),
                    static_cast<double>(files[n].size()) / 1e6, listed[n], median(times[n]),
                    median(times[n]) / median(times[0]));
    return 0;
}
