// Walks a whole result of 6 columns (integer, text with Polish letters and apostrophes,
// real, date text, integer, nullable text) on SQLite and on PostgreSQL, beside the
// command-line clients writing the same rows as CSV (sqlite3 -csv, psql \copy ... csv).
// Each walk runs in a child process of its own, alternating with the client, several
// times; prints medians of the time to the first row, the time of the whole run (from
// connecting to the last row) and the peak memory, with the ratios to the clients.
//
//   db_walk_bench [--rows N,N,...] [--runs R] [--huge]
//     --rows   result sizes (default 1000000,4000000)
//     --runs   runs of each side per size (default 3)
//     --huge   also 20,000,000 rows, peak memory only (one run each)
// PostgreSQL through $ZV_BENCH_PG or $ZV_TEST_PG; without either only SQLite runs.
#include <sys/mman.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "BenchProcess.h"
#include "db/Database.h"
#include "db/Query.h"
#include "rtl/Exception.h"

namespace {

struct Run {
    double firstRowMs = 0;
    double totalMs = 0;
    double peakMb = 0;
    double cpuMs = 0;  // the process's own, user and system
    long long rows = 0;
    bool failed = false;
};

// What a walking child reports back through shared memory.
struct Shared {
    double firstRowMs;
    long long rows;
};

void exec(const QString& sql) {
    TQuery q;
    q.SetDatabaseName(QStringLiteral("X"));
    q.SQL().Add(sql);
    q.ExecSQL();
}

// Runs f in a child process; its time, its own peak memory, whether it succeeded.
Run inChild(const std::function<void(Shared&)>& f) {
    auto* shared = static_cast<Shared*>(
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    *shared = Shared{0, 0};
    std::fflush(stdout);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            f(*shared);
        } catch (const Exception& e) {
            std::printf("error: %s\n", e.what());
            std::fflush(stdout);
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    const ChildRun child = waitChild(pid, t0);
    Run r;
    r.totalMs = child.ms;
    r.peakMb = child.peakKb / 1024.0;
    r.cpuMs = child.cpuMs;
    r.firstRowMs = shared->firstRowMs;
    r.rows = shared->rows;
    r.failed = child.status != 0;
    munmap(shared, sizeof(Shared));
    return r;
}

// Opens the query and reads every value of every row as the cached bytes (what an
// export writes from), timing from connecting to the last row.
Run walk(const QString& alias, const QString& table) {
    return inChild([&](Shared& out) {
        const auto t0 = Clock::now();
        TDatabase db;
        db.SetDatabaseName(QStringLiteral("X"));
        db.SetAliasName(alias);
        db.Open();
        TQuery q;
        q.SetDatabaseName(QStringLiteral("X"));
        q.SQL().Add(QStringLiteral("SELECT * FROM ") + table);
        q.Open();
        out.firstRowMs = msSince(t0);
        const int n = q.FieldCount();
        long long rows = 0;
        size_t bytes = 0;
        for (; !q.Eof(); q.Next()) {
            for (int c = 0; c < n; ++c)
                if (const auto v = q.CurrentValue(c)) bytes += v->size();
            ++rows;
        }
        out.rows = bytes > 0 ? rows : -1;
    });
}

// A client program's run, its stdout thrown away.
Run client(const std::vector<std::string>& argv) {
    return inChild([&](Shared&) { execProgram(argv, QStringLiteral("/dev/null")); });
}

void report(const char* label, long long rows, const std::vector<Run>& ours, const std::vector<Run>& peer,
            const char* peerLabel) {
    std::vector<double> first, total, peak, cpu, peerTotal, peerPeak, peerCpu;
    bool failed = false;
    for (const Run& r : ours) {
        first.push_back(r.firstRowMs);
        total.push_back(r.totalMs);
        peak.push_back(r.peakMb);
        cpu.push_back(r.cpuMs);
        failed |= r.failed || r.rows != rows;
    }
    for (const Run& r : peer) {
        peerTotal.push_back(r.totalMs);
        peerPeak.push_back(r.peakMb);
        peerCpu.push_back(r.cpuMs);
        failed |= r.failed;
    }
    std::printf(
        "%-10s %9lld rows | first row %7.2f ms | walk %8.0f ms, %-7s %8.0f ms, ratio %.2fx | client CPU "
        "%6.0f "
        "ms, %s %6.0f ms | peak %6.1f MB, %s %5.1f MB%s\n",
        label, rows, median(first), median(total), peerLabel, median(peerTotal),
        median(total) / median(peerTotal), median(cpu), peerLabel, median(peerCpu), median(peak), peerLabel,
        median(peerPeak), failed ? "  [FAILED]" : "");
    std::fflush(stdout);
}

void prepare(const QString& pg, long long rows) {
    const Run r = inChild([&](Shared&) {
        TDatabase db;
        db.SetDatabaseName(QStringLiteral("X"));
        db.SetAliasName(QStringLiteral("LITE"));
        db.Open();
        exec(QStringLiteral("DROP TABLE IF EXISTS bench"));
        exec(
            QStringLiteral("CREATE TABLE bench (id INTEGER, name VARCHAR(40), amount DOUBLE, created "
                           "VARCHAR(10), qty INTEGER, note TEXT)"));
        db.StartTransaction();
        exec(QStringLiteral("WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %1) "
                            "INSERT INTO bench SELECT x, 'Zażółć ''gęślą'' ' || x, x * 1.25, "
                            "'2024-01-' || printf('%02d', x % 28 + 1), x % 1000, "
                            "CASE WHEN x % 10 = 0 THEN NULL ELSE 'note ' || (x % 97) END FROM g")
                 .arg(rows));
        db.Commit();
        if (pg.isEmpty()) return;
        db.SetAliasName(QStringLiteral("PG"));
        db.Open();
        exec(QStringLiteral("DROP TABLE IF EXISTS zv_walk_bench"));
        exec(QStringLiteral("CREATE TABLE zv_walk_bench AS SELECT x AS id, "
                            "('Zażółć ''gęślą'' ' || x)::varchar(40) AS name, x * 1.25::float8 AS amount, "
                            "to_char(date '2024-01-01' + (x % 28), 'YYYY-MM-DD') AS created, "
                            "(x % 1000)::int AS qty, "
                            "CASE WHEN x % 10 = 0 THEN NULL ELSE 'note ' || (x % 97) END AS note "
                            "FROM generate_series(1, %1) x")
                 .arg(rows));
        exec(QStringLiteral("VACUUM ANALYZE zv_walk_bench"));
    });
    if (r.failed) std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long long> sizes{1000000, 4000000};
    int runs = 3;
    bool huge = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rows" && i + 1 < argc) {
            sizes.clear();
            for (const QString& s : QString::fromLocal8Bit(argv[++i]).split(QLatin1Char(',')))
                sizes.push_back(s.toLongLong());
        } else if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--huge") {
            huge = true;
        } else {
            std::fprintf(stderr, "usage: db_walk_bench [--rows N,N,...] [--runs R] [--huge]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    useScratchHome(dir.path());
    QString pg = qEnvironmentVariable("ZV_BENCH_PG");
    if (pg.isEmpty()) pg = qEnvironmentVariable("ZV_TEST_PG");
    const QString dbFile = dir.path() + QStringLiteral("/bench.db");
    QString aliases = "[LITE]\nTYPE=SQLITE\nPATH=" + dbFile + "\n";
    if (!pg.isEmpty()) aliases += "[PG]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg + "\n";
    if (!writeAliases(aliases.toUtf8())) return 1;
    if (pg.isEmpty()) std::printf("PostgreSQL: set ZV_BENCH_PG or ZV_TEST_PG to measure it\n");

    const std::vector<std::string> sqlite{"sqlite3", "-csv", dbFile.toStdString(), "SELECT * FROM bench"};
    const std::vector<std::string> psql{"psql", pg.toStdString(), "-q", "-c",
                                        "\\copy (SELECT * FROM zv_walk_bench) to stdout csv"};
    if (huge) sizes.push_back(20000000);
    for (const long long rows : sizes) {
        const bool memoryOnly = rows >= 20000000;
        std::printf("Preparing %lld rows...\n", rows);
        prepare(pg, rows);
        const int n = memoryOnly ? 1 : runs;
        std::vector<Run> lite, liteShell, post, postShell;
        for (int i = 0; i < n; ++i) {
            lite.push_back(walk(QStringLiteral("LITE"), QStringLiteral("bench")));
            liteShell.push_back(client(sqlite));
            if (pg.isEmpty()) continue;
            post.push_back(walk(QStringLiteral("PG"), QStringLiteral("zv_walk_bench")));
            postShell.push_back(client(psql));
        }
        report("SQLite", rows, lite, liteShell, "sqlite3");
        if (!pg.isEmpty()) report("PostgreSQL", rows, post, postShell, "psql");
    }
    return 0;
}
