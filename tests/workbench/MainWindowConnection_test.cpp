#include <gtest/gtest.h>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Dispatch.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/Registry.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class MainWindowConnection : public wbtest::WorkbenchTest {};

TEST_P(MainWindowConnection, BeforeConnectingNothingIsPickedAndEveryActionAsksOrFails) {
    wb.show();
    EXPECT_EQ(m->DatabaseName->Items().ToStringList(), QStringList({"TEST"}));
    EXPECT_EQ(m->DatabaseName->ItemIndex(), -1);
    EXPECT_FALSE(m->BCommit->Enabled());
    EXPECT_FALSE(m->MIRollback->Enabled());

    EXPECT_FALSE(m->EnsureConnected());
    m->BStartTransactionClick(nullptr);
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"Enter the database name", "Enter the database name"}));
    EXPECT_EQ(testenv::Dialogs().boxes[0].caption, "Informacja");

    // A commit without a connection goes to the error box and keeps the controls.
    testenv::Dialogs().clear();
    Dispatch([&] { m->BCommitClick(nullptr); });
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_TRUE(m->BStartTransaction->Enabled());
    EXPECT_FALSE(m->Database->Connected());
}

TEST_P(MainWindowConnection, FirstDatabaseActionConnectsAndFillsTheSuggestions) {
    wb.seed("CREATE TABLE employees (id INTEGER, name VARCHAR(20))");
    wb.seed("CREATE TABLE dept (id INTEGER)");
    wb.show();
    wb.selectAlias();
    m->BStartTransactionClick(nullptr);
    ASSERT_TRUE(m->Database->Connected());
    EXPECT_TRUE(m->Database->InTransaction());
    const QStringList hints = m->HINTS->Lines().ToStringList();
    EXPECT_TRUE(hints.contains("EMPLOYEES")) << hints.join(",").toStdString();
    EXPECT_TRUE(hints.contains("DEPT"));
    EXPECT_FALSE(m->BStartTransaction->Enabled());
    EXPECT_TRUE(m->BCommit->Enabled());
    EXPECT_TRUE(m->MICommit->Enabled());
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST_P(MainWindowConnection, RollbackUndoesWhatTheTransactionWrote) {
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.connect();
    m->BStartTransactionClick(nullptr);
    wb.execMain("INSERT INTO t VALUES (1)");
    m->BRollbackClick(nullptr);
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM t"), "0");
    EXPECT_TRUE(m->BStartTransaction->Enabled());
    m->MIStartTransactionClick(nullptr);
    wb.execMain("INSERT INTO t VALUES (2)");
    m->MICommitClick(nullptr);
    EXPECT_EQ(wb.scalar("SELECT COUNT(*) FROM t"), "1");
    // Connecting again during a transaction leaves the controls as they are.
    m->BStartTransactionClick(nullptr);
    m->BConnectClick(nullptr);
    EXPECT_TRUE(m->Database->Connected());
    EXPECT_FALSE(m->BStartTransaction->Enabled());
    EXPECT_TRUE(m->BRollback->Enabled());
}

TEST_P(MainWindowConnection, KindsOfSuggestion) {
    wb.seed("CREATE TABLE emp (empno INTEGER, ename VARCHAR(10))");
    wb.connect();
    m->KindOfHint->SetItemIndex(1);
    m->RefreshTablesClick(nullptr);
    const QStringList hints = m->HINTS->Lines().ToStringList();
    EXPECT_TRUE(hints.contains("EMP"));
    EXPECT_TRUE(hints.contains("EMP.EMPNO"));
    EXPECT_TRUE(hints.contains("EMP.ENAME"));
    EXPECT_LT(hints.indexOf("EMP"), hints.indexOf("EMP.EMPNO"));
    // "Dont suggest" chosen on the "Settings" page, then "Refresh" on "Tabs, Cols".
    auto* group = m->Widget()->findChild<QWidget*>("KindOfHint");
    ASSERT_NE(group, nullptr);
    for (QRadioButton* b : group->findChildren<QRadioButton*>())
        if (b->text() == "Dont suggest") QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(m->KindOfHint->ItemIndex(), 2);
    wb.click("RefreshTables");
    EXPECT_EQ(m->HINTS->Lines().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, MainWindowConnection,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres), wbtest::ParamName);

TEST(MainWindowLogin, EmptyFieldsRemoveTheirParametersAndLongOnesAreCut) {
    Workbench wb(Backend::Sqlite);
    TStringList params;
    params.SetValue("USER NAME", "old");
    params.SetValue("PASSWORD", "old");
    wb.main()->EUserName->SetText("");
    wb.main()->EPassword->SetText(QString(300, QChar('p')));
    wb.main()->DatabaseLogin(wb.main()->Database, params);
    EXPECT_EQ(params.IndexOfName("USER NAME"), -1);
    EXPECT_EQ(params.Values("PASSWORD"), QString(255, QChar('p')));
}

TEST(MainWindowSuggestions, TableWhoseColumnsFailKeepsItsNameAndTheWalkGoesOn) {
    Workbench wb(Backend::Sqlite);
    wb.seed("CREATE TABLE a_base (x INTEGER)");
    wb.seed("CREATE VIEW b_broken AS SELECT x FROM a_base");
    wb.seed("DROP TABLE a_base");
    wb.seed("CREATE TABLE c_last (y INTEGER)");
    wb.connect();
    wb.main()->KindOfHint->SetItemIndex(1);
    wb.main()->RefreshTablesClick(nullptr);
    const QStringList hints = wb.main()->HINTS->Lines().ToStringList();
    EXPECT_TRUE(hints.contains("B_BROKEN"));
    EXPECT_TRUE(hints.contains("C_LAST.Y")) << hints.join(",").toStdString();
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST(MainWindowStorage, StoredFieldsComeBackAtTheFirstShowButNeverThePassword) {
    {
        Workbench wb(Backend::Sqlite);
        wb.show();
        wb.main()->EUserName->SetText("scott");
        wb.main()->EPassword->SetText("tiger");
        wb.main()->SQL4->SetText("select 4");
        // The note as typed into the "Notes" page.
        wb.main()->PageControl1->SetActivePage(wb.main()->TSNotes);
        QTest::keyClicks(wb.main()->N->Editor(), "a note");
        wb.main()->FULLSQL3->Lines().Assign(QStringList{"select 3", "  from t"});
        wb.main()->PFULL->SetHeight(157);
        TFont font = wb.main()->Grid->Font();
        font.font.setPointSize(17);
        wb.main()->Grid->SetFont(font);
    }  // destroyed while open: saved at destruction
    platform::TRegistry reg(platform::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Morvane\\TFMain", false));
    EXPECT_EQ(reg.ReadString("EUserName.Text"), "scott");
    for (const QString& name : reg.GetValueNames())
        EXPECT_FALSE(name.contains("Password", Qt::CaseInsensitive));
    Workbench again(Backend::Sqlite);
    EXPECT_NE(again.main()->SQL4->Text(), "select 4") << "nothing restored before the first show";
    again.show();
    EXPECT_EQ(again.main()->EUserName->Text(), "scott");
    EXPECT_EQ(again.main()->EPassword->Text(), "");
    EXPECT_EQ(again.main()->SQL4->Text(), "select 4");
    EXPECT_EQ(again.main()->N->Lines().ToStringList(), QStringList({"a note"}));
    EXPECT_EQ(again.main()->FULLSQL3->Lines().ToStringList(), QStringList({"select 3", "  from t"}));
    EXPECT_EQ(again.main()->PFULL->Height(), 157);
    EXPECT_EQ(again.main()->Grid->Font().font.pointSize(), 17);
}

TEST(MainWindowLoginPostgres, WrongPasswordLeavesTheConnectionClosedAndTheRightOneConnects) {
    Workbench wb(Backend::Postgres);
    wb.show();
    wb.selectAlias();
    wb.main()->EUserName->SetText("zv_login");
    wb.main()->EPassword->SetText("wrong");
    Dispatch([&] { wb.main()->BConnectClick(nullptr); });
    EXPECT_FALSE(wb.main()->Database->Connected());
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_TRUE(testenv::Dialogs().boxes[0].text.contains("password authentication failed"))
        << testenv::Dialogs().boxes[0].text.toStdString();
    wb.main()->EPassword->SetText("zv_secret");
    wb.main()->BConnectClick(nullptr);
    EXPECT_TRUE(wb.main()->Database->Connected());
}

TEST(MainWindowStart, BrokenAliasFileIsReportedAndTheWindowStillOpens) {
    Workbench wb(Backend::Sqlite);
    testenv::WriteFile(testenv::Root() + "/../config/zorvantic/aliases.conf",
                       "[TEST]\nthis line is no setting\n");
    FIntro = new TForm(&wb.app());
    QPointer<QWidget> splash = FIntro->Widget();
    wb.show();
    EXPECT_TRUE(wb.main()->Visible());
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_TRUE(testenv::Dialogs().boxes[0].text.contains("aliases.conf"))
        << testenv::Dialogs().boxes[0].text.toStdString();
    EXPECT_EQ(wb.main()->DatabaseName->Items().Count(), 0);
    EXPECT_TRUE(splash.isNull()) << "the start-up went on: the splash is gone";
    EXPECT_EQ(FIntro, nullptr);
}

// A long alias file fills the alias box once, in one insertion of every name in file
// order, with nothing picked; a refresh replaces the list whole.
TEST(MainWindowStart, ALongAliasFileFillsTheBoxInOneStep) {
    Workbench wb(Backend::Sqlite);
    QByteArray conf;
    QStringList names;
    for (int i = 0; i < 3000; ++i) {
        names << QString("A%1").arg(2999 - i);
        conf += "[" + names.last().toUtf8() + "]\nTYPE=SQLITE\nPATH=c:\\db" + QByteArray::number(i) + "\n";
    }
    testenv::WriteFile(testenv::Root() + "/../config/zorvantic/aliases.conf", conf);
    QSignalSpy inserted(wb.main()->DatabaseName->Combo()->model(), &QAbstractItemModel::rowsInserted);
    wb.show();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(wb.main()->DatabaseName->Items().ToStringList(), names);
    EXPECT_EQ(wb.main()->DatabaseName->ItemIndex(), -1);
    wb.main()->DatabaseName->SetItemIndex(5);
    wb.main()->BRefreshBDEAliasesClick(nullptr);
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(wb.main()->DatabaseName->Items().Count(), 3000);
    EXPECT_EQ(wb.main()->DatabaseName->ItemIndex(), -1);
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

}  // namespace
