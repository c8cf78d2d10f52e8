#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include "ScratchAlias.h"
#include "TestEnv.h"
#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/ExportTestSupport.h"
#include "platform/Registry.h"

// The program run from a shell with command-line parameters, as a separate process on
// the offscreen platform, in the test's own folders.
namespace {

using testenv::Backend;

class UnattendedRun : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        // Not the first run of this version: no information box at start.
        testenv::WriteFile(platform::HiveFileName(platform::RootKey::LocalMachine),
                           "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n"
                           "\"Version\"=\"09.01.2002\"\r\n");
        alias_ = std::make_unique<testenv::ScratchAlias>(GetParam());
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
        exporttest::SaveInsertConfiguration(
            testenv::Root() + "/emp.cfg", testenv::Root() + "/emp.sql", "EMP",
            {{"ID", "NUMBER(10)", "", "", ""}, {"NAME", "VARCHAR2(20)", "'", "'", ""}});
    }
    void TearDown() override { alias_.reset(); }

    // Runs the program; a run that does not end by itself is killed and fails the test.
    bool run(const QStringList& parameters, int exitCode = 0) {
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
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "the program did not end by itself";
            return false;
        }
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAllStandardError().toStdString();
        EXPECT_EQ(p.exitCode(), exitCode);
        return true;
    }

    std::unique_ptr<testenv::ScratchAlias> alias_;
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
    // The message captions were written back as the program ended.
    platform::TRegistry machine(platform::RootKey::LocalMachine);
    ASSERT_TRUE(machine.OpenKey("SOFTWARE\\Morvane\\Zorvantic", false));
    EXPECT_EQ(machine.ReadString("Common\\Question"), "Pytanie");
    EXPECT_EQ(machine.ReadString("Common\\Error"), "Błąd");
}

TEST_P(UnattendedRun, ExportWithoutConfigurationOnlyShowsTheWindowAndStillEnds) {
    ASSERT_TRUE(run({"alias=TEST", "Export=select id from emp"}));
    EXPECT_TRUE(testenv::ReadFile("emp.sql").isEmpty());
}

// Other local users read a process's command line in the process list: the running
// program shows its password there only until it has read it.
TEST(ProgramArguments, ThePasswordLeavesTheProcessListOnceRead) {
    testenv::WriteFile(platform::HiveFileName(platform::RootKey::LocalMachine),
                       "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n"
                       "\"Version\"=\"09.01.2002\"\r\n");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(testenv::Root());
    p.start(QCoreApplication::applicationDirPath() + "/../zorvantic", {"USERNAME=ann", "PASSWORD=tiger-7"});
    ASSERT_TRUE(p.waitForStarted());
    // Without an EXPORT the program stays open; its command line is read at the first show.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(p.processId()));
    QByteArray seen;
    for (int i = 0; i < 200; ++i) {
        if (cmdline.open(QIODevice::ReadOnly)) {
            seen = cmdline.readAll();
            cmdline.close();
        }
        if (seen.contains("PASSWORD=") && !seen.contains("tiger")) break;
        p.waitForFinished(100);
    }
    p.kill();
    p.waitForFinished();
    EXPECT_FALSE(seen.contains("tiger")) << seen.replace('\0', ' ').toStdString();
    EXPECT_TRUE(seen.contains(QByteArray("USERNAME=ann\0PASSWORD=*******", 30)))
        << seen.replace('\0', ' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, UnattendedRun, testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
