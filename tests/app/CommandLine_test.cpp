#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <QCoreApplication>
#include <QProcess>
#include <QUuid>

#include "TestEnv.h"
#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/ExportConfiguration.h"
#include "platform/Registry.h"

// The program run from a shell with command-line parameters, as a separate process on
// the offscreen platform, in the test's own folders.
namespace {

enum class Backend { Sqlite, Postgres };

void adminExec(const QString& sql) {
    PGconn* c = PQconnectdb(testenv::PostgresConnectionString().toUtf8().constData());
    ASSERT_EQ(PQstatus(c), CONNECTION_OK) << PQerrorMessage(c);
    PQclear(PQexec(c, "SET client_min_messages TO warning"));
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
}

class UnattendedRun : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        // Not the first run of this version: no information box at start.
        testenv::WriteFile(platform::HiveFileName(platform::RootKey::LocalMachine),
                           "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n"
                           "\"Version\"=\"09.01.2002\"\r\n");
        QByteArray conf;
        if (GetParam() == Backend::Sqlite) {
            conf = "[TEST]\nTYPE=SQLITE\nPATH=" + (testenv::Root() + "/test.db").toUtf8() + "\n";
        } else {
            const QString pg = testenv::PostgresConnectionString();
            ASSERT_FALSE(pg.isEmpty()) << "ZV_TEST_PG is not set: run the tests through ./test.sh";
            schema_ = QStringLiteral("zv_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
            adminExec(QStringLiteral("CREATE SCHEMA %1").arg(schema_));
            conf = "[TEST]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg.toUtf8() +
                   " options='-csearch_path=" + schema_.toUtf8() + "'\n";
        }
        testenv::WriteFile(AliasFilePath(), conf);
        TDatabase db;
        db.SetDatabaseName("SEED");
        db.SetAliasName("TEST");
        db.Open();
        for (const char* sql :
             {"CREATE TABLE emp (id INTEGER, name VARCHAR(20))", "INSERT INTO emp VALUES (1, 'Zażółć')",
              "INSERT INTO emp VALUES (2, 'O''Brien')"}) {
            TQuery q;
            q.SetDatabaseName("SEED");
            q.SQL().Add(sql);
            q.ExecSQL();
        }
        ExportConfiguration c;
        c.rows = {{"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"},
                  {"ID", "NUMBER(10)", "", "", ""},
                  {"NAME", "VARCHAR2(20)", "'", "'", ""}};
        c.fileName = testenv::Root() + "/emp.sql";
        c.tableName = "EMP";
        c.lineBreakCount = "0";
        c.emptyValue = "NULL";
        c.runAfter = false;
        c.createTable = false;
        SaveExportConfiguration(testenv::Root() + "/emp.cfg", c);
    }
    void TearDown() override {
        if (!schema_.isEmpty()) adminExec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
    }

    // Runs the program; a run that does not end by itself is killed and fails the test.
    bool run(const QStringList& parameters) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(testenv::Root());
        p.start(QCoreApplication::applicationDirPath() + "/../zorvantic", parameters);
        if (!p.waitForStarted()) {
            ADD_FAILURE() << "the program did not start";
            return false;
        }
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "the program did not end by itself";
            return false;
        }
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAllStandardError().toStdString();
        EXPECT_EQ(p.exitCode(), 0);
        return true;
    }

    QString schema_;
};

TEST_P(UnattendedRun, ExportsWithTheStoredConfigurationAndEnds) {
    ASSERT_TRUE(
        run({"ALIAS=TEST", "EXPORT=select id, name from emp order by id;" + testenv::Root() + "/emp.cfg"}));
    EXPECT_EQ(testenv::ReadFile("emp.sql"),
              QByteArray("INSERT INTO EMP (ID,NAME) VALUES (1,'Za\xBF\xF3\xB3\xE6');\r\n"
                         "INSERT INTO EMP (ID,NAME) VALUES (2,'O''Brien');\r\n"));
    // The main window saved its fields at the end: the statement stays as the stored query.
    platform::TRegistry reg(platform::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKey("Software\\Morvane\\TFMain", false));
    EXPECT_EQ(reg.ReadString("SQL1.Text"), "select id, name from emp order by id");
}

TEST_P(UnattendedRun, ExportWithoutConfigurationOnlyShowsTheWindowAndStillEnds) {
    ASSERT_TRUE(run({"alias=TEST", "Export=select id from emp"}));
    EXPECT_TRUE(testenv::ReadFile("emp.sql").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, UnattendedRun, testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

}  // namespace
