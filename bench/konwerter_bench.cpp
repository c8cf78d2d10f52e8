// Converts a file through the converter window (its "Konwertuj" button, scan grid and
// animation included) and compares it with `cp` of the same file: once with twelve
// active rules, once with none. Runs alternate; the medians are reported.
//
//   konwerter_bench [megabytes [runs [folder]]]
//
// megabytes defaults to 100, runs to 5; the files go into a new folder under `folder`
// (default: the system's temporary folder).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "seam/DialogSeam.h"
#include "tools/FilenameEdit.h"
#include "tools/Konwerter.h"

namespace {

double cpSeconds(const QString& from, const QString& to) {
    QFile::remove(to);
    QElapsedTimer t;
    t.start();
    if (QProcess::execute(QStringLiteral("cp"), {from, to}) != 0) {
        std::fprintf(stderr, "cp failed\n");
        std::exit(1);
    }
    return t.nsecsElapsed() / 1e9;
}

double convertSeconds(platform::ScriptedDialogs& dialogs, const QString& from, const QString& to) {
    QFile::remove(to);
    FKonwerter->Source->SetText(from);
    FKonwerter->Dest->SetText(to);
    dialogs.clear();
    QElapsedTimer t;
    t.start();
    FKonwerter->BitBtn4->Click();
    const double s = t.nsecsElapsed() / 1e9;
    if (dialogs.boxTexts() != QStringList{QStringLiteral("OK")}) {
        std::fprintf(stderr, "conversion failed: %s\n", qPrintable(dialogs.boxTexts().join(" / ")));
        std::exit(1);
    }
    return s;
}

void setRules(bool active) {
    FKonwerter->BWYczyscClick(nullptr);
    if (!active) return;
    const char* from = "abcdefghijkl";
    const char* to = "bcdefghijklm";  // chained: a..l all end as m
    for (int r = 1; r <= TFKonwerter::kRules; ++r) {
        FKonwerter->ZnakZrodlowy[r]->SetText(QString(QChar(from[r - 1])));
        FKonwerter->ZnakDocelowy[r]->SetText(QString(QChar(to[r - 1])));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 100;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir(argc > 3 ? QString::fromLocal8Bit(argv[3]) + QStringLiteral("/konwerter-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/konwerter-XXXXXX"));
    useScratchHome(dir.path());
    BenchApplication bench(argc, argv);

    const QString source = dir.path() + QStringLiteral("/source.bin");
    {
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        QByteArray chunk(1 << 20, 0);
        quint32 x = 12345;
        for (int m = 0; m < megabytes; ++m) {
            for (auto& c : chunk) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
            f.write(chunk);
        }
    }

    TApplication app;
    app.CreateForm<TForm>();
    app.CreateForm<TFKonwerter>();
    FKonwerter->Show();

    std::vector<double> cp, twelve, none;
    const QString dest = dir.path() + QStringLiteral("/dest.bin");
    for (int i = 0; i < runs; ++i) {
        cp.push_back(cpSeconds(source, dest));
        setRules(true);
        twelve.push_back(convertSeconds(bench.dialogs, source, dest));
        cp.push_back(cpSeconds(source, dest));
        setRules(false);
        none.push_back(convertSeconds(bench.dialogs, source, dest));
    }
    const double c = median(cp);
    std::printf("file: %d MB, %d runs each, medians\n", megabytes, runs);
    std::printf("cp:                  %.3f s\n", c);
    std::printf("twelve active rules: %.3f s  (%.2fx cp, target 3x)\n", median(twelve), median(twelve) / c);
    std::printf("no active rule:      %.3f s  (%.2fx cp, target 2x)\n", median(none), median(none) / c);
    return 0;
}
