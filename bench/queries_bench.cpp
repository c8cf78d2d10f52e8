// How long Enter in a one-line query field takes on a long result, how long the
// column-title list walk takes up to its question and to the end, and the record count
// of the grid's result against a walk of the data-access layer alone.
//   queries_bench [rows]   (default 1000000; SQLite file in a temporary folder)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "db/Database.h"
#include "db/Query.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/StdCtrls.h"
#include "seam/DialogSeam.h"
#include "workbench/MainWindow.h"

namespace {

void report(const char* what, const QElapsedTimer& timer) {
    std::printf("%-44s %9.1f ms\n", what, static_cast<double>(timer.nsecsElapsed()) / 1e6);
}

// Resident memory of the process in MiB.
double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    QTemporaryDir root;
    useScratchHome(root.path());
    BenchApplication bench(argc, argv);

    if (!writeAliases("[TEST]\nTYPE=SQLITE\nPATH=" + (root.path() + "/bench.db").toUtf8() + "\n")) return 1;

    {
        TComponent owner;
        auto* seed = new TDatabase(&owner);
        seed->SetDatabaseName(QStringLiteral("SEED"));
        seed->SetAliasName(QStringLiteral("TEST"));
        seed->Open();
        TQuery q;
        q.SetDatabaseName(QStringLiteral("SEED"));
        q.SQL().Add(QStringLiteral("CREATE TABLE big (id INTEGER, name VARCHAR(20))"));
        q.ExecSQL();
        q.SQL().Clear();
        q.SQL().Add(
            QStringLiteral("WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < %1) "
                           "INSERT INTO big SELECT g, 'name ' || g FROM s")
                .arg(rows));
        q.ExecSQL();
    }

    TApplication app;
    TFMain* m = app.CreateForm<TFMain>();
    m->Show();
    m->DatabaseName->SetItemIndex(m->DatabaseName->Items().IndexOf(QStringLiteral("TEST")));
    m->BConnectClick(m);
    m->FSkipHint = true;
    m->SQL1->SetText(QStringLiteral("SELECT id, name FROM big"));
    m->SQL1->SetFocus();

    QElapsedTimer timer;
    timer.start();
    m->BWykonajClick(m->BWykonaj);
    QApplication::processEvents();
    report("Enter: first rows in the grid", timer);
    std::printf("%-44s %9d\n", "rows fetched so far", m->MainQuery->FetchedCount());

    m->AfterClickInColumn->SetItemIndex(2);
    m->ObtainInExpression->SetItemIndex(0);
    bench.dialogs.answers = {platform::IDNO};
    timer.restart();
    m->GridTitleClick(m->Grid->Columns(0));
    report("title click, answer No (walk ends on last)", timer);

    m->MainQuery->Close();
    m->MainQuery->Open();
    bench.dialogs.answers = {platform::IDYES};
    timer.restart();
    m->GridTitleClick(m->Grid->Columns(0));
    report("title click, answer Yes (every value)", timer);

    // Record count (the "Queries" grid attached) against the data layer's own walk of the
    // same statement, alternating, each from a freshly opened result.
    TQuery walk;
    walk.SetDatabaseName(QStringLiteral("X"));
    walk.SQL().Add(QStringLiteral("SELECT id, name FROM big"));
    std::vector<double> countMs, walkMs, countMiB, walkMiB;
    for (int run = 0; run < 5; ++run) {
        m->MainQuery->Close();
        m->MainQuery->Open();
        double before = residentMiB();
        timer.restart();
        m->ZliczajClick(m);
        countMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        countMiB.push_back(residentMiB() - before);
        if (m->StatusBar->PanelText(0) != QString::number(rows)) std::printf("wrong count!\n");
        m->MainQuery->Close();

        walk.Open();
        before = residentMiB();
        timer.restart();
        long n = 0;
        for (walk.First(); !walk.Eof(); walk.Next()) ++n;
        walkMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        walkMiB.push_back(residentMiB() - before);
        if (n != rows) std::printf("wrong walk!\n");
        walk.Close();
    }
    std::printf("%-44s %9.1f ms  (+%.0f MiB)\n", "record count, median of 5", median(countMs),
                median(countMiB));
    std::printf("%-44s %9.1f ms  (+%.0f MiB)\n", "data-layer walk, median of 5", median(walkMs),
                median(walkMiB));
    std::printf("%-44s %9.2f\n", "count / walk", median(countMs) / median(walkMs));
    return 0;
}
