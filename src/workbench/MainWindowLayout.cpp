#include <QStyle>

#include "db/Catalog.h"
#include "db/DataSource.h"
#include "db/Database.h"
#include "db/Query.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ControlPlacement.h"
#include "framework/DBCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FormStorage.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/StorageBackends.h"
#include "workbench/MainWindow.h"

TFMain* FMain = nullptr;

namespace {

const QString kQueryFieldText = QStringLiteral("Undependent command line - write query and press Enter");

TSpeedButton* glyphButton(TComponent* owner, TWinControl* parent, const char* name, int left,
                          const QString& hint, QStyle::StandardPixmap glyph) {
    auto* b = Place<TSpeedButton>(owner, parent, name, left, 2, 25, 25);
    b->SetGlyph(StandardGlyph(glyph));
    b->SetHint(hint);
    b->SetShowHint(true);
    b->SetFlat(true);
    return b;
}

}  // namespace

TFMain::TFMain(TComponent* owner) : TForm(owner) {
    FMain = this;
    SetName(QStringLiteral("FMain"));
    SetCaption(QStringLiteral("Zorvantic"));
    SetClientSize(796, 516);
    SetPosition(TPosition::poScreenCenter);
    SetWindowState(TWindowState::wsMaximized);
    SetKeyPreview(true);
    SetShowHint(true);
    buildComponents();
    buildFrame();
    buildScriptsPage();
    buildQueriesPage();
    buildBigQueriesPage();
    buildAliasesPage();
    buildTablesPage();
    buildNotesAndHistoryPages();
    buildUpdatePage();
    buildSettingsPage();
    buildCubePage();
    buildOraclePage();
    PageControl1->SetActivePage(TabSheet2);
    bindHandlers();

    Storage = new TFormStorage(this);
    Storage->SetName(QStringLiteral("Storage"));
    Storage->SetBackend(RegistryStorage(QStringLiteral("Software\\Morvane\\TFMain")));
    Storage->StoredProps().Assign(QStringList{"Grid.Font",
                                              "N.Lines",
                                              "PFULL.Height",
                                              "FULLSQL1.Lines",
                                              "FULLSQL2.Lines",
                                              "FULLSQL3.Lines",
                                              "FULLSQL4.Lines",
                                              "FULLSQL5.Lines",
                                              "FULLSQL6.Lines",
                                              "ChStopOnError.Checked",
                                              "KindOfHint.ItemIndex",
                                              "DecisionSQL.Lines",
                                              "AfterClickInColumn.ItemIndex",
                                              "ObtainInExpression.ItemIndex",
                                              "SQL1.Text",
                                              "SQL2.Text",
                                              "SQL3.Text",
                                              "SQL4.Text",
                                              "SQL5.Text",
                                              "SQL6.Text",
                                              "EUserName.Text"});
}

TFMain::~TFMain() {
    if (FMain == this) FMain = nullptr;
}

void TFMain::buildComponents() {
    Database = new TDatabase(this);
    Database->SetName(QStringLiteral("Database"));
    Database->SetDatabaseName(QStringLiteral("X"));
    Database->SetLoginPrompt(true);
    Database->OnLogin = [this](TDatabase* db, TStrings& params) { DatabaseLogin(db, params); };
    // A transaction the server ended (lost session, failed COMMIT) shows as none at once.
    Database->OnTransactionEnd = [this](TDatabase*) { InTransactionClick(this); };

    auto query = [this](const char* name) {
        auto* q = new TQuery(this);
        q->SetName(QString::fromLatin1(name));
        q->SetDatabaseName(QStringLiteral("X"));
        return q;
    };
    auto source = [this](const char* name, TDataSet* ds) {
        auto* s = new TDataSource(this);
        s->SetName(QString::fromLatin1(name));
        s->SetDataSet(ds);
        return s;
    };
    MainQuery = query("MainQuery");
    DS1 = source("DS1", MainQuery);
    QueryFull = query("QueryFull");
    DSFull = source("DSFull", QueryFull);
    QueryAktualizacja = query("QueryAktualizacja");
    QueryAktualizacja->SetRequestLive(true);
    DSAktualizacja = source("DSAktualizacja", QueryAktualizacja);
    BDEItems = new TBDEItems(this);
    BDEItems->SetName(QStringLiteral("BDEItems"));
    DSBDEItems = source("DSBDEItems", BDEItems);
    DBItems = new TDatabaseItems(this);
    DBItems->SetName(QStringLiteral("DBItems"));
    DBItems->SetDatabaseName(QStringLiteral("X"));
    DSDBItems = source("DSDBItems", DBItems);
    TableItems = new TTableItems(this);
    TableItems->SetName(QStringLiteral("TableItems"));
    TableItems->SetDatabaseName(QStringLiteral("X"));
    DSTableItems = source("DSTableItems", TableItems);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName(QStringLiteral("OpenDialog1"));
    OpenDialog1->SetFilter(QStringLiteral("SQL|*.SQL|TXT|*.TXT|Wszystkie|*.*"));
    SD = new TSaveDialog(this);
    SD->SetName(QStringLiteral("SD"));
    SD->SetTitle(QStringLiteral("Zapisz jako..."));
    SD->SetFilter(QStringLiteral("sql|*.sql|wszystkie|*.*"));
    SD->SetDefaultExt(QStringLiteral("*.sql"));
    FD = new TFontDialog(this);
    FD->SetName(QStringLiteral("FD"));
}

void TFMain::buildFrame() {
    MainMenu = new TMainMenu(this);
    MainMenu->SetName(QStringLiteral("MainMenu"));
    auto item = [this](const char* name, const QString& caption) {
        auto* i = new TMenuItem(this, caption);
        i->SetName(QString::fromLatin1(name));
        return i;
    };
    Plik1 = item("Plik1", QStringLiteral("File"));
    Zakocz1 = item("Zakocz1", QStringLiteral("Close"));
    Plik1->Add(Zakocz1);
    Edycja1 = item("Edycja1", QStringLiteral("Edit"));
    Edycja1->SubMenu();
    Transakcja1 = item("Transakcja1", QStringLiteral("Transaction"));
    MIStartTransaction = item("MIStartTransaction", QStringLiteral("Start transaction"));
    MICommit = item("MICommit", QStringLiteral("Commit"));
    MIRollback = item("MIRollback", QStringLiteral("Rollback"));
    Transakcja1->Add(MIStartTransaction);
    Transakcja1->Add(MICommit);
    Transakcja1->Add(MIRollback);
    Pomoc1 = item("Pomoc1", QStringLiteral("Help"));
    Oprogramie1 = item("Oprogramie1", QStringLiteral("About"));
    Pomoc1->Add(Oprogramie1);
    for (TMenuItem* top : {Plik1, Edycja1, Transakcja1, Pomoc1}) MainMenu->Add(top);
    SetMenu(MainMenu);

    Panel1 = Dock<TPanel>(this, this, "Panel1", TAlign::alTop, 31);
    // Left to right, each control after the previous one.
    int x = 6;
    auto next = [&x](TControl* c, int gap = 4) {
        c->SetLeft(x);
        x += c->Width() + gap;
    };
    Label1 =
        Place<TLabel>(this, Panel1, "Label1", 0, 8, 0, 16, QStringLiteral("DB alias name:.............."));
    next(Label1);
    DatabaseName = Place<TComboBox>(this, Panel1, "DatabaseName", 0, 4, 170, 23);
    DatabaseName->SetStyle(TComboBoxStyle::csDropDownList);
    DatabaseName->SetDropDownCount(30);
    next(DatabaseName, 12);
    Label6 = Place<TLabel>(this, Panel1, "Label6", 0, 8, 0, 16, QStringLiteral("User name:..."));
    next(Label6);
    EUserName = Place<TEdit>(this, Panel1, "EUserName", 0, 4, 110, 23);
    next(EUserName, 12);
    Label7 = Place<TLabel>(this, Panel1, "Label7", 0, 8, 0, 16, QStringLiteral("Password:...."));
    next(Label7);
    EPassword = Place<TEdit>(this, Panel1, "EPassword", 0, 4, 110, 23);
    EPassword->SetPasswordChar(QChar('*'));
    next(EPassword, 10);
    BConnect =
        glyphButton(this, Panel1, "BConnect", 0, QStringLiteral("Connect"), QStyle::SP_DialogYesButton);
    next(BConnect, 10);
    BStartTransaction = glyphButton(this, Panel1, "BStartTransaction", 0, QStringLiteral("Start transaction"),
                                    QStyle::SP_MediaPlay);
    next(BStartTransaction, 1);
    BCommit = glyphButton(this, Panel1, "BCommit", 0, QStringLiteral("Commit"), QStyle::SP_DialogApplyButton);
    next(BCommit, 1);
    BRollback =
        glyphButton(this, Panel1, "BRollback", 0, QStringLiteral("Rollback"), QStyle::SP_DialogDiscardButton);
    next(BRollback, 10);
    BSuperUnion = glyphButton(this, Panel1, "BSuperUnion", 0, QStringLiteral("Super union"),
                              QStyle::SP_FileDialogListView);
    next(BSuperUnion, 2);
    SpeedButton2 = Place<TSpeedButton>(this, Panel1, "SpeedButton2", 0, 2, 30, 25, QStringLiteral("(*)"));
    next(SpeedButton2, 2);
    BMultifileExport = Place<TButton>(this, Panel1, "BMultifileExport", 0, 3, 34, 24, QStringLiteral("ME"));
    BMultifileExport->SetHint(QStringLiteral("Multifile export"));
    BMultifileExport->SetShowHint(true);
    next(BMultifileExport);

    PageControl1 = Dock<TPageControl>(this, this, "PageControl1", TAlign::alClient);
    auto page = [this](const char* name, const QString& caption) {
        auto* p = new TTabSheet(this, PageControl1);
        p->SetName(QString::fromLatin1(name));
        p->SetCaption(caption);
        return p;
    };
    TabSheet1 = page("TabSheet1", QStringLiteral("SQL Scripts"));
    TabSheet2 = page("TabSheet2", QStringLiteral("Queries"));
    Full = page("Full", QStringLiteral("Big Queries"));
    TabSheet3 = page("TabSheet3", QStringLiteral("BDE aliases"));
    TabSheet4 = page("TabSheet4", QStringLiteral("Tabs, Cols"));
    TSNotes = page("TSNotes", QStringLiteral("Notes"));
    TSQueriesHistory = page("TSQueriesHistory", QStringLiteral("Queries history"));
    TabSheet5 = page("TabSheet5", QStringLiteral("Update"));
    TabSheet6 = page("TabSheet6", QStringLiteral("Settings"));
    TabSheet7 = page("TabSheet7", QStringLiteral("Cube"));
    TSOracle = page("TSOracle", QStringLiteral("Oracle"));
}

void TFMain::buildScriptsPage() {
    PScriptTools = Dock<TPanel>(this, TabSheet1, "PScriptTools", TAlign::alTop, 30);
    BNew = glyphButton(this, PScriptTools, "BNew", 4, QStringLiteral("New"), QStyle::SP_FileIcon);
    Bload = glyphButton(this, PScriptTools, "Bload", 30, QStringLiteral("Open"), QStyle::SP_DialogOpenButton);
    BSave = glyphButton(this, PScriptTools, "BSave", 56, QStringLiteral("Save"), QStyle::SP_DialogSaveButton);
    BSaveAs =
        glyphButton(this, PScriptTools, "BSaveAs", 82, QStringLiteral("Save as"), QStyle::SP_DriveFDIcon);
    BExecSQL =
        glyphButton(this, PScriptTools, "BExecSQL", 116, QStringLiteral("Execute"), QStyle::SP_MediaPlay);
    BFontChange = glyphButton(this, PScriptTools, "BFontChange", 150, QStringLiteral("Change font"),
                              QStyle::SP_FileDialogDetailedView);
    BNotePad = glyphButton(this, PScriptTools, "BNotePad", 176, QStringLiteral("Open with notepad"),
                           QStyle::SP_FileDialogContentsView);
    BTool = glyphButton(this, PScriptTools, "BTool", 202, QStringLiteral("Toolbar"),
                        QStyle::SP_ToolBarHorizontalExtensionButton);
    BTool->SetGroupIndex(1);
    BTool->SetAllowAllUp(true);
    BZamknij = glyphButton(this, PScriptTools, "BZamknij", 236, QStringLiteral("Close"),
                           QStyle::SP_DialogCloseButton);
    LFileName = Place<TLabel>(this, PScriptTools, "LFileName", 272, 8, 300, 16, QStringLiteral("."));
    SpeedButton3 =
        Place<TSpeedButton>(this, PScriptTools, "SpeedButton3", 600, 2, 80, 25, QStringLiteral("Converter"));
    SpeedButton4 = Place<TSpeedButton>(this, PScriptTools, "SpeedButton4", 684, 2, 120, 25,
                                       QStringLiteral("Create sample data"));

    PErrors = Dock<TPanel>(this, TabSheet1, "PErrors", TAlign::alBottom, 130);
    PErrors->SetBevel(false);
    auto* errorsHead = Dock<TPanel>(this, PErrors, "PErrorsHead", TAlign::alTop, 24);
    errorsHead->SetBevel(false);
    LErrors = Place<TLabel>(this, errorsHead, "LErrors", 4, 4, 100, 16, QStringLiteral("Error messages"));
    ChStopOnError =
        Place<TCheckBox>(this, errorsHead, "ChStopOnError", 140, 2, 120, 20, QStringLiteral("Stop on error"));
    ChStopOnError->SetChecked(true);
    MErrorsAndWarnings = Dock<TMemo>(this, PErrors, "MErrorsAndWarnings", TAlign::alClient);
    PaintWorkingArea(MErrorsAndWarnings, true);
    TFont aqua = MErrorsAndWarnings->Font();
    aqua.color = clAqua;
    MErrorsAndWarnings->SetFont(aqua);
    MErrorsAndWarnings->SetScrollBars(TScrollStyle::ssBoth);
    MErrorsAndWarnings->SetWordWrap(false);

    ScriptStatusBar = Dock<TStatusBar>(this, TabSheet1, "ScriptStatusBar", TAlign::alBottom, 20);
    for (int i = 0; i < 3; ++i) ScriptStatusBar->AddPanel(50);
    ScriptStatusBar->AddPanel(160);  // the statements a script run has executed

    AssistMemo = Dock<TMemo>(this, TabSheet1, "AssistMemo", TAlign::alRight, 260);
    EScript = Dock<TMemo>(this, TabSheet1, "EScript", TAlign::alClient);
    for (TMemo* m : {EScript, AssistMemo}) {
        PaintWorkingArea(m, true);
        m->SetScrollBars(TScrollStyle::ssBoth);
        m->SetWordWrap(false);
        m->SetWantTabs(true);
    }
}

void TFMain::buildQueriesPage() {
    PQueries = Dock<TPanel>(this, TabSheet2, "PQueries", TAlign::alTop, 6 * 24 + 8);
    PQueries->SetBevel(false);
    const char* names[] = {"SQL1", "SQL2", "SQL3", "SQL4", "SQL5", "SQL6"};
    TEdit** fields[] = {&SQL1, &SQL2, &SQL3, &SQL4, &SQL5, &SQL6};
    for (int i = 0; i < 6; ++i) {
        TEdit* e = Place<TEdit>(this, PQueries, names[i], 4, 4 + 24 * i, 1000, 23);
        e->SetText(kQueryFieldText);
        PaintWorkingArea(e);
        *fields[i] = e;
    }
    BWykonaj = Place<TButton>(this, PQueries, "BWykonaj", 1008, 4, 15, 23);
    BWykonaj->SetDefault(true);
    Light = Place<TShape>(this, PQueries, "Light", 1030, 6, 20, 20);
    Light->SetShape(TShapeType::stCircle);
    Light->SetBrushColor(clGreen);
    BFont = glyphButton(this, PQueries, "BFont", 1056, QStringLiteral("Change font"),
                        QStyle::SP_FileDialogDetailedView);
    BSQL = glyphButton(this, PQueries, "BSQL", 1082, QStringLiteral("Get fields"),
                       QStyle::SP_FileDialogInfoView);
    BExport =
        glyphButton(this, PQueries, "BExport", 1108, QStringLiteral("Export"), QStyle::SP_DialogSaveButton);
    for (TSpeedButton* b : {BFont, BSQL, BExport}) b->SetTop(4);
    TABELA = Place<TLabel>(this, PQueries, "TABELA", 1030, 40, 100, 16);
    TABELA->SetVisible(false);

    PStatus = Dock<TPanel>(this, TabSheet2, "PStatus", TAlign::alBottom, 22);
    PStatus->SetBevel(false);
    Zliczaj = Dock<TSpeedButton>(this, PStatus, "Zliczaj", TAlign::alLeft, 22);
    Zliczaj->SetCaption(QStringLiteral("#"));
    Zliczaj->SetHint(QStringLiteral("Zlicz rekordy wyświetlane w siatce"));
    Zliczaj->SetShowHint(true);
    StatusBar = Dock<TStatusBar>(this, PStatus, "StatusBar", TAlign::alClient);
    StatusBar->AddPanel(100, true);
    StatusBar->AddPanel(100, true);
    StatusBar->AddPanel(400);

    Grid = Dock<TDBGrid>(this, TabSheet2, "Grid", TAlign::alClient);
    Grid->SetDataSource(DS1);
    Grid->SetReadOnly(true);
    PaintWorkingArea(Grid);
    GridPopup = new TPopupMenu(this);
    GridPopup->SetName(QStringLiteral("GridPopup"));
    Zapiszwynik1 = new TMenuItem(this, QStringLiteral("Zapisz wynik"));
    Zapiszwynik1->SetName(QStringLiteral("Zapiszwynik1"));
    GridPopup->Add(Zapiszwynik1);
    Grid->SetPopupMenu(GridPopup);
}

void TFMain::buildBigQueriesPage() {
    PFULL = Dock<TPanel>(this, Full, "PFULL", TAlign::alTop, 200);
    PFULL->SetBevel(false);
    BitBtn3 = Dock<TButton>(this, PFULL, "BitBtn3", TAlign::alRight, 90);
    BitBtn3->SetCaption(QStringLiteral("&Refresh"));
    PAGESQL = Dock<TPageControl>(this, PFULL, "PAGESQL", TAlign::alClient);
    const char* pageNames[] = {"TSFULL1", "TSFULL2", "TSFULL3", "TSFULL4", "TSFULL5", "TSFULL6", "TSFULL"};
    const char* memoNames[] = {"FULLSQL1", "FULLSQL2", "FULLSQL3", "FULLSQL4",
                               "FULLSQL5", "FULLSQL6", "FULLSQL"};
    TMemo** memos[] = {&FULLSQL1, &FULLSQL2, &FULLSQL3, &FULLSQL4, &FULLSQL5, &FULLSQL6, &FULLSQL};
    for (int i = 0; i < 7; ++i) {
        auto* p = new TTabSheet(this, PAGESQL);
        p->SetName(QString::fromLatin1(pageNames[i]));
        p->SetCaption(i < 6 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("<NIEWIDOCZNA>"));
        TMemo* m = Dock<TMemo>(this, p, memoNames[i], TAlign::alClient);
        PaintWorkingArea(m, true);
        m->SetWordWrap(false);
        m->SetScrollBars(TScrollStyle::ssBoth);
        m->SetWantTabs(true);
        *memos[i] = m;
        if (i == 6) p->SetTabVisible(false);
    }
    Splitter1 = Dock<TSplitter>(this, Full, "Splitter1", TAlign::alTop, 5);
    DBGrid3 = Dock<TDBGrid>(this, Full, "DBGrid3", TAlign::alClient);
    DBGrid3->SetDataSource(DSFull);
    DBGrid3->SetReadOnly(true);
    PaintWorkingArea(DBGrid3);
}

void TFMain::buildAliasesPage() {
    auto* top = Dock<TPanel>(this, TabSheet3, "PAliases", TAlign::alTop, 32);
    top->SetBevel(false);
    BRefreshBDEAliases =
        Place<TButton>(this, top, "BRefreshBDEAliases", 4, 4, 90, 24, QStringLiteral("Refresh"));
    DBGrid2 = Dock<TDBGrid>(this, TabSheet3, "DBGrid2", TAlign::alClient);
    DBGrid2->SetDataSource(DSBDEItems);
    DBGrid2->SetReadOnly(true);
}

void TFMain::buildTablesPage() {
    auto* top = Dock<TPanel>(this, TabSheet4, "PTables", TAlign::alTop, 32);
    top->SetBevel(false);
    RefreshTables = Place<TButton>(this, top, "RefreshTables", 4, 4, 90, 24, QStringLiteral("Refresh"));
    RefreshItems = Place<TButton>(this, top, "RefreshItems", 360, 4, 90, 24, QStringLiteral("Refresh"));
    DBTabele = Dock<TDBGrid>(this, TabSheet4, "DBTabele", TAlign::alLeft, 350);
    DBTabele->SetDataSource(DSDBItems);
    DBTabele->SetReadOnly(true);
    Etems = Dock<TDBGrid>(this, TabSheet4, "Etems", TAlign::alClient);
    Etems->SetDataSource(DSTableItems);
    Etems->SetReadOnly(true);
}

void TFMain::buildNotesAndHistoryPages() {
    N = Dock<TMemo>(this, TSNotes, "N", TAlign::alClient);
    H = Dock<TMemo>(this, TSQueriesHistory, "H", TAlign::alClient);
    for (TMemo* m : {N, H}) {
        PaintWorkingArea(m, true);
        m->SetScrollBars(TScrollStyle::ssBoth);
        m->SetWordWrap(false);
    }
}

void TFMain::buildUpdatePage() {
    auto* top = Dock<TPanel>(this, TabSheet5, "PUpdate", TAlign::alTop, 116);
    top->SetBevel(false);
    LTable = Place<TLabel>(this, top, "LTable", 6, 8, 200, 16,
                           QStringLiteral("Table:....................................."));
    NazwaTabeli = Place<TComboBox>(this, top, "NazwaTabeli", 210, 4, 300, 23);
    NazwaTabeli->SetStyle(TComboBoxStyle::csDropDown);
    LWhere =
        Place<TLabel>(this, top, "LWhere", 6, 36, 200, 16, QStringLiteral("WHERE clause.................."));
    WHERE = Place<TEdit>(this, top, "WHERE", 210, 32, 560, 23);
    LOrder =
        Place<TLabel>(this, top, "LOrder", 6, 64, 200, 16, QStringLiteral("ORDER BY clause..............."));
    ORDER = Place<TEdit>(this, top, "ORDER", 210, 60, 560, 23);
    BWykonajAktualizacja =
        Place<TButton>(this, top, "BWykonajAktualizacja", 520, 4, 90, 24, QStringLiteral("Execute"));
    DBNavigator1 = Place<TDBNavigator>(this, top, "DBNavigator1", 210, 88, 270, 25);
    DBNavigator1->SetDataSource(DSAktualizacja);
    GridAktualizacja = Dock<TDBGrid>(this, TabSheet5, "GridAktualizacja", TAlign::alClient);
    GridAktualizacja->SetDataSource(DSAktualizacja);
    PaintWorkingArea(GridAktualizacja);
}

void TFMain::buildSettingsPage() {
    KindOfHint = Place<TRadioGroup>(this, TabSheet6, "KindOfHint", 8, 8, 320, 110,
                                    QStringLiteral("Kind of suggestion"));
    KindOfHint->Items().Assign(
        QStringList{"Table names (recommended)", "Table names and column names", "Dont suggest"});
    KindOfHint->SetItemIndex(0);
    GroupBox1 =
        Place<TGroupBox>(this, TabSheet6, "GroupBox1", 8, 126, 320, 330, QStringLiteral("Suggestions"));
    HINTS = Place<TMemo>(this, GroupBox1, "HINTS", 8, 20, 304, 302);
    HINTS->SetScrollBars(TScrollStyle::ssVertical);
    HINTS->SetWordWrap(false);
    AfterClickInColumn =
        Place<TRadioGroup>(this, TabSheet6, "AfterClickInColumn", 340, 8, 460, 230,
                           QStringLiteral("After clicking in column header in the clipboard set"));
    AfterClickInColumn->Items().Assign(QStringList{
        "Column name", "Column name in (<list of values in col>)",
        "<list of values in col> separated with comma", "<list of values in col> separated with CR",
        "Column names", "(<list of values in 1 row>)", "Do nothing", "Ask"});
    AfterClickInColumn->SetItemIndex(0);
    ObtainInExpression = Place<TRadioGroup>(this, TabSheet6, "ObtainInExpression", 340, 246, 460, 110,
                                            QStringLiteral("During obtain <list of values>"));
    ObtainInExpression->Items().Assign(
        QStringList{"recognize type of field", "set type = text ('012')", "set type = not text (12)"});
    ObtainInExpression->SetItemIndex(0);
}
