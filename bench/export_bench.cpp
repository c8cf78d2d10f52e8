// The exports as whole program runs beside the database shells writing the same rows,
// on SQLite and on PostgreSQL, over two tables:
//   wide:   6 columns (integer, text with Polish letters and apostrophes, floating
//           point, date, integer, nullable text);
//   narrow: 3 columns (integer, short text, date with NULLs).
// Per table and size, four processes, each started afresh:
//   SQL script: the program's unattended run (command line EXPORT=...) against
//               `sqlite3 .mode insert` / `psql -c "\copy (select ...) to FILE csv"`;
//   text:       export_text_driver (the Export button's writer in a small program of
//               its own) against `sqlite3 -csv` / the same psql \copy.
// Each export and its peer run in turn, several times, each into a new file; medians of
// wall and CPU time and the largest peak memory (the process's own maxrss) of each.
//
//   export_bench [--rows 1000000,4000000] [--runs 3] [--tables wide,narrow]
//                [--backends sqlite,pg] [--memory-20m] [--keep]
// PostgreSQL through $ZV_BENCH_PG or $ZV_TEST_PG (a libpq connection string); without
// one only SQLite is measured. --memory-20m adds one run of each at 20,000,000 rows.
// --keep leaves the scratch folder, tables and settings in place and prints the command
// lines, to run one export again by hand (under a profiler, say).
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "BenchProcess.h"
#include "export/ExportConfiguration.h"

namespace {

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
    std::printf("  %-36s median %9.0f ms (cpu %9.0f ms)  peak %7.1f MiB  %8.1f MiB written%s%s\n", label,
                median(s.ms), median(s.cpuMs), s.peakKb / 1024.0, QFile(file).size() / 1048576.0,
                s.failures.empty() ? "" : "  FAILED:", s.failures.c_str());
}

void printRatio(const char* label, const Series& ours, const Series& peer) {
    std::printf("  ratio %-30s %.2fx (cpu %.2fx), runs:", label, median(ours.ms) / median(peer.ms),
                median(ours.cpuMs) / median(peer.cpuMs));
    for (size_t i = 0; i < ours.ms.size() && i < peer.ms.size(); ++i)
        std::printf(" %.2f", ours.ms[i] / peer.ms[i]);
    std::printf("\n");
}

// One table of the benchmark: its name, its columns for the export configuration
// (name, type, prefix, suffix) and the statements that fill it.
struct Table {
    std::string name;
    std::vector<std::array<QString, 4>> columns;  // name, type, prefix, suffix
    std::string sqliteCreate;                     // "@ROWS@" stands for the row count
    std::string postgresCreate;
};

std::string withRows(std::string sql, long rows) {
    const std::string n = std::to_string(rows);
    for (size_t at = sql.find("@ROWS@"); at != std::string::npos; at = sql.find("@ROWS@", at + n.size()))
        sql.replace(at, 6, n);
    return sql;
}

Table wideTable() {
    return {
        "big",
        {{"ID", "NUMBER(10)", "", ""},
         {"NAME", "VARCHAR2(40)", "'", "'"},
         {"AMOUNT", "NUMBER(14,2)", "", ""},
         {"DAY", "DATE", "TO_DATE('", "','YYYY.MM.DD')"},
         {"QTY", "NUMBER(10)", "", ""},
         {"NOTE", "VARCHAR2(30)", "'", "'"}},
        "DROP TABLE IF EXISTS big; CREATE TABLE big (id INTEGER, name VARCHAR(40), amount REAL, day DATE, "
        "qty INTEGER, note VARCHAR(30));"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < @ROWS@) "
        "INSERT INTO big SELECT i, 'Zażółć O''Brien ' || i, round(i * 1.37, 2), "
        "date('2000-01-01', '+' || (i % 9000) || ' days'), i % 1000, CASE WHEN i % 3 = 0 THEN NULL ELSE "
        "'ćma ' || i END FROM n;",
        "DROP TABLE IF EXISTS big; CREATE TABLE big AS SELECT i AS id, ('Zażółć O''Brien ' || "
        "i)::varchar(40) AS name, round(i * 1.37, 2)::float8 AS amount, date '2000-01-01' + (i % 9000) AS "
        "day, i % 1000 AS qty, (CASE WHEN i % 3 = 0 THEN NULL ELSE 'ćma ' || i END)::varchar(30) AS note "
        "FROM generate_series(1, @ROWS@) i;"};
}

Table narrowTable() {
    return {
        "narrow",
        {{"ID", "NUMBER(10)", "", ""},
         {"CODE", "VARCHAR2(12)", "'", "'"},
         {"DAY", "DATE", "TO_DATE('", "','YYYY.MM.DD')"}},
        "DROP TABLE IF EXISTS narrow; CREATE TABLE narrow (id INTEGER, code VARCHAR(12), day DATE);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < @ROWS@) "
        "INSERT INTO narrow SELECT i, 'k' || (i % 10000), CASE WHEN i % 4 = 0 THEN NULL ELSE "
        "date('2000-01-01', '+' || (i % 9000) || ' days') END FROM n;",
        "DROP TABLE IF EXISTS narrow; CREATE TABLE narrow AS SELECT i AS id, ('k' || (i % "
        "10000))::varchar(12) AS code, CASE WHEN i % 4 = 0 THEN NULL ELSE date '2000-01-01' + (i % 9000) END "
        "AS day FROM generate_series(1, @ROWS@) i;"};
}

struct Backend {
    const char* name;
    QString alias;
    std::vector<std::string> build;
    // The shell writing the rows as INSERT statements and as CSV (the same for psql);
    // `output` is where they go when the shell does not write the file itself.
    std::vector<std::string> shellSql;
    std::vector<std::string> shellCsv;
    QString shellSqlOutput;
    QString shellCsvOutput;
    const char* shellSqlName;
    const char* shellCsvName;
};

Backend sqliteBackend(const QString& dbFile, const Table& t, long rows, const QString& root) {
    const std::string file = dbFile.toStdString();
    const std::string select = "SELECT * FROM " + t.name;
    return {"SQLite",
            "BENCH",
            {"sqlite3", file, withRows(t.sqliteCreate, rows)},
            {"sqlite3", "-cmd", ".mode insert " + t.name, file, select},
            {"sqlite3", "-csv", "-header", file, select},
            root + "/shell.sql",
            root + "/shell.csv",
            "sqlite3 .mode insert",
            "sqlite3 -csv"};
}

Backend postgresBackend(const QString& pg, const Table& t, long rows, const QString& root) {
    const std::string conn = pg.toStdString();
    const std::vector<std::string> copy = {
        "psql", conn, "-q", "-c",
        "\\copy (select * from " + t.name + ") to '" + (root + "/shell.csv").toStdString() + "' csv"};
    return {"PostgreSQL",
            "BENCHPG",
            // Vacuumed and checkpointed at once: an autovacuum of the new table or the
            // writing of its pages would otherwise fall into the timed runs of either side.
            {"psql", conn, "-q", "-c", withRows(t.postgresCreate, rows), "-c", "VACUUM ANALYZE " + t.name,
             "-c", "CHECKPOINT"},
            copy,
            copy,
            QString(),
            QString(),
            "psql \\copy csv",
            "psql \\copy csv"};
}

void writeConfiguration(const QString& fileName, const Table& t, const QString& output) {
    ExportConfiguration c;
    c.rows = {{"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"}};
    for (const auto& col : t.columns) c.rows.push_back({col[0], col[1], col[2], col[3], QString()});
    c.fileName = output;
    c.tableName = QString::fromStdString(t.name).toUpper();
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

QStringList parseList(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// Runs one of ours and notes its error output when it fails.
ChildRun runOurs(const std::vector<std::string>& argv, const QString& log) {
    const ChildRun run = runProgram(argv, QString(), log);
    if (run.status != 0) {
        QFile f(log);
        if (f.open(QIODevice::ReadOnly))
            std::printf("  %s failed; its errors:\n%s\n", argv[0].c_str(),
                        f.readAll().right(2000).constData());
    }
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes = {1000000, 4000000};
    int runs = 3;
    bool memory20m = false;
    bool keep = false;
    QStringList tables = {"wide", "narrow"};
    QStringList backendNames = {"sqlite", "pg"};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rows" && i + 1 < argc)
            sizes = parseRows(argv[++i]);
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--tables" && i + 1 < argc)
            tables = parseList(argv[++i]);
        else if (a == "--backends" && i + 1 < argc)
            backendNames = parseList(argv[++i]);
        else if (a == "--memory-20m")
            memory20m = true;
        else if (a == "--keep")
            keep = true;
        else {
            std::fprintf(stderr,
                         "usage: export_bench [--rows N,N...] [--runs R] [--tables wide,narrow] "
                         "[--backends sqlite,pg] [--memory-20m] [--keep]\n");
            return 2;
        }
    }
    QString pg = qEnvironmentVariable("ZV_BENCH_PG");
    if (pg.isEmpty()) pg = qEnvironmentVariable("ZV_TEST_PG");

    QTemporaryDir dir(QDir::tempPath() + "/zvexportbench-XXXXXX");
    dir.setAutoRemove(!keep);
    const QString root = dir.path();
    useScratchHome(root);
    QDir::setCurrent(root);
    QCoreApplication app(argc, argv);

    const QString dbFile = root + "/bench.db";
    if (!writeUnattendedSettings(root, dbFile, pg)) return 1;
    const std::string binDir = QCoreApplication::applicationDirPath().toStdString();
    const std::string program = binDir + "/../zorvantic";
    const std::string textDriver = binDir + "/export_text_driver";
    if (pg.isEmpty()) std::printf("PostgreSQL: set ZV_BENCH_PG or ZV_TEST_PG to measure it\n");

    std::vector<std::pair<long, bool>> plan;  // rows, memory only
    for (long rows : sizes) plan.push_back({rows, false});
    if (memory20m) plan.push_back({20000000, true});
    for (const auto& [rows, memoryOnly] : plan) {
        for (const QString& tableName : tables) {
            const Table t = tableName == "narrow" ? narrowTable() : wideTable();
            const QString cfg = root + "/" + QString::fromStdString(t.name) + ".cfg";
            const QString sqlOut = root + "/ours.sql", textOut = root + "/ours.txt";
            writeConfiguration(cfg, t, sqlOut);
            std::vector<Backend> backends;
            if (backendNames.contains("sqlite")) backends.push_back(sqliteBackend(dbFile, t, rows, root));
            if (!pg.isEmpty() && backendNames.contains("pg"))
                backends.push_back(postgresBackend(pg, t, rows, root));
            for (const Backend& b : backends) {
                std::printf("\n%s, %s table, %ld rows x %zu columns%s: building...\n", b.name, t.name.c_str(),
                            rows, t.columns.size(), memoryOnly ? " (one run)" : "");
                std::fflush(stdout);
                if (runProgram(b.build, root + "/build.log").status != 0) {
                    std::printf("  building the table failed\n");
                    return 1;
                }
                const std::string select = "select * from " + t.name;
                const std::vector<std::string> sqlExport = {program, ("ALIAS=" + b.alias).toStdString(),
                                                            "EXPORT=" + select + ";" + cfg.toStdString()};
                const std::vector<std::string> textExport = {textDriver, b.alias.toStdString(), select,
                                                             textOut.toStdString()};
                if (keep) {
                    std::printf(
                        "  HOME=%s/home XDG_CONFIG_HOME=%s/config XDG_DATA_HOME=%s/data "
                        "QT_QPA_PLATFORM=offscreen\n",
                        qPrintable(root), qPrintable(root), qPrintable(root));
                    for (const auto* argv : {&sqlExport, &textExport}) {
                        std::printf(" ");
                        for (const std::string& a : *argv) std::printf(" '%s'", a.c_str());
                        std::printf("\n");
                    }
                }
                const QString shellSqlFile =
                    b.shellSqlOutput.isEmpty() ? root + "/shell.csv" : b.shellSqlOutput;
                const QString shellCsvFile =
                    b.shellCsvOutput.isEmpty() ? root + "/shell.csv" : b.shellCsvOutput;
                // Every run writes a new file. Overwriting the last run's output would time
                // the freeing of its blocks too (on a disk mounted with discard, a tenth of a
                // second or more for a large file, and longer as its write-back goes on),
                // which grows with the file rather than with the export.
                const auto sqlRun = [&] {
                    QFile::remove(sqlOut);
                    return runOurs(sqlExport, root + "/zorvantic.log");
                };
                const auto shellSqlRun = [&] {
                    QFile::remove(shellSqlFile);
                    return runProgram(b.shellSql, b.shellSqlOutput);
                };
                const auto textRun = [&] {
                    QFile::remove(textOut);
                    return runOurs(textExport, root + "/driver.log");
                };
                const auto shellCsvRun = [&] {
                    QFile::remove(shellCsvFile);
                    return runProgram(b.shellCsv, b.shellCsvOutput);
                };
                // Runs not counted: the first reads of a new table set its rows' visibility
                // flags, and the file cache fills, for whichever runs first. Ours runs twice:
                // the first run of a new settings hive stores every window's settings and the
                // second (offscreen) the main window's placement once more, each flushed to disk.
                if (!memoryOnly) {
                    sqlRun();
                    sqlRun();
                    shellSqlRun();
                    textRun();
                    textRun();
                    shellCsvRun();
                }
                Series sql, shellSql, text, shellCsv;
                for (int r = 0; r < (memoryOnly ? 1 : runs); ++r) {
                    sql.add(sqlRun());
                    shellSql.add(shellSqlRun());
                    text.add(textRun());
                    shellCsv.add(shellCsvRun());
                }
                printSeries("zorvantic SQL script (unattended)", sql, sqlOut);
                printSeries(b.shellSqlName, shellSql, shellSqlFile);
                printSeries("zorvantic text export (driver)", text, textOut);
                printSeries(b.shellCsvName, shellCsv, shellCsvFile);
                printRatio("SQL script / peer", sql, shellSql);
                printRatio("text / peer", text, shellCsv);
                std::fflush(stdout);
            }
        }
    }
    if (!pg.isEmpty() && !keep)
        runProgram(
            {"psql", pg.toStdString(), "-q", "-c", "DROP TABLE IF EXISTS big; DROP TABLE IF EXISTS narrow"});
    return 0;
}
