#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QFile>
#include <cerrno>
#include <csignal>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/Eksport.h"
#include "export/ExportTestSupport.h"
#include "framework/Buttons.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/ProgramArguments.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

TEST(MainWindowCommandLine, UnknownKeysAreReportedAndTheRestStillRuns) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    wb.main()->ProcessCommandLine({"foo=1", "username=ann", "bare", "Password=a=b"});
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"Unrecognized command:FOO", "Unrecognized command:BARE"}));
    EXPECT_EQ(testenv::Dialogs().boxes[0].caption, "Błąd");
    EXPECT_EQ(wb.main()->EUserName->Text(), "ann");
    EXPECT_EQ(wb.main()->EPassword->Text(), "a");
    EXPECT_FALSE(wb.app().Terminated());
}

TEST(MainWindowCommandLine, DoubleQuotesGroupBlanksAndAreDropped) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    // Quotes around the value alone read like quotes around the whole parameter.
    wb.main()->ProcessCommandLine({"USERNAME=\"ann lee\""});
    EXPECT_EQ(wb.main()->EUserName->Text(), "ann lee");
    wb.main()->ProcessCommandLine({"\"USERNAME=bo b\"", "\"\"PASSWORD=p\"w\""});
    EXPECT_EQ(wb.main()->EUserName->Text(), "bo b");
    EXPECT_EQ(wb.main()->EPassword->Text(), "pw");
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
}

// The password is read from the program's own argument memory and then overwritten
// there, so the process list no longer shows it; the other parameters stay as given.
TEST(MainWindowCommandLine, APasswordIsHiddenInTheArgumentMemoryOnceRead) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    char program[] = "zorvantic";
    char user[] = "USERNAME=ann";
    char password[] = "\"password=se\"cret";
    char bare[] = "PASSWORD";
    char* argv[] = {program, user, password, bare, nullptr};
    platform::KeepProgramArguments(4, argv);
    wb.main()->ProcessCommandLine();
    platform::KeepProgramArguments(0, nullptr);
    EXPECT_EQ(wb.main()->EPassword->Text(), "");  // the bare key read last
    EXPECT_EQ(QByteArray(password), "\"password=*******");
    EXPECT_EQ(QByteArray(user), "USERNAME=ann");
    EXPECT_EQ(QByteArray(bare), "PASSWORD");
    EXPECT_EQ(wb.main()->EUserName->Text(), "ann");
    char only[] = "PASSWORD=secret";
    char* argv2[] = {program, only, nullptr};
    platform::KeepProgramArguments(2, argv2);
    wb.main()->ProcessCommandLine();
    platform::KeepProgramArguments(0, nullptr);
    EXPECT_EQ(wb.main()->EPassword->Text(), "secret");
    EXPECT_EQ(QByteArray(only), "PASSWORD=******");
}

TEST(MainWindowCommandLine, AliasMustMatchLetterForLetterAndConnectsAtOnce) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    wb.main()->ProcessCommandLine({"ALIAS=test"});
    EXPECT_EQ(wb.main()->DatabaseName->ItemIndex(), -1);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Enter the database name"}));
    wb.main()->ProcessCommandLine({"Alias=TEST"});
    EXPECT_EQ(wb.main()->DatabaseName->ItemIndex(), 0);
    EXPECT_TRUE(wb.main()->Database->Connected());
    wb.main()->ProcessCommandLine({"ALIAS"});
    EXPECT_EQ(wb.main()->DatabaseName->ItemIndex(), -1);
}

TEST(MainWindowCommandLine, FailedLoginStopsTheRestAndKeepsTheProgramOpen) {
    Workbench wb(Backend::Postgres);
    wb.show();
    wb.main()->ProcessCommandLine({"USERNAME=zv_login", "PASSWORD=wrong", "ALIAS=TEST", "USERNAME=later"});
    EXPECT_FALSE(wb.main()->Database->Connected());
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(wb.main()->EUserName->Text(), "zv_login");
    EXPECT_FALSE(wb.app().Terminated());
}

// A connected main window with an empty table "emp" and the export window.
class CommandLineExport : public ::testing::Test {
  protected:
    CommandLineExport() : wb(Backend::Sqlite), eksport(wb.app().CreateForm<TFEksport>()) {
        ExportRunning = false;
        wb.seed("CREATE TABLE emp (id INTEGER)");
        wb.connect();
    }
    Workbench wb;
    TFEksport* eksport;
};

TEST_F(CommandLineExport, ExportOfAFailedStatementStillAsksToEnd) {
    wb.main()->ProcessCommandLine({"EXPORT=select * from no_such_table"});
    EXPECT_FALSE(wb.main()->MainQuery->Active());
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);  // the database error of the statement
    EXPECT_TRUE(eksport->Visible());                 // shown without a configuration: nothing to write
    EXPECT_TRUE(wb.app().Terminated());
}

// The exit status tells a calling script whether the export wrote its file; the boxes
// are those of an interactive run.
TEST_F(CommandLineExport, ExportThatWritesNoFileSetsAFailureExitStatus) {
    const QString output = testenv::Root() + "/emp.sql";
    exporttest::SaveInsertConfiguration(testenv::Root() + "/emp.cfg", output, "EMP",
                                        {{"ID", "NUMBER(10)", "", "", ""}});
    const QString cfg = ";" + testenv::Root() + "/emp.cfg";
    for (const QString& failing : {"EXPORT=select id from emp;" + testenv::Root() + "/missing.cfg",
                                   "EXPORT=select * from no_such_table" + cfg}) {
        SCOPED_TRACE(failing.toStdString());
        ExportRunning = false;
        wb.app().SetExitCode(0);
        testenv::Dialogs().clear();
        wb.main()->ProcessCommandLine({failing});
        EXPECT_EQ(wb.app().ExitCode(), 1);
        EXPECT_FALSE(QFile::exists(output));
        EXPECT_FALSE(testenv::Dialogs().boxes.empty()) << "the user hears why";
        eksport->Close();
    }
    ExportRunning = false;
    wb.main()->ProcessCommandLine({"EXPORT=select id from emp" + cfg});
    EXPECT_EQ(wb.app().ExitCode(), 0) << testenv::Dialogs().boxTexts().join("|").toStdString();
    EXPECT_TRUE(QFile::exists(output));
}

// A parameter is never cut: one past the limit is an error naming its key, processing
// stops there and the run's exit status tells a calling script that it failed.
TEST_F(CommandLineExport, AParameterPastTheLimitIsAnErrorNamingItsKey) {
    const QString exactly = "USERNAME=" + QString(4096 - 9, 'u');
    wb.main()->ProcessCommandLine({exactly});
    EXPECT_EQ(wb.main()->EUserName->Text(), QString(4087, 'u'));
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
    const QString cfg = ";" + testenv::Root() + "/emp.cfg";
    const QString tooLong = "\"Export=select " + QString(4096, 'x') + " from emp" + cfg + "\"";
    wb.main()->ProcessCommandLine({"USERNAME=ann", tooLong, "PASSWORD=later"});
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"The command-line parameter EXPORT is longer than 4096 characters."}));
    EXPECT_EQ(wb.main()->EUserName->Text(), "ann");
    EXPECT_EQ(wb.main()->EPassword->Text(), "") << "the rest is not processed";
    EXPECT_EQ(wb.app().ExitCode(), 1);
    EXPECT_FALSE(wb.app().Terminated()) << "the window stays open for the user";
}

// A full disk under the export file is named as such, and the run fails.
TEST_F(CommandLineExport, AnExportOntoAFullDiskSaysSo) {
    wb.seed("INSERT INTO emp VALUES (1)");
    exporttest::SaveInsertConfiguration(testenv::Root() + "/full.cfg", "/dev/full", "EMP",
                                        {{"ID", "NUMBER(10)", "", "", ""}});
    wb.main()->ProcessCommandLine({"EXPORT=select id from emp;" + testenv::Root() + "/full.cfg"});
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"Cannot write file \"/dev/full\": " + testenv::FileDeviceReason(ENOSPC) + "."}));
    EXPECT_EQ(wb.app().ExitCode(), 1);

    // A disk that fills in the middle of a write takes part of it, then refuses the rest:
    // the error is the system's reason, not "Unknown error". A file size limit does the same.
    wb.seed(
        "INSERT INTO emp SELECT x FROM (WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g "
        "WHERE x < 30000) SELECT x FROM g) s");
    exporttest::SaveInsertConfiguration(testenv::Root() + "/big.cfg", testenv::Root() + "/big.sql", "EMP",
                                        {{"ID", "NUMBER(10)", "", "", ""}});
    testenv::Dialogs().clear();
    ExportRunning = false;
    eksport->Close();
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 300000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    wb.main()->ProcessCommandLine({"EXPORT=select id from emp;" + testenv::Root() + "/big.cfg"});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"Cannot write file \"" + testenv::Root() +
                           "/big.sql\": " + testenv::FileDeviceReason(EFBIG) + "."}));
}

TEST_F(CommandLineExport, ExportStatementExpandsItsAbbreviationBeforeItRuns) {
    wb.main()->ProcessCommandLine({"EXPORT=s emp"});
    EXPECT_TRUE(wb.main()->MainQuery->Active());
    EXPECT_TRUE(wb.main()->MainQuery->SQL().Text().startsWith("SELECT * FROM  emp"));
    EXPECT_EQ(eksport->TABLENAME->Text(), "EMP");
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
    EXPECT_TRUE(wb.app().Terminated());
}

TEST_F(CommandLineExport, ExportButtonNeedsAnOpenResult) {
    wb.main()->BExport->Click();
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"No data to export"}));
    wb.openMain("select id from emp");
    wb.main()->Zapiszwynik1->Click();
    EXPECT_TRUE(eksport->Visible());
    EXPECT_EQ(eksport->TABLENAME->Text(), "EMP");
}

}  // namespace
