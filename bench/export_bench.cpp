// The exports as whole program runs beside the database shells writing the same rows,
// on SQLite and on PostgreSQL, 6 columns (integer, text with Polish letters and
// apostrophes, floating point, date, integer, nullable text):
//   SQL script: the program's unattended run (command line EXPORT=...) against
//               `sqlite3 .mode insert` / `psql \copy (select ...) to stdout csv`;
//   text:       the writer of the Export button in a process of its own against
//               `sqlite3 -csv` / the same psql \copy.
// Each pair runs alternately, several times; medians of the times, the largest peak
// memory of each process.
//
//   export_bench [--rows 1000000,4000000] [--runs 3] [--memory-20m]
// PostgreSQL through $ZV_BENCH_PG or $ZV_TEST_PG (a libpq connection string); without
// one only SQLite is measured. --memory-20m adds one export of each kind at 20,000,000
// rows for peak memory alone.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "BenchExport.h"
#include "BenchProcess.h"
#include "db/Database.h"
#include "export/ExportConfiguration.h"
#include "rtl/Exception.h"

namespace {

// The text export in a child process, so that its peak memory is its own.
ChildRun textExportInChild(const QString& alias, const QString& output) {
    std::fflush(stdout);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            TDatabase db;
            db.SetDatabaseName("X");
            db.SetAliasName(alias);
            db.Open();
            writeTextExport("SELECT * FROM big", output, ",");
        } catch (const Exception& e) {
            std::printf("error: %s\n", e.what());
            std::fflush(stdout);
            _exit(1);
        }
        _exit(0);
    }
    return waitChild(pid, t0);
}

// Several runs of one kind of work.
struct Series {
    std::vector<double> ms;
    std::vector<double> cpuMs;
    long peakKb = 0;
    std::string failures;  // " run 2: exit 1" for every run that failed
    void add(const ChildRun& r) {
        ms.push_back(r.ms);
        cpuMs.push_back(r.cpuMs);
        peakKb = std::max(peakKb, r.peakKb);
        if (r.status != 0)
            failures += " run " + std::to_string(ms.size()) + ": exit " + std::to_string(r.status);
    }
};

void printSeries(const char* label, const Series& s, const QString& file) {
    std::printf("  %-36s median %9.0f ms (cpu %9.0f ms)  peak %7.1f MB  %8.1f MB written%s%s\n", label,
                median(s.ms), median(s.cpuMs), s.peakKb / 1024.0, QFile(file).size() / 1048576.0,
                s.failures.empty() ? "" : "  FAILED:", s.failures.c_str());
}

struct Backend {
    const char* name;
    QString alias;
    // Fills the table "big" with `rows` rows.
    std::vector<std::string> build;
    // The shell writing the rows as INSERT statements and as CSV (the same for psql).
    std::vector<std::string> shellSql;
    std::vector<std::string> shellCsv;
    const char* shellSqlName;
    const char* shellCsvName;
};

Backend sqliteBackend(const QString& dbFile, long rows) {
    const std::string file = dbFile.toStdString();
    const std::string create =
        "DROP TABLE IF EXISTS big; CREATE TABLE big (id INTEGER, name VARCHAR(40), amount REAL, day DATE, "
        "qty "
        "INTEGER, note VARCHAR(30));"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(rows) +
        ") INSERT INTO big SELECT i, 'Zażółć O''Brien ' || i, round(i * 1.37, 2), "
        "date('2000-01-01', '+' || (i % 9000) || ' days'), i % 1000, CASE WHEN i % 3 = 0 THEN NULL ELSE "
        "'ćma ' || i END FROM n;";
    return {"SQLite",
            "BENCH",
            {"sqlite3", file, create},
            {"sqlite3", "-cmd", ".mode insert big", file, "SELECT * FROM big"},
            {"sqlite3", "-csv", "-header", file, "SELECT * FROM big"},
            "sqlite3 .mode insert",
            "sqlite3 -csv"};
}

Backend postgresBackend(const QString& pg, long rows) {
    const std::string conn = pg.toStdString();
    const std::string create =
        "DROP TABLE IF EXISTS big; CREATE TABLE big AS SELECT i AS id, ('Zażółć O''Brien ' || "
        "i)::varchar(40) AS "
        "name, round(i * 1.37, 2)::float8 AS amount, date '2000-01-01' + (i % 9000) AS day, i % 1000 AS qty, "
        "(CASE WHEN i % 3 = 0 THEN NULL ELSE 'ćma ' || i END)::varchar(30) AS note FROM generate_series(1, " +
        std::to_string(rows) + ") i;";
    const std::vector<std::string> copy = {"psql", conn, "-q", "-c",
                                           "\\copy (select * from big) to stdout csv"};
    return {"PostgreSQL",      "BENCHPG",        {"psql", conn, "-q", "-c", create}, copy, copy,
            "psql \\copy csv", "psql \\copy csv"};
}

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

std::vector<long> parseRows(const char* text) {
    std::vector<long> rows;
    for (const QString& part : QString::fromLatin1(text).split(QLatin1Char(','), Qt::SkipEmptyParts))
        rows.push_back(part.toLong());
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes = {1000000, 4000000};
    int runs = 3;
    bool memory20m = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rows" && i + 1 < argc)
            sizes = parseRows(argv[++i]);
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--memory-20m")
            memory20m = true;
        else {
            std::fprintf(stderr, "usage: export_bench [--rows N,N...] [--runs R] [--memory-20m]\n");
            return 2;
        }
    }
    QString pg = qEnvironmentVariable("ZV_BENCH_PG");
    if (pg.isEmpty()) pg = qEnvironmentVariable("ZV_TEST_PG");

    QTemporaryDir dir(QDir::tempPath() + "/zvexportbench-XXXXXX");
    const QString root = dir.path();
    useScratchHome(root);
    QDir::setCurrent(root);
    QApplication app(argc, argv);

    const QString dbFile = root + "/bench.db";
    QByteArray aliases = "[BENCH]\nTYPE=SQLITE\nPATH=" + dbFile.toUtf8() + "\n";
    if (!pg.isEmpty()) aliases += "[BENCHPG]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg.toUtf8() + "\n";
    if (!writeAliases(aliases)) return 1;
    QFile hive(root + "/config/zorvantic/HKEY_LOCAL_MACHINE.reg");
    if (!hive.open(QIODevice::WriteOnly)) return 1;
    hive.write(
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n\"Version\"=\"09.01."
        "2002\"\r\n");
    hive.close();
    const QString cfg = root + "/big.cfg";
    writeConfiguration(cfg, root + "/big.sql");
    const std::string program = QCoreApplication::applicationDirPath().toStdString() + "/../zorvantic";
    if (pg.isEmpty()) std::printf("PostgreSQL: set ZV_BENCH_PG or ZV_TEST_PG to measure it\n");

    std::vector<std::pair<long, bool>> plan;  // rows, memory only
    for (long rows : sizes) plan.push_back({rows, false});
    if (memory20m) plan.push_back({20000000, true});
    for (const auto& [rows, memoryOnly] : plan) {
        std::vector<Backend> backends = {sqliteBackend(dbFile, rows)};
        if (!pg.isEmpty()) backends.push_back(postgresBackend(pg, rows));
        for (const Backend& b : backends) {
            std::printf("\n%s, %ld rows x 6 columns%s: building...\n", b.name, rows,
                        memoryOnly ? " (peak memory only)" : "");
            if (runProgram(b.build, root + "/build.log").status != 0) {
                std::printf("  building the table failed\n");
                return 1;
            }
            const std::vector<std::string> ours = {program, ("ALIAS=" + b.alias).toStdString(),
                                                   ("EXPORT=select * from big;" + cfg).toStdString()};
            Series sql, shellSql, text, shellCsv;
            for (int r = 0; r < (memoryOnly ? 1 : runs); ++r) {
                const ChildRun run = runProgram(ours, QString(), root + "/zorvantic.log");
                sql.add(run);
                if (run.status != 0) {
                    QFile log(root + "/zorvantic.log");
                    if (log.open(QIODevice::ReadOnly))
                        std::printf("  run %zu of the program failed; its errors:\n%s\n", sql.ms.size(),
                                    log.readAll().right(2000).constData());
                }
                if (!memoryOnly) shellSql.add(runProgram(b.shellSql, root + "/shell.sql"));
                text.add(textExportInChild(b.alias, root + "/big.txt"));
                if (!memoryOnly) shellCsv.add(runProgram(b.shellCsv, root + "/shell.csv"));
            }
            printSeries("zorvantic SQL script (unattended)", sql, root + "/big.sql");
            if (!memoryOnly) printSeries(b.shellSqlName, shellSql, root + "/shell.sql");
            printSeries("zorvantic text export (writer)", text, root + "/big.txt");
            if (!memoryOnly) {
                printSeries(b.shellCsvName, shellCsv, root + "/shell.csv");
                std::printf("  ratio SQL script / %s: %.2fx (cpu %.2fx)   text / %s: %.2fx (cpu %.2fx)\n",
                            b.shellSqlName, median(sql.ms) / median(shellSql.ms),
                            median(sql.cpuMs) / median(shellSql.cpuMs), b.shellCsvName,
                            median(text.ms) / median(shellCsv.ms),
                            median(text.cpuMs) / median(shellCsv.cpuMs));
            }
            std::fflush(stdout);
        }
    }
    if (!pg.isEmpty()) runProgram({"psql", pg.toStdString(), "-q", "-c", "DROP TABLE IF EXISTS big"});
    return 0;
}
