// Opens and walks a 1,000,000 x 6 result on SQLite and on PostgreSQL and prints the time
// to the first row, the time of the walk (reading every value as text) and the peak
// memory, beside the time the command-line clients take to write the same rows as CSV.
//
//   db_walk_bench [rows]        PostgreSQL through $ZV_TEST_PG (or $ZV_BENCH_PG)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "BenchClock.h"
#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Query.h"
#include "rtl/Exception.h"

namespace {

void exec(const QString& sql) {
    TQuery q;
    q.SetDatabaseName("X");
    q.SQL().Add(sql);
    q.ExecSQL();
}

// Runs in a child process of its own so that its peak memory is its own.
void walk(const char* label, const QString& alias, const QString& table) {
    const long before = peakKb();
    TDatabase db;
    db.SetDatabaseName("X");
    db.SetAliasName(alias);
    db.Open();
    TQuery q;
    q.SetDatabaseName("X");
    q.SQL().Add("SELECT * FROM " + table);
    const auto t0 = Clock::now();
    q.Open();
    QString first = q.Fields(0)->AsString();
    const double firstRow = msSince(t0);
    const auto t1 = Clock::now();
    long long rows = 0, bytes = 0;
    const int n = q.FieldCount();
    for (; !q.Eof(); q.Next()) {
        for (int c = 0; c < n; ++c) bytes += q.Fields(c)->AsString().toUtf8().size() + 1;
        ++rows;
    }
    const double walkMs = msSince(t1);
    // The same walk again over the cached rows: what the text conversion alone costs.
    const auto t2 = Clock::now();
    long long check = 0;
    for (q.First(); !q.Eof(); q.Next())
        for (int c = 0; c < n; ++c) check += q.Fields(c)->AsString().size();
    const double cachedMs = msSince(t2);
    std::printf(
        "%-10s first row %8.2f ms | walk %9.1f ms (%lld rows, %.1f MB as UTF-8 CSV; texts alone %.1f ms) | "
        "peak "
        "RSS %.1f MB (%.1f MB over start, %.2fx the data)\n",
        label, firstRow, walkMs, rows, bytes / 1e6, cachedMs + 0 * check, peakKb() / 1024.0,
        (peakKb() - before) / 1024.0, (peakKb() - before) * 1024.0 / static_cast<double>(bytes));
    std::fflush(stdout);
}

void inChild(const std::function<void()>& f) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            f();
        } catch (const Exception& e) {
            std::printf("error: %s\n", e.what());
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

void timeCommand(const char* label, const QString& command) {
    const auto t = Clock::now();
    const int rc = std::system(command.toLocal8Bit().constData());
    std::printf("%-10s %9.1f ms%s   (%s)\n", label, msSince(t), rc ? "  [failed]" : "", qPrintable(command));
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    QString pg = qEnvironmentVariable("ZV_BENCH_PG");
    if (pg.isEmpty()) pg = qEnvironmentVariable("ZV_TEST_PG");
    const QString dbFile = dir.path() + "/bench.db";
    QDir().mkpath(dir.path() + "/zorvantic");
    QFile conf(AliasFilePath());
    conf.open(QIODevice::WriteOnly);
    conf.write(("[LITE]\nTYPE=SQLITE\nPATH=" + dbFile + "\n").toUtf8());
    if (!pg.isEmpty()) conf.write(("[PG]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg + "\n").toUtf8());
    conf.close();

    std::printf("Preparing %d rows x 6 columns...\n", rows);
    inChild([&] {
        TDatabase db;
        db.SetDatabaseName("X");
        db.SetAliasName("LITE");
        db.Open();
        exec(
            "CREATE TABLE bench (id INTEGER, name VARCHAR(30), amount DOUBLE, qty INTEGER, created "
            "TIMESTAMP, note TEXT)");
        db.StartTransaction();
        exec(QStringLiteral(
                 "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %1) "
                 "INSERT INTO bench SELECT x, 'name_' || x, x * 1.5, x % 1000, "
                 "'2024-01-' || printf('%02d', x % 28 + 1) || ' 10:20:30', 'note ' || (x % 97) FROM g")
                 .arg(rows));
        db.Commit();
        if (!pg.isEmpty()) {
            db.SetAliasName("PG");
            db.Open();
            exec("DROP TABLE IF EXISTS zv_bench");
            exec(QStringLiteral(
                     "CREATE TABLE zv_bench AS SELECT x AS id, ('name_' || x)::varchar(30) AS name, "
                     "x * 1.5::float8 AS amount, x % 1000 AS qty, "
                     "timestamp '2024-01-01 10:20:30' + (x % 28) * interval '1 day' AS created, "
                     "'note ' || (x % 97) AS note FROM generate_series(1, %1) x")
                     .arg(rows));
        }
    });

    std::printf("\n");
    inChild([&] { walk("SQLite", "LITE", "bench"); });
    timeCommand("sqlite3", "sqlite3 -csv '" + dbFile + "' 'SELECT * FROM bench' > /dev/null");
    if (pg.isEmpty()) {
        std::printf("PostgreSQL: set ZV_TEST_PG or ZV_BENCH_PG to a connection string to measure it\n");
        return 0;
    }
    inChild([&] { walk("PostgreSQL", "PG", "zv_bench"); });
    timeCommand("psql", "psql '" + pg + "' -q -c \"\\copy zv_bench to '/dev/null' csv\"");
    inChild([&] {
        TDatabase db;
        db.SetDatabaseName("X");
        db.SetAliasName("PG");
        db.Open();
        exec("DROP TABLE zv_bench");
    });
    return 0;
}
