// Loads a decision cube over 1,000,000 rows (3 dimensions of up to 100 values, 2
// summaries) from SQLite and compares the time with SQLite's own GROUP BY with the same
// aggregates (read row by row through the SQLite API); times a pivot on the loaded cube
// and the cube's peak memory beside the memory the same result takes when fetched.
//
//   cube_bench [rows] [runs]
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "cube/DecisionCube.h"
#include "cube/DecisionQuery.h"
#include "cube/DecisionSource.h"
#include "db/Database.h"
#include "db/Query.h"
#include "rtl/Exception.h"

namespace {

const char* const kSelect = "SELECT d1, d2, d3, m1, m2 FROM cube";
const char* const kGroupBy =
    "SELECT d1, d2, d3, SUM(m1), COUNT(m1), SUM(m2), COUNT(m2) FROM cube GROUP BY d1, d2, d3";

// Runs `f` in a child process (so its peak memory is its own); returns what it wrote.
std::vector<double> inChild(const std::function<std::vector<double>()>& f) {
    std::fflush(stdout);
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::vector<double> out;
        try {
            out = f();
        } catch (const Exception& e) {
            std::printf("error: %s\n", e.what());
        }
        const ssize_t written = write(fds[1], out.data(), out.size() * sizeof(double));
        (void)written;
        std::_Exit(0);
    }
    close(fds[1]);
    std::vector<double> out(16);
    const ssize_t n = read(fds[0], out.data(), out.size() * sizeof(double));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    out.resize(n > 0 ? static_cast<size_t>(n) / sizeof(double) : 0);
    return out;
}

void openX() {
    auto* db = new TDatabase;
    db->SetDatabaseName("X");
    db->SetAliasName("LITE");
    db->Open();
}

// SQLite's GROUP BY, every group read.
std::vector<double> groupBy(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    const auto t = Clock::now();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kGroupBy, -1, &st, nullptr);
    long long groups = 0;
    double check = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 3; ++c)
            check += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) ? 0 : 1);
        for (int c = 3; c < 7; ++c) check += sqlite3_column_double(st, c);
        ++groups;
    }
    sqlite3_finalize(st);
    const double ms = msSince(t);
    sqlite3_close(db);
    return {ms, static_cast<double>(groups), check};
}

// The cube over the plain rows; then a pivot each way.
std::vector<double> cube() {
    openX();
    const long before = peakKb();
    TDecisionQuery q;
    q.SetDatabaseName("X");
    q.SQL().Add(kSelect);
    TDecisionCube c;
    c.SetDataSet(&q);
    TDecisionSource source;
    source.SetDecisionCube(&c);
    c.RefreshFieldList();
    TCubeMap map = c.DimensionMap();
    map[1].Role = TCubeRole::Dimension;  // d2: numbers, but a dimension here
    c.SetDimensionMap(map);
    q.Close();
    const auto t = Clock::now();
    c.Load();
    const double loadMs = msSince(t);
    const double peakMb = (peakKb() - before) / 1024.0;
    // Rows: d1; columns: d2, d3. Moving d1 to the columns, then back.
    const auto p1 = Clock::now();
    source.MoveDimension(0, false);
    const double toColumnsMs = msSince(p1);
    const auto p2 = Clock::now();
    source.MoveDimension(0, true);
    const double toRowsMs = msSince(p2);
    return {loadMs,
            peakMb,
            toColumnsMs,
            toRowsMs,
            static_cast<double>(c.Store().CellCount()),
            c.Store().MemoryBytes() / 1e6};
}

// The same rows fetched into an ordinary query: the result's size in memory.
std::vector<double> fetched() {
    openX();
    const long before = peakKb();
    TQuery q;
    q.SetDatabaseName("X");
    q.SQL().Add(kSelect);
    q.Open();
    const int rows = q.RecordCount();
    return {(peakKb() - before) / 1024.0, static_cast<double>(rows)};
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    useScratchHome(dir.path());
    const QString dbFile = dir.path() + "/cube.db";
    if (!writeAliases(("[LITE]\nTYPE=SQLITE\nPATH=" + dbFile + "\n").toUtf8())) return 1;

    std::printf("Preparing %d rows: 3 dimensions of up to 100 values, 2 measures...\n", rows);
    inChild([&] {
        openX();
        TQuery q;
        q.SetDatabaseName("X");
        q.SQL().Add("CREATE TABLE cube (d1 VARCHAR(10), d2 INTEGER, d3 VARCHAR(10), m1 INTEGER, m2 DOUBLE)");
        q.ExecSQL();
        q.SQL().Clear();
        q.SQL().Add(
            QStringLiteral("WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %1) "
                           "INSERT INTO cube SELECT 'region' || (abs(random()) % 100), abs(random()) % 100, "
                           "'city' || (abs(random()) % 100), x % 1000, x * 0.25 FROM g")
                .arg(rows));
        q.ExecSQL();
        return std::vector<double>{};
    });

    std::vector<double> peer, load, peak, toColumns, toRows;
    double cells = 0, cubeMb = 0, groups = 0;
    for (int i = 0; i < runs; ++i) {
        const auto g = inChild([&] { return groupBy(dbFile); });
        const auto c = inChild(cube);
        if (g.size() < 2 || c.size() < 6) return 1;
        peer.push_back(g[0]);
        groups = g[1];
        load.push_back(c[0]);
        peak.push_back(c[1]);
        toColumns.push_back(c[2]);
        toRows.push_back(c[3]);
        cells = c[4];
        cubeMb = c[5];
        std::printf("run %d: GROUP BY %.0f ms, cube load %.0f ms, pivot %.1f / %.1f ms\n", i + 1, g[0], c[0],
                    c[2], c[3]);
    }
    const auto f = inChild(fetched);
    const double resultMb = f.empty() ? 0 : f[0];
    std::printf("\nmedians of %d runs over %d rows (%.0f groups, %.0f cells)\n", runs, rows, groups, cells);
    std::printf("  SQLite GROUP BY        %8.1f ms\n", median(peer));
    std::printf("  cube load              %8.1f ms   (%.2fx the GROUP BY)\n", median(load),
                median(load) / median(peer));
    std::printf("  pivot rows->columns    %8.1f ms\n", median(toColumns));
    std::printf("  pivot columns->rows    %8.1f ms\n", median(toRows));
    std::printf("  cube peak memory       %8.1f MB   (cube holds %.1f MB)\n", median(peak), cubeMb);
    std::printf("  result fetched         %8.1f MB   (cube peak %.2fx the result)\n", resultMb,
                resultMb > 0 ? median(peak) / resultMb : 0.0);
    return 0;
}
