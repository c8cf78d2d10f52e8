// Peak memory of the exports while the "Queries" grid shows the result, on SQLite and
// PostgreSQL, at several result sizes (6 columns: integer, text with Polish letters and
// apostrophes, floating point, date, integer, nullable text). Each export runs in a process
// of its own, so that its peak is the whole program's:
//   unattended   the program, command line ALIAS=... EXPORT=select * from big;FILE (SQL script)
//   button text  the main window runs the query into its grid, the export window opens on
//                it and its Export button writes the text file
//   button SQL   the same on the SQL-script page, with the stored export configuration
// A grid that holds only the rows it shows keeps all three flat whatever the row count.
//
//   grid_memory_bench [--rows 1000000,4000000,20000000] [--peer PROGRAM]
// --peer runs the unattended export of another build of the program beside ours,
// alternating, for comparison. PostgreSQL through $ZV_BENCH_PG or $ZV_TEST_PG (a libpq
// connection string); without one only SQLite is measured.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchEnv.h"
#include "BenchProcess.h"
#include "db/Query.h"
#include "export/Eksport.h"
#include "export/ExportConfiguration.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

namespace {

void writeConfiguration(const QString& fileName, const QString& output) {
    ExportConfiguration c;
    c.rows = {{"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"},
              {"ID", "NUMBER(10)", "", "", ""},
              {"NAME", "VARCHAR2(40)", "'", "'", ""},
              {"AMOUNT", "NUMBER(14,2)", "", "", ""},
              {"DAY", "DATE", "TO_DATE('", "','YYYY.MM.DD')", ""},
              {"QTY", "NUMBER(10)", "", "", ""},
              {"NOTE", "VARCHAR2(30)", "'", "'", ""}};
    c.fileName = output;
    c.tableName = "BIG";
    c.lineBreakCount = "0";
    c.emptyValue = "NULL";
    c.runAfter = false;
    c.createTable = false;
    SaveExportConfiguration(fileName, c);
}

std::vector<std::string> buildTable(const char* backend, const std::string& target, long rows) {
    const std::string n = std::to_string(rows);
    if (std::string(backend) == "SQLite")
        return {
            "sqlite3", target,
            "DROP TABLE IF EXISTS big; CREATE TABLE big (id INTEGER, name VARCHAR(40), amount REAL, day "
            "DATE, "
            "qty INTEGER, note VARCHAR(30)); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
            "WHERE i < " +
                n +
                ") INSERT INTO big SELECT i, 'Zażółć O''Brien ' || i, round(i * 1.37, 2), date('2000-01-01', "
                "'+' || (i % 9000) || ' days'), i % 1000, CASE WHEN i % 3 = 0 THEN NULL ELSE 'ćma ' || i END "
                "FROM n;"};
    return {
        "psql", target, "-q", "-c",
        "DROP TABLE IF EXISTS big; CREATE TABLE big AS SELECT i AS id, ('Zażółć O''Brien ' || "
        "i)::varchar(40) AS name, round(i * 1.37, 2)::float8 AS amount, date '2000-01-01' + (i % 9000) AS "
        "day, i % 1000 AS qty, (CASE WHEN i % 3 = 0 THEN NULL ELSE 'ćma ' || i END)::varchar(30) AS note "
        "FROM generate_series(1, " +
            n + ") i;"};
}

// The child: the main window and the export window as the user has them, the Export
// button pressed on one page. Exit code 0 when the file was written.
int exportButton(int& argc, char** argv, const QString& alias, const QString& page, const QString& arg) {
    BenchApplication bench(argc, argv);
    TApplication app;
    TFMain* m = app.CreateForm<TFMain>();
    app.CreateForm<TFEksport>();
    m->Show();
    m->DatabaseName->SetItemIndex(m->DatabaseName->Items().IndexOf(alias));
    m->BConnectClick(m);
    m->FSkipHint = true;
    m->SQL1->SetText(QStringLiteral("select * from big"));
    m->SQL1->SetFocus();
    m->BWykonajClick(m->BWykonaj);
    QApplication::processEvents();
    ShowEksport(m->MainQuery, m->Grid, QString());
    TFEksport* e = FEksport;
    if (page == QLatin1String("text")) {
        e->PageControl->SetActivePage(e->TabSheet1);
        e->FileName->SetText(arg);
        e->RunAfterGenerating->SetChecked(false);
    } else {
        e->LoadConfiguration(arg);
        e->PageControl->SetActivePage(e->TabSheet2);
    }
    e->BitBtn9Click(e->BitBtn9);
    QApplication::processEvents();  // the grid shows where the walk ended
    return e->ExportWritten && bench.dialogs.boxes.empty() ? 0 : 1;
}

struct Peak {
    long kb = 0;
    double ms = 0;
    std::string failures;
    void add(const ChildRun& r, const char* what) {
        kb = std::max(kb, r.peakKb);
        ms = std::max(ms, r.ms);
        if (r.status != 0) failures += std::string(" ") + what + ": exit " + std::to_string(r.status);
    }
};

void print(const char* label, const Peak& p, const QString& file) {
    std::printf("  %-34s peak %7.1f MiB  %8.0f ms  %8.1f MB written%s\n", label, p.kb / 1024.0, p.ms,
                QFile(file).size() / 1048576.0, p.failures.c_str());
}

std::vector<long> parseRows(const char* text) {
    std::vector<long> rows;
    for (const QString& part : QString::fromLatin1(text).split(QLatin1Char(','), Qt::SkipEmptyParts))
        rows.push_back(part.toLong());
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--button") {
        int childArgc = 1;
        return exportButton(childArgc, argv, QString::fromUtf8(argv[2]), QString::fromUtf8(argv[3]),
                            QString::fromUtf8(argv[4]));
    }
    std::vector<long> sizes = {1000000, 4000000, 20000000};
    std::string peer;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rows" && i + 1 < argc)
            sizes = parseRows(argv[++i]);
        else if (a == "--peer" && i + 1 < argc)
            peer = argv[++i];
        else {
            std::fprintf(stderr, "usage: grid_memory_bench [--rows N,N...] [--peer PROGRAM]\n");
            return 2;
        }
    }
    QString pg = qEnvironmentVariable("ZV_BENCH_PG");
    if (pg.isEmpty()) pg = qEnvironmentVariable("ZV_TEST_PG");

    QTemporaryDir dir(QDir::tempPath() + "/zvgridbench-XXXXXX");
    const QString root = dir.path();
    useScratchHome(root);  // the children inherit the scratch home
    QDir::setCurrent(root);
    QApplication app(argc, argv);
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const QString program = QCoreApplication::applicationDirPath() + "/../zorvantic";

    const QString dbFile = root + "/bench.db";
    if (!writeUnattendedSettings(root, dbFile, pg)) return 1;
    const QString cfg = root + "/big.cfg";
    writeConfiguration(cfg, root + "/big.sql");
    if (pg.isEmpty()) std::printf("PostgreSQL: set ZV_BENCH_PG or ZV_TEST_PG to measure it\n");

    struct Backend {
        const char* name;
        const char* alias;
        std::string target;
    };
    std::vector<Backend> backends = {{"SQLite", "BENCH", dbFile.toStdString()}};
    if (!pg.isEmpty()) backends.push_back({"PostgreSQL", "BENCHPG", pg.toStdString()});
    for (long rows : sizes) {
        for (const Backend& b : backends) {
            std::printf("\n%s, %ld rows x 6 columns\n", b.name, rows);
            std::fflush(stdout);
            if (runProgram(buildTable(b.name, b.target, rows), root + "/build.log").status != 0) {
                std::printf("  building the table failed\n");
                return 1;
            }
            const std::string alias = std::string("ALIAS=") + b.alias;
            const std::string exportArg = ("EXPORT=select * from big;" + cfg).toStdString();
            Peak unattended, unattendedPeer, text, sql;
            unattended.add(
                runProgram({program.toStdString(), alias, exportArg}, QString(), root + "/run.log"), "run");
            print("unattended SQL script", unattended, root + "/big.sql");
            if (!peer.empty()) {
                unattendedPeer.add(runProgram({peer, alias, exportArg}, QString(), root + "/peer.log"),
                                   "run");
                print("unattended SQL script (peer)", unattendedPeer, root + "/big.sql");
            }
            QFile::remove(root + "/big.sql");
            text.add(runProgram({self, "--button", b.alias, "text", (root + "/big.txt").toStdString()},
                                QString(), root + "/button.log"),
                     "run");
            print("Export button, text", text, root + "/big.txt");
            sql.add(runProgram({self, "--button", b.alias, "sql", cfg.toStdString()}, QString(),
                               root + "/button.log"),
                    "run");
            print("Export button, SQL script", sql, root + "/big.sql");
            QFile::remove(root + "/big.sql");
            QFile::remove(root + "/big.txt");
        }
    }
    if (!pg.isEmpty()) runProgram({"psql", pg.toStdString(), "-q", "-c", "DROP TABLE IF EXISTS big"});
    return 0;
}
