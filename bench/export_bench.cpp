// The unattended export as a whole program run on an SQLite table of 1,000,000 rows x 6
// columns (integer, text with apostrophes and Polish letters, decimal, date, flag,
// nullable text), beside the sqlite3 shell writing the same rows as INSERT statements
// (.mode insert) and as CSV (-csv). The SQL script goes through the program's command
// line; the text export, which the command line does not reach, runs in a child process
// of its own through the same writer the Export button uses. Prints times and peak memory.
//
//   export_bench [rows]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/ExportConfiguration.h"
#include "export/ExportWriters.h"

namespace {

using Clock = std::chrono::steady_clock;

struct RunResult {
    double ms = 0;
    long peakKb = 0;
    int status = -1;
};

// Waits for a child started at t0: its time, its own peak memory and its exit status.
RunResult waitFor(pid_t pid, Clock::time_point t0) {
    RunResult r;
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    r.ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    r.peakKb = u.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Runs a program (stdout to `output` when given) and waits; its own peak memory.
RunResult spawn(const std::vector<std::string>& argv, const QString& output = QString()) {
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!output.isEmpty()) {
            FILE* f = std::freopen(output.toLocal8Bit().constData(), "w", stdout);
            if (f == nullptr) _exit(127);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return waitFor(pid, t0);
}

// The text export in a child process, so that its peak memory is its own.
RunResult textExportInChild(const QString& output) {
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        TDatabase db;
        db.SetDatabaseName("X");
        db.SetAliasName("BENCH");
        db.Open();
        TQuery q;
        q.SetDatabaseName("X");
        q.SQL().Add("SELECT * FROM big");
        q.Open();
        std::vector<ExportColumn> columns;
        for (int i = 0; i < q.FieldCount(); ++i)
            columns.push_back({q.Fields(i)->FieldName(), q.Fields(i)->FieldName()});
        WriteTextExport(q, columns, {output, ",", "\"", false});
        _exit(0);
    }
    return waitFor(pid, t0);
}

void print(const char* label, const RunResult& r, const QString& file) {
    std::printf("%-34s %9.0f ms  peak %7.1f MB  %8.1f MB written  exit %d\n", label, r.ms, r.peakKb / 1024.0,
                QFile(file).size() / 1048576.0, r.status);
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    QTemporaryDir dir(QDir::tempPath() + "/zvexportbench-XXXXXX");
    const QString root = dir.path();
    for (const char* sub : {"/home", "/config/zorvantic", "/data"}) QDir().mkpath(root + sub);
    qputenv("HOME", (root + "/home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + "/data").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QDir::setCurrent(root);
    QApplication app(argc, argv);

    const QString dbFile = root + "/bench.db";
    QFile alias(AliasFilePath());
    if (!alias.open(QIODevice::WriteOnly)) return 1;
    alias.write("[BENCH]\nTYPE=SQLITE\nPATH=" + dbFile.toUtf8() + "\n");
    alias.close();
    QFile hive(root + "/config/zorvantic/HKEY_LOCAL_MACHINE.reg");
    if (!hive.open(QIODevice::WriteOnly)) return 1;
    hive.write(
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n\"Version\"=\"09.01."
        "2002\"\r\n");
    hive.close();

    std::printf("building %ld rows...\n", rows);
    const std::string create =
        "CREATE TABLE big (id INTEGER, name VARCHAR(40), amount DECIMAL(12,2), day DATE, flag BOOLEAN, note "
        "VARCHAR(30));"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(rows) +
        ") INSERT INTO big SELECT i, 'Zażółć O''Brien ' || i, round(i * 1.37, 2), "
        "date('2000-01-01', '+' || (i % 9000) || ' days'), i % 2, CASE WHEN i % 3 = 0 THEN NULL ELSE 'ćma ' "
        "|| i "
        "END FROM n;";
    if (spawn({"sqlite3", dbFile.toStdString(), create}).status != 0) return 1;

    ExportConfiguration c;
    c.rows = {{"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"},
              {"ID", "NUMBER(10)", "", "", ""},
              {"NAME", "VARCHAR2(40)", "'", "'", ""},
              {"AMOUNT", "NUMBER(14,2)", "", "", ""},
              {"DAY", "DATE", "TO_DATE('", "','YYYY.MM.DD')", ""},
              {"FLAG", "VARCHAR2(5)", "'", "'", ""},
              {"NOTE", "VARCHAR2(30)", "'", "'", ""}};
    c.fileName = root + "/big.sql";
    c.tableName = "BIG";
    c.lineBreakCount = "0";
    c.emptyValue = "NULL";
    c.runAfter = false;
    c.createTable = false;
    SaveExportConfiguration(root + "/big.cfg", c);

    const std::string program = QCoreApplication::applicationDirPath().toStdString() + "/../zorvantic";
    const RunResult sqlRun =
        spawn({program, "ALIAS=BENCH", ("EXPORT=select * from big;" + root + "/big.cfg").toStdString()});
    const RunResult insertRun =
        spawn({"sqlite3", "-cmd", ".mode insert big", dbFile.toStdString(), "SELECT * FROM big"},
              root + "/shell.sql");
    const RunResult textRun = textExportInChild(root + "/big.txt");
    const RunResult csvRun =
        spawn({"sqlite3", "-csv", "-header", dbFile.toStdString(), "SELECT * FROM big"}, root + "/shell.csv");

    std::printf("\n%ld rows x 6 columns\n", rows);
    print("zorvantic unattended SQL script", sqlRun, root + "/big.sql");
    print("sqlite3 .mode insert", insertRun, root + "/shell.sql");
    print("text export (writer, own process)", textRun, root + "/big.txt");
    print("sqlite3 -csv", csvRun, root + "/shell.csv");
    std::printf("\nSQL script / .mode insert: %.2fx   text / -csv: %.2fx\n", sqlRun.ms / insertRun.ms,
                textRun.ms / csvRun.ms);
    return 0;
}
