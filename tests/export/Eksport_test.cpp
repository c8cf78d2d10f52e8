#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

#include "ExportTestSupport.h"
#include "common/FileMode.h"
#include "db/Query.h"
#include "export/Eksport.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Grids.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include "rtl/Exception.h"

using exporttest::Backend;
using exporttest::FileBytes;
using exporttest::Source;

namespace {

QStringList row(int r) {
    QStringList cells;
    for (int c = 0; c < 5; ++c) cells << FEksport->Configuration->Cells(c, r);
    return cells;
}

// Records the programs the export would start instead of starting them.
class Launches {
  public:
    Launches() {
        platform::SetCommandRunner([this](const platform::ProcessRequest& r) {
            started << r.program + " " + r.arguments.join(" ");
            return true;
        });
    }
    ~Launches() { platform::SetCommandRunner({}); }
    QStringList started;
};

class ColumnTypes : public ::testing::TestWithParam<Backend> {};

TEST_P(ColumnTypes, EveryFieldClassGetsItsDefaultRow) {
    Source src(GetParam());
    const bool pg = GetParam() == Backend::Postgres;
    src.exec(pg ? "CREATE TABLE t (i INTEGER, s SMALLINT, v VARCHAR(30), f DOUBLE PRECISION, m MONEY, "
                  "d TIMESTAMP, dd DATE, b BIGINT, x TEXT, n NUMERIC(10,2), l BOOLEAN)"
                : "CREATE TABLE t (i INTEGER, s SMALLINT, v VARCHAR(30), f REAL, m MONEY, "
                  "d DATETIME, dd DATE, b BIGINT, x TEXT, n DECIMAL(10,2), l BOOLEAN)");
    src.open("SELECT * FROM t");
    ShowEksport(src.query(), src.grid(), "");
    ASSERT_EQ(FEksport->Configuration->RowCount(), 12);
    EXPECT_EQ(row(0), QStringList({"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"}));
    EXPECT_EQ(row(1), QStringList({"i", "NUMBER(10)", "", "", ""}));
    EXPECT_EQ(row(2), QStringList({"s", "NUMBER(10)", "", "", ""}));
    EXPECT_EQ(row(3), QStringList({"v", "VARCHAR2(30)", "'", "'", ""}));
    EXPECT_EQ(row(4), QStringList({"f", "NUMBER(10,2)", "", "", "Wątpliwa długość pola"}));
    EXPECT_EQ(row(5), QStringList({"m", "NUMBER(10,2)", "", "", "Wątpliwa długość pola"}));
    EXPECT_EQ(row(6), QStringList({"d", "DATE", "TO_DATE('", "','yyyy.mm.dd')", "Wątpliwa maska pola"}));
    EXPECT_EQ(row(7), QStringList({"dd", "DATE", "TO_DATE('", "','yyyy.mm.dd')", "Wątpliwa maska pola"}));
    EXPECT_EQ(row(8), QStringList({"b", "VARCHAR2(15)", "'", "'", "Nieznany typ pola"}));
    EXPECT_EQ(row(9), QStringList({"x", "VARCHAR2(2000)", "'", "'", "Pole typu MEMO"}));
    EXPECT_EQ(row(10)[4], "Nieznany typ pola");
    EXPECT_EQ(row(11)[4], "Nieznany typ pola");
    EXPECT_EQ(FEksport->TABLENAME->Text(), "T");
}

TEST_P(ColumnTypes, ExpressionsWithoutADeclaredTypeTakeTheirFirstValuesType) {
    Source src(GetParam());
    const bool pg = GetParam() == Backend::Postgres;
    src.open("SELECT 1+1 AS a, 'abc' AS b, 2.5 AS c, 10000000000 AS d");
    ShowEksport(src.query(), src.grid(), "");
    ASSERT_EQ(FEksport->Configuration->RowCount(), 5);
    EXPECT_EQ(row(1), QStringList({"a", "NUMBER(10)", "", "", ""}));
    if (pg) {
        // A literal is text (a memo) and a decimal literal numeric without a declared size.
        EXPECT_EQ(row(2), QStringList({"b", "VARCHAR2(2000)", "'", "'", "Pole typu MEMO"}));
        EXPECT_EQ(row(3), QStringList({"c", "VARCHAR2(10)", "'", "'", "Nieznany typ pola"}));
    } else {
        EXPECT_EQ(row(2), QStringList({"b", "VARCHAR2(255)", "'", "'", ""}));
        EXPECT_EQ(row(3), QStringList({"c", "NUMBER(10,2)", "", "", "Wątpliwa długość pola"}));
    }
    EXPECT_EQ(row(4), QStringList({"d", "VARCHAR2(15)", "'", "'", "Nieznany typ pola"}));

    // With no row to look at, an expression is text.
    if (!pg) {
        src.open("SELECT 1+1 AS a FROM (SELECT 1) WHERE 0");
        ShowEksport(src.query(), src.grid(), "");
        EXPECT_EQ(row(1), QStringList({"a", "VARCHAR2(255)", "'", "'", ""}));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ColumnTypes, testing::Values(Backend::Sqlite, Backend::Postgres),
                         exporttest::ParamName);

class ExportWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        src.exec("CREATE TABLE emp (id INTEGER, name VARCHAR(10), hired DATE)");
        src.exec("INSERT INTO emp VALUES (1, 'Ann', NULL)");
        src.open("SELECT id, name FROM emp");
    }
    Source src;
    Launches launches;
};

TEST_F(ExportWindow, AFileThatCannotBeOpenedAfterGeneratingIsAnErrorNamingIt) {
    ShowEksport(src.query(), src.grid(), "");
    platform::SetCommandRunner([](const platform::ProcessRequest&) -> bool {
        throw EInOutError("no program is set up to open files of this kind");
    });
    TFEksport* f = FEksport;
    f->PageControl->SetActivePage(f->TabSheet1);
    f->RunAfterGenerating->SetChecked(true);
    testenv::Dialogs().clear();
    f->BitBtn9->Click();
    EXPECT_EQ(exporttest::FileBytes("c:\\1.txt"), "\"id\",\"name\"\r\n\"1\",\"Ann\"\r\n");
    EXPECT_EQ(
        testenv::Dialogs().boxTexts(),
        QStringList{"Cannot open file \"c:\\1.txt\": no program is set up to open files of this kind."});
    f->Close();
}

TEST_F(ExportWindow, StartsWithTheDesignedOptions) {
    TFEksport* f = FEksport;
    EXPECT_EQ(f->PageControl->ActivePage(), f->TabSheet2);
    EXPECT_EQ(f->FileName->Text(), "c:\\1.txt");
    EXPECT_EQ(f->Sep->Text(), ",");
    EXPECT_EQ(f->Ogranicznik->Text(), "\"");
    EXPECT_FALSE(f->Transpon->Checked());
    EXPECT_TRUE(f->RunAfterGenerating->Checked());
    EXPECT_EQ(f->FileName2->Text(), "C:\\skrypt.sql");
    EXPECT_EQ(f->TABLENAME->Text(), "Nazwa_tabeli");
    EXPECT_EQ(f->InsertCR->Text(), "4");
    EXPECT_EQ(f->EmptyValue->Text(), "NULL");
    EXPECT_TRUE(f->RunAfterGenerating2->Checked());
    EXPECT_TRUE(f->Srednik->Checked());
    EXPECT_FALSE(f->EmptyLine->Checked());
    EXPECT_TRUE(f->CreateTable->Checked());
    EXPECT_TRUE(f->CheckBox1->Checked());
    EXPECT_FALSE(f->CheckBox1->Enabled());
    EXPECT_TRUE(f->CHBLOCK->Checked());
    EXPECT_EQ(f->Edit1->Text(), "TYPY PÓL - ORACLE");

    // The first showing restores nothing stored yet: the options stay (the guessed
    // table name replaces the default one), and the export writes them.
    src.exec("INSERT INTO emp VALUES (2, NULL, NULL)");
    src.open("SELECT id, name FROM emp ORDER BY id");
    ShowEksport(src.query(), src.grid(), "");
    EXPECT_EQ(f->InsertCR->Text(), "4");
    f->RunAfterGenerating2->SetChecked(false);
    f->BitBtn9->Click();
    EXPECT_EQ(exporttest::FileBytes("C:\\skrypt.sql"),
              "CREATE TABLE EMP (\r\nid\tNUMBER(10),\r\nname\tVARCHAR2(10));\r\n"
              "INSERT INTO EMP (id,name) VALUES (\r\n1,'Ann');\r\n"
              "INSERT INTO EMP (id,name) VALUES (\r\n2,NULL\r\n);\r\n");
    f->PageControl->SetActivePage(f->TabSheet1);
    f->RunAfterGenerating->SetChecked(false);
    f->BitBtn9->Click();
    EXPECT_EQ(exporttest::FileBytes("c:\\1.txt"), "\"id\",\"name\"\r\n\"1\",\"Ann\"\r\n\"2\",\"\"\r\n");
    // The text page takes its options from the window.
    f->FileName->SetText("out.txt");
    f->Ogranicznik->SetText("");
    f->BitBtn9->Click();
    EXPECT_EQ(FileBytes("out.txt"), "id,name\r\n1,Ann\r\n2,\r\n");
    EXPECT_TRUE(launches.started.isEmpty());
}

TEST_F(ExportWindow, SecondPreparationWarnsAndRebuildsCloseAndEscEndIt) {
    ShowEksport(src.query(), src.grid(), "");
    EXPECT_TRUE(FEksport->Visible());
    EXPECT_TRUE(ExportRunning);
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
    EXPECT_EQ(FEksport->PageControl->ActivePage(), FEksport->TabSheet2);

    src.open("SELECT name, hired, id FROM emp e");
    FEksport->TABLENAME->SetText("TYPED");
    ShowEksport(src.query(), src.grid(), "");
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Eksport jest już uruchomiony"}));
    ASSERT_EQ(FEksport->Configuration->RowCount(), 4);
    EXPECT_EQ(row(1)[0], "name");
    EXPECT_EQ(row(2)[1], "DATE");
    // Already visible: nothing is restored, the guessed name stays.
    EXPECT_EQ(FEksport->TABLENAME->Text(), "EMP");

    FEksport->BClose->Click();
    EXPECT_FALSE(FEksport->Visible());
    EXPECT_FALSE(ExportRunning);

    // Esc closes it like the close button.
    ShowEksport(src.query(), src.grid(), "");
    exporttest::PressEscape(FEksport->Sep, FEksport->Sep->LineEdit());
    EXPECT_FALSE(FEksport->Visible());
    EXPECT_FALSE(ExportRunning);
}

TEST_F(ExportWindow, StoredOptionsComeBackTrimmedOnEveryShowing) {
    ShowEksport(src.query(), src.grid(), "");
    FEksport->TABLENAME->SetText("STORED");
    FEksport->Sep->SetText("\t");
    FEksport->Transpon->SetChecked(true);
    FEksport->Close();
    ShowEksport(src.query(), src.grid(), "");
    EXPECT_EQ(FEksport->TABLENAME->Text(), "STORED");
    EXPECT_EQ(FEksport->Sep->Text(), "");
    EXPECT_TRUE(FEksport->Transpon->Checked());
}

TEST_F(ExportWindow, OptionsAreSavedWhenTheOpenWindowIsDestroyedAtExit) {
    ShowEksport(src.query(), src.grid(), "");
    FEksport->TABLENAME->SetText("ATEXIT");
    FEksport->Sep->SetText(";");
    delete FEksport;
    EXPECT_EQ(FEksport, nullptr);
    platform::TRegistry reg(platform::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKey("Software\\Veri", false));
    EXPECT_EQ(reg.ReadString("TABLENAME.Text"), "ATEXIT");
    EXPECT_EQ(reg.ReadString("Sep.Text"), ";");
}

TEST_F(ExportWindow, DoubtfulStatusLocksTheScriptUntilEmptiedOrUnlocked) {
    src.open("SELECT id, hired FROM emp");
    ShowEksport(src.query(), src.grid(), "");
    FEksport->FileName2->SetText("out.sql");
    FEksport->Configuration->SetRow(2);
    FEksport->BitBtn7->Click();
    EXPECT_EQ(row(2), QStringList({"hired", "DATE", "TO_DATE('", "','YYYY.MM.DD')", "Wątpliwa maska pola"}));
    FEksport->BitBtn9->Click();
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_TRUE(testenv::Dialogs().boxes[0].text.startsWith("Są kolumny o wątpliwym statusie."));
    EXPECT_FALSE(exporttest::FileExists("out.sql"));
    EXPECT_TRUE(launches.started.isEmpty());

    FEksport->Configuration->SetCells(4, 2, "   ");
    FEksport->BitBtn9->Click();
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_TRUE(FileBytes("out.sql").startsWith("CREATE TABLE EMP (\r\nid\tNUMBER(10),\r\nhired\tDATE);"));
    EXPECT_EQ(launches.started, QStringList({"xdg-open out.sql"}));
}

TEST_F(ExportWindow, TypeActionsWriteTheCurrentRowOnly) {
    ShowEksport(src.query(), src.grid(), "");
    FEksport->Configuration->SetRow(1);
    FEksport->OracleVARCHAR21->Click();
    EXPECT_EQ(row(1), QStringList({"id", "VARCHAR2(255)", "'", "'", ""}));
    FEksport->BitBtn8->Click();
    EXPECT_EQ(row(1), QStringList({"id", "NUMBER(14,2)", "", "", ""}));
    EXPECT_EQ(row(2), QStringList({"name", "VARCHAR2(10)", "'", "'", ""}));
}

TEST_F(ExportWindow, ConfigurationFilesSaveAndLoadThroughTheDialogs) {
    ShowEksport(src.query(), src.grid(), "");
    FEksport->Configuration->SetCells(1, 2, "VARCHAR2(99)");
    FEksport->CheckBox1->SetChecked(false);
    testenv::Dialogs().fileAnswers = {std::nullopt, QString("saved.cfg")};
    FEksport->BSaveAs->Click();
    EXPECT_FALSE(exporttest::FileExists("saved.cfg"));
    FEksport->BSaveAs->Click();
    ASSERT_EQ(testenv::Dialogs().records.size(), 2u);
    EXPECT_EQ(testenv::Dialogs().records[0].text, "default");
    EXPECT_EQ(FileBytes("saved.cfg").count("\r\n"), 26);

    // Another query with as many columns takes the saved names and types by position.
    src.open("SELECT name, id FROM emp");
    FEksport->CheckBox1->SetChecked(true);
    ShowEksport(src.query(), src.grid(), "");
    FileMode = fmOpenReadWrite;
    testenv::Dialogs().fileAnswers = {QString("saved.cfg")};
    FEksport->BOpen->Click();
    EXPECT_EQ(row(1)[0], "id");
    EXPECT_EQ(row(2)[1], "VARCHAR2(99)");
    EXPECT_FALSE(FEksport->CheckBox1->Checked());
    EXPECT_EQ(FileMode, fmOpenRead);
}

TEST_F(ExportWindow, ConfigurationForAnotherColumnCountIsRefusedUnchanged) {
    ShowEksport(src.query(), src.grid(), "");
    testenv::WriteFile("bad.cfg", "abc\r\n");
    testenv::WriteFile("three.cfg", "4\r\n");
    FEksport->TABLENAME->SetText("KEEP");
    FEksport->LoadConfiguration("bad.cfg");
    FEksport->LoadConfiguration("three.cfg");
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"Plik konfiguracyjny nie odpowiada zawartości siatki",
                           "Plik konfiguracyjny nie odpowiada zawartości siatki"}));
    EXPECT_EQ(FEksport->TABLENAME->Text(), "KEEP");
    EXPECT_EQ(FEksport->Configuration->RowCount(), 3);
    EXPECT_THROW(FEksport->LoadConfiguration("missing.cfg"), EInOutError);
}

// Writes a configuration for the two columns of SetUp's query, with nothing doubtful.
void writeTwoColumnConfiguration(const QString& fileName, const QString& output) {
    exporttest::SaveInsertConfiguration(
        fileName, output, "EMP", {{"ID", "NUMBER(10)", "", "", ""}, {"NAME", "VARCHAR2(10)", "'", "'", ""}});
}

TEST_F(ExportWindow, UnattendedPreparationExportsAsksToEndAndStillShows) {
    writeTwoColumnConfiguration("emp.cfg", "emp.sql");
    FEksport->PageControl->SetActivePage(FEksport->TabSheet2);
    ShowEksport(src.query(), src.grid(), "emp.cfg");
    EXPECT_EQ(FileBytes("emp.sql"), "INSERT INTO EMP (ID,NAME) VALUES (1,'Ann');\r\n");
    EXPECT_TRUE(src.app().Terminated());
    EXPECT_TRUE(FEksport->Visible());
    EXPECT_FALSE(ExportRunning);
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
}

TEST_F(ExportWindow, BlankConfigNameOnlyShowsAndLeadingBlanksArePartOfTheName) {
    writeTwoColumnConfiguration(" lead.cfg", "lead.sql");
    ShowEksport(src.query(), src.grid(), "   ");
    EXPECT_FALSE(src.app().Terminated());
    FEksport->Close();
    ShowEksport(src.query(), src.grid(), " lead.cfg");
    EXPECT_EQ(FileBytes("lead.sql"), "INSERT INTO EMP (ID,NAME) VALUES (1,'Ann');\r\n");
}

TEST_F(ExportWindow, MissingConfigurationLeavesBeforeExportEndAndShow) {
    EXPECT_THROW(ShowEksport(src.query(), src.grid(), "missing.cfg"), EInOutError);
    EXPECT_FALSE(src.app().Terminated());
    EXPECT_FALSE(FEksport->Visible());
    EXPECT_TRUE(ExportRunning);
}

TEST_F(ExportWindow, UnopenedQueryStopsTheUnattendedExportBeforeTheEndRequest) {
    writeTwoColumnConfiguration("one.cfg", "never.sql");
    testenv::WriteFile("one.cfg",
                       "1\r\nNazwa pola\r\nTyp pola\r\nPrzedrostek\r\nPrzyrostek\r\nStatus\r\n"
                       "closed.sql\r\nT\r\n4\r\nNULL\r\nFALSE\r\nTRUE\r\nFALSE\r\nTRUE\r\nTRUE\r\nTRUE\r\n");
    src.query()->Close();
    EXPECT_THROW(ShowEksport(src.query(), src.grid(), "one.cfg"), EDatabaseError);
    EXPECT_EQ(FileBytes("closed.sql"), "CREATE TABLE T (\r\n);\r\n");
    EXPECT_FALSE(src.app().Terminated());
}

TEST_F(ExportWindow, CharacterOutsideTheCodePageReachesTheErrorBox) {
    src.exec("INSERT INTO emp VALUES (2, 'Жук', NULL)");
    src.open("SELECT id, name FROM emp ORDER BY id");
    ShowEksport(src.query(), src.grid(), "");
    FEksport->FileName2->SetText("out.sql");
    FEksport->BitBtn9->Click();
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].text,
              "Cannot write file \"out.sql\": the character \"Ж\" in column \"name\", row 2 cannot be saved "
              "in Windows-1250.");
    EXPECT_TRUE(launches.started.isEmpty());
    EXPECT_TRUE(FileBytes("out.sql").endsWith("VALUES (\r\n2,'"));

    // Unattended, the error leaves before the end request, as every export error does.
    writeTwoColumnConfiguration("bad.cfg", "bad.sql");
    FEksport->Close();
    EXPECT_THROW(ShowEksport(src.query(), src.grid(), "bad.cfg"), EInOutError);
    EXPECT_FALSE(src.app().Terminated());
}

}  // namespace

// The export window stays on top: a box it raises must come up above it, owned by it and
// on top as well, or the program looks frozen behind the window.
TEST_F(ExportWindow, BoxesRaisedFromTheWindowComeUpAboveIt) {
    ShowEksport(src.query(), src.grid(), "");
    QWidget* window = FEksport->Widget();
    ASSERT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QApplication::setActiveWindow(window);
    ASSERT_EQ(QApplication::activeWindow(), window);

    platform::SetDialogs(nullptr);  // the real boxes
    QWidget* parent = nullptr;
    QWindow* transientParent = nullptr;
    bool onTop = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        parent = box->parentWidget();
        transientParent = box->windowHandle() ? box->windowHandle()->transientParent() : nullptr;
        onTop = box->windowFlags() & Qt::WindowStaysOnTopHint;
        box->close();
    });
    ShowEksport(src.query(), src.grid(), "");  // "Eksport jest już uruchomiony"
    platform::SetDialogs(&testenv::Dialogs());
    EXPECT_EQ(parent, window);
    EXPECT_EQ(transientParent, window->windowHandle());
    EXPECT_TRUE(onTop);
}
