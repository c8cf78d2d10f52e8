// Runs a script of one-line INSERT statements through the "SQL Scripts" page on
// SQLite and compares it with the sqlite3 command-line shell in autocommit mode on
// the same file; then runs failing scripts of two sizes to show that filling the error
// memo does not slow the run down.
//
//   script_run_bench [statements [folder]]
//
// statements defaults to 100000; the databases and scripts go into a new folder
// under `folder` (default: the system's temporary folder; a tmpfs such as /dev/shm
// leaves out the disk's sync time). Needs sqlite3 on the PATH.
//
// With ZV_BENCH_PG set to a libpq connection string, the INSERT script then runs inside
// a transaction on that PostgreSQL server, each statement under its own savepoint (as
// the program runs it) and without one (as it ran before), in turn, rolled back after
// each run; ZV_BENCH_ROUNDS runs of each (default 5), and their medians.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "db/Aliases.h"
#include "db/PostgresDriver.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "seam/DialogSeam.h"
#include "workbench/MainWindow.h"
#include "workbench/ScriptFile.h"

namespace {

QByteArray insertScript(int statements, const char* table) {
    QByteArray s =
        QByteArray("CREATE TABLE IF NOT EXISTS t (id INTEGER, name VARCHAR(40), amount NUMERIC);\r\n");
    for (int i = 0; i < statements; ++i)
        s += QByteArray("INSERT INTO ") + table + " VALUES (" + QByteArray::number(i) + ", 'name " +
             QByteArray::number(i) + "', " + QByteArray::number(i % 1000) + ".25);\r\n";
    return s;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

double shellSeconds(const QString& db, const QString& script) {
    QProcess p;
    p.setStandardInputFile(script);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {db});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
        std::exit(1);
    }
    return t.nsecsElapsed() / 1e9;
}

// Loads the file into the editor and runs it; returns the run's seconds.
double runSeconds(TFMain* m, const QString& script, bool stopOnError) {
    m->EScript->SetText(script::ReadScriptFile(script));
    m->ChStopOnError->SetChecked(stopOnError);
    QElapsedTimer t;
    t.start();
    m->BExecSQLClick(nullptr);
    return t.nsecsElapsed() / 1e9;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The INSERT script inside a transaction on PostgreSQL, with and without a savepoint
// for each statement, alternating.
void postgresInTransaction(TFMain* m, const QString& script, int n) {
    m->DatabaseName->SetItemIndex(m->DatabaseName->Items().IndexOf(QStringLiteral("PGBENCH")));
    m->BConnectClick(nullptr);
    const int rounds =
        qEnvironmentVariableIsSet("ZV_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("ZV_BENCH_ROUNDS") : 5;
    std::vector<double> with, without;
    for (int r = 0; r < rounds; ++r) {
        for (const bool savepoints : {true, false}) {
            PostgresConnection::SetStatementSavepoints(savepoints);
            m->BStartTransactionClick(nullptr);
            (savepoints ? with : without).push_back(runSeconds(m, script, true));
            if (m->MErrorsAndWarnings->Lines().Count() > 0)
                std::fprintf(stderr, "errors: %s\n", qPrintable(m->MErrorsAndWarnings->Lines()[0]));
            m->BRollbackClick(nullptr);
        }
    }
    PostgresConnection::SetStatementSavepoints(true);
    std::printf("%d one-line INSERT statements inside a transaction, PostgreSQL, %d runs each\n", n, rounds);
    std::printf("  without savepoints:        median %8.3f s  (min %.3f, max %.3f)\n", median(without),
                *std::min_element(without.begin(), without.end()),
                *std::max_element(without.begin(), without.end()));
    std::printf("  a savepoint per statement: median %8.3f s  (min %.3f, max %.3f)  %.2fx\n", median(with),
                *std::min_element(with.begin(), with.end()), *std::max_element(with.begin(), with.end()),
                median(with) / median(without));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/script_run_bench-XXXXXX"));
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
    QApplication qapp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorvantic"));
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;

    const QString ours = dir.path() + "/ours.db";
    const QString shell = dir.path() + "/shell.db";
    writeFile(dir.path() + "/inserts.sql", insertScript(n, "t"));
    writeFile(dir.path() + "/fail_small.sql", insertScript(n / 4, "nowhere"));
    writeFile(dir.path() + "/fail_large.sql", insertScript(n, "nowhere"));
    QDir().mkpath(dir.path() + "/config/zorvantic");
    const QByteArray pg = qgetenv("ZV_BENCH_PG");
    writeFile(AliasFilePath(),
              "[BENCH]\nTYPE=SQLITE\nPATH=" + ours.toUtf8() + "\n" +
                  (pg.isEmpty() ? QByteArray() : "[PGBENCH]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg + "\n"));

    platform::ScriptedDialogs boxes;  // the closing information box answers itself
    platform::SetDialogs(&boxes);
    {
        TApplication app;
        app.SetTitle(QStringLiteral("Zorvantic"));
        TFMain* m = app.CreateForm<TFMain>();
        m->Show();
        m->DatabaseName->SetItemIndex(m->DatabaseName->Items().IndexOf(QStringLiteral("BENCH")));
        m->BConnectClick(nullptr);

        const double shellTime = shellSeconds(shell, dir.path() + "/inserts.sql");
        const double ourTime = runSeconds(m, dir.path() + "/inserts.sql", true);
        std::printf("%d one-line INSERT statements, autocommit, SQLite\n", n);
        std::printf("  sqlite3 shell:  %8.3f s\n", shellTime);
        std::printf("  script runner:  %8.3f s   (%.2fx the shell; errors: %d lines)\n", ourTime,
                    ourTime / shellTime, m->MErrorsAndWarnings->Lines().Count());

        const double small = runSeconds(m, dir.path() + "/fail_small.sql", false);
        const int smallLines = m->MErrorsAndWarnings->Lines().Count();
        const double large = runSeconds(m, dir.path() + "/fail_large.sql", false);
        const int largeLines = m->MErrorsAndWarnings->Lines().Count();
        std::printf("failing statements, stop on error off (each gives an error-memo entry)\n");
        std::printf("  %6d statements: %8.3f s  (%.1f us each, memo %d lines)\n", n / 4, small,
                    small / (n / 4) * 1e6, smallLines);
        std::printf("  %6d statements: %8.3f s  (%.1f us each, memo %d lines)\n", n, large, large / n * 1e6,
                    largeLines);
        if (!pg.isEmpty()) postgresInTransaction(m, dir.path() + "/inserts.sql", n);
    }
    platform::SetDialogs(nullptr);
    return 0;
}
