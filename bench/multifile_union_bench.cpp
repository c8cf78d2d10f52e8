// The multi-file export of 1,000,000 rows into 1,000 files beside the text export of
// the same rows and columns, and the super union of 100 tables of 10,000 rows beside
// the sqlite3 shell writing the same rows as CSV. Both windows run through their Export
// handlers (status bar and panel included). Runs alternate; medians of several runs.
//
//   multifile_union_bench [rows] [runs]
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "BenchExport.h"
#include "BenchProcess.h"
#include "db/Catalog.h"
#include "db/Database.h"
#include "export/MultiFileEksport.h"
#include "export/SuperUnion.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"

namespace {

// CPU time (user and system) of this process or of its waited-for children, in ms:
// less disturbed than wall time on a busy machine.
double cpuMsOf(int who) {
    rusage u{};
    getrusage(who, &u);
    return cpuMs(u);
}

struct Times {
    std::vector<double> wall, cpu;
    template <class F>
    void measure(int who, F&& f) {
        const double c0 = cpuMsOf(who);
        const auto t0 = Clock::now();
        f();
        wall.push_back(msSince(t0));
        cpu.push_back(cpuMsOf(who) - c0);
    }
};

void multiFileExport(const QString& base) {
    auto* f = Application()->CreateForm<TFMultiFileEksport>();
    f->EGROUP->SetText("CODE");
    f->EFILE->SetText("FNAME");
    f->EFOLDER->SetText("DIR");
    f->EOrphColumns->SetText("2");
    f->EPath->SetText(base + "/");
    f->SQL->Lines().Assign(
        QStringList{"SELECT id, name, amount, day, code, fname, dir FROM big ORDER BY id"});
    f->Show();
    f->BRefreshClick(f);
    f->BExportClick(f);
    delete f;
}

void superUnion(const QStringList& tables) {
    auto* f = Application()->CreateForm<TFSuperUnion>();
    f->TableItems->SetDatabaseName("X");
    f->Query->SetDatabaseName("X");
    f->MTables->Lines().Assign(tables);
    f->BRefreshClick(f);
    f->Show();
    f->BExportClick(f);
    delete f;
}

qint64 folderBytes(const QString& path, int& files) {
    qint64 total = 0;
    for (const QFileInfo& i : QDir(path).entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        if (i.isDir()) {
            total += folderBytes(i.filePath(), files);
        } else {
            total += i.size();
            ++files;
        }
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir(QDir::tempPath() + "/zvmultibench-XXXXXX");
    const QString root = dir.path();
    useScratchHome(root);
    QDir::setCurrent(root);
    BenchApplication bench(argc, argv);  // the final message boxes answer themselves

    const QString dbFile = root + "/bench.db";
    if (!writeAliases("[BENCH]\nTYPE=SQLITE\nPATH=" + dbFile.toUtf8() + "\n")) return 1;

    std::printf("building %ld rows and 100 tables of 10,000 rows...\n", rows);
    std::string create =
        "CREATE TABLE big (id INTEGER, name VARCHAR(40), amount DECIMAL(12,2), day DATE, code VARCHAR(10), "
        "fname VARCHAR(20), dir VARCHAR(10));"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(rows - 1) +
        ") INSERT INTO big SELECT i, 'Zażółć O''Brien ' || i, round(i * 1.37, 2), "
        "date('2000-01-01', '+' || (i % 9000) || ' days'), printf('G%04d', i * 1000 / " +
        std::to_string(rows) + "), printf('G%04d.txt', i * 1000 / " + std::to_string(rows) +
        "), printf('F%02d', i * 1000 / " + std::to_string(rows) + " / 100) FROM n;";
    std::string unionSql;
    QStringList tables;
    for (int t = 1; t <= 100; ++t) {
        const std::string name = "t" + std::to_string(t);
        tables << QString::fromStdString(name);
        create +=
            "CREATE TABLE " + name + " (id INTEGER, name VARCHAR(40), amount DECIMAL(12,2), extra" +
            std::to_string(t % 10) +
            " VARCHAR(20));"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) INSERT INTO " +
            name + " SELECT i, 'ćma \"" + name + "\" ' || i, round(i * 0.5, 2), 'x' || i FROM n;";
        // The same lines the union writes: every union column, empty where the table has none.
        unionSql += "SELECT '" + name + "', id, name, amount";
        for (int k = 0; k < 10; ++k)
            unionSql += k == t % 10 ? ", extra" + std::to_string(k) : std::string(", ''");
        unionSql += " FROM " + name + ";";
    }
    std::fflush(stdout);
    if (runProgram({"sqlite3", dbFile.toStdString(), create}).status != 0) return 1;

    auto* application = new TApplication;
    application->SetTitle("Zorvantic");
    auto* mainForm = application->CreateForm<TForm>();
    auto* db = new TDatabase(mainForm);
    db->SetDatabaseName("X");
    db->SetAliasName("BENCH");
    db->Open();

    const QString base = root + "/me";
    QDir().mkpath(base);
    Times text, multi, unionRun, shell;
    for (int r = 0; r < runs; ++r) {
        // Every run writes new files, as a first export does.
        QFile::remove(root + "/big.txt");
        QDir(base).removeRecursively();
        QDir().mkpath(base);
        text.measure(RUSAGE_SELF, [&] {
            writeTextExport("SELECT id, name, amount, day, code FROM big ORDER BY id", root + "/big.txt",
                            "|");
        });
        multi.measure(RUSAGE_SELF, [&] { multiFileExport(base); });
        unionRun.measure(RUSAGE_SELF, [&] { superUnion(tables); });
        bool shellOk = true;
        shell.measure(RUSAGE_CHILDREN, [&] {
            shellOk =
                runProgram({"sqlite3", "-csv", dbFile.toStdString(), unionSql}, root + "/shell.csv").status ==
                0;
        });
        if (!shellOk) return 1;
        std::printf(
            "run %d (wall/cpu ms): text %.0f/%.0f, multi-file %.0f/%.0f, super union %.0f/%.0f, "
            "sqlite3 -csv %.0f/%.0f\n",
            r + 1, text.wall.back(), text.cpu.back(), multi.wall.back(), multi.cpu.back(),
            unionRun.wall.back(), unionRun.cpu.back(), shell.wall.back(), shell.cpu.back());
        std::fflush(stdout);
    }
    int files = 0;
    const qint64 multiBytes = folderBytes(base, files);
    std::printf("\n%ld rows: text export %.1f MB, multi-file export %.1f MB in %d files\n", rows,
                QFile(root + "/big.txt").size() / 1048576.0, multiBytes / 1048576.0, files);
    std::printf("100 x 10,000 rows: super union %.1f MB, sqlite3 -csv %.1f MB\n",
                QFile(root + "/data/zorvantic/drive_c/superunion.csv").size() / 1048576.0,
                QFile(root + "/shell.csv").size() / 1048576.0);
    auto report = [&](const char* what, const std::vector<double>& t, const std::vector<double>& m,
                      const std::vector<double>& u, const std::vector<double>& sh) {
        std::printf(
            "medians of %d runs, %s: text %.0f ms, multi-file %.0f ms (%.2fx); super union %.0f ms, "
            "sqlite3 -csv %.0f ms (%.2fx)\n",
            runs, what, median(t), median(m), median(m) / median(t), median(u), median(sh),
            median(u) / median(sh));
    };
    report("wall", text.wall, multi.wall, unionRun.wall, shell.wall);
    report("cpu ", text.cpu, multi.cpu, unionRun.cpu, shell.cpu);
    delete application;
    return 0;
}
