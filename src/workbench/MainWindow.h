#pragma once

#include <QString>
#include <QStringList>

#include "framework/Forms.h"

class TBitBtn;
class TButton;
class TCheckBox;
class TComboBox;
class TDBGrid;
class TDBNavigator;
class TDataSource;
class TDatabase;
class TDatabaseItems;
class TBDEItems;
class TEdit;
class TFontDialog;
class TFormStorage;
class TGroupBox;
class TLabel;
class TMainMenu;
class TMemo;
class TMenuItem;
class TOpenDialog;
class TPageControl;
class TPanel;
class TPopupMenu;
class TQuery;
class TRadioGroup;
class TSaveDialog;
class TShape;
class TSpeedButton;
class TSplitter;
class TStatusBar;
class TTabSheet;
class TTableItems;
struct TColumn;
class EDatabaseError;
class TCubeProgressDialog;
class TDecisionCube;
class TDecisionGrid;
class TDecisionPivot;
class TDecisionQuery;
class TDecisionSource;

// The workbench: the one database connection "X", the main query and its grid, the
// table suggestion list and eleven working pages. Each page's behaviour lives in a
// source file of its own (MainWindow*.cpp).
class TFMain : public TForm {
  public:
    explicit TFMain(TComponent* owner);
    ~TFMain() override;

    // ---- top panel, menu and pages ----
    TPanel* Panel1;
    TLabel* Label1;
    TComboBox* DatabaseName;
    TLabel* Label6;
    TEdit* EUserName;
    TLabel* Label7;
    TEdit* EPassword;
    TSpeedButton* BConnect;
    TSpeedButton* BStartTransaction;
    TSpeedButton* BCommit;
    TSpeedButton* BRollback;
    TSpeedButton* BSuperUnion;
    TSpeedButton* SpeedButton2;
    TButton* BMultifileExport;
    TMainMenu* MainMenu;
    TMenuItem* Plik1;
    TMenuItem* Zakocz1;
    TMenuItem* Edycja1;
    TMenuItem* Transakcja1;
    TMenuItem* MIStartTransaction;
    TMenuItem* MICommit;
    TMenuItem* MIRollback;
    TMenuItem* Pomoc1;
    TMenuItem* Oprogramie1;
    TPageControl* PageControl1;
    TTabSheet* TabSheet1;  // "SQL Scripts"
    TTabSheet* TabSheet2;  // "Queries"
    TTabSheet* Full;       // "Big Queries"
    TTabSheet* TabSheet3;  // "BDE aliases"
    TTabSheet* TabSheet4;  // "Tabs, Cols"
    TTabSheet* TSNotes;
    TTabSheet* TSQueriesHistory;
    TTabSheet* TabSheet5;  // "Update"
    TTabSheet* TabSheet6;  // "Settings"
    TTabSheet* TabSheet7;  // "Cube"
    TTabSheet* TSOracle;

    // ---- "SQL Scripts" ----
    TPanel* PScriptTools;
    TSpeedButton* BNew;
    TSpeedButton* Bload;
    TSpeedButton* BSave;
    TSpeedButton* BSaveAs;
    TSpeedButton* BExecSQL;
    TSpeedButton* BFontChange;
    TSpeedButton* BNotePad;
    TSpeedButton* BTool;
    TSpeedButton* BZamknij;
    TLabel* LFileName;
    TSpeedButton* SpeedButton3;  // "Converter"
    TSpeedButton* SpeedButton4;  // "Create sample data"
    TMemo* EScript;
    TMemo* AssistMemo;
    TStatusBar* ScriptStatusBar;
    TPanel* PErrors;
    TLabel* LErrors;
    TCheckBox* ChStopOnError;
    TMemo* MErrorsAndWarnings;

    // ---- "Queries" ----
    TPanel* PQueries;
    TEdit* SQL1;
    TEdit* SQL2;
    TEdit* SQL3;
    TEdit* SQL4;
    TEdit* SQL5;
    TEdit* SQL6;
    TButton* BWykonaj;
    TShape* Light;
    TSpeedButton* BFont;
    TSpeedButton* BSQL;
    TSpeedButton* BExport;
    TLabel* TABELA;
    TDBGrid* Grid;
    TPopupMenu* GridPopup;
    TMenuItem* Zapiszwynik1;
    TPanel* PStatus;
    TSpeedButton* Zliczaj;
    TStatusBar* StatusBar;

    // ---- "Big Queries" ----
    TPanel* PFULL;
    TPageControl* PAGESQL;
    TMemo* FULLSQL1;
    TMemo* FULLSQL2;
    TMemo* FULLSQL3;
    TMemo* FULLSQL4;
    TMemo* FULLSQL5;
    TMemo* FULLSQL6;
    TMemo* FULLSQL;  // the text of the last run, on a page never shown
    TButton* BitBtn3;
    TSplitter* Splitter1;
    TDBGrid* DBGrid3;

    // ---- "BDE aliases" ----
    TDBGrid* DBGrid2;
    TButton* BRefreshBDEAliases;

    // ---- "Tabs, Cols" ----
    TDBGrid* DBTabele;
    TDBGrid* Etems;
    TButton* RefreshTables;
    TButton* RefreshItems;

    // ---- "Notes", "Queries history" ----
    TMemo* N;
    TMemo* H;

    // ---- "Update" ----
    TLabel* LTable;
    TComboBox* NazwaTabeli;
    TLabel* LWhere;
    TEdit* WHERE;
    TLabel* LOrder;
    TEdit* ORDER;
    TButton* BWykonajAktualizacja;
    TDBNavigator* DBNavigator1;
    TDBGrid* GridAktualizacja;

    // ---- "Settings" ----
    TRadioGroup* KindOfHint;
    TGroupBox* GroupBox1;  // "Suggestions"
    TMemo* HINTS;
    TRadioGroup* AfterClickInColumn;
    TRadioGroup* ObtainInExpression;

    // ---- "Cube" ----
    TMemo* DecisionSQL;
    TSpeedButton* SpeedButton1;

    // ---- "Oracle" ----
    TEdit* DirectCoefficient;
    TEdit* CacheDirectCoefficient;
    TEdit* CacheDictionaryDirectCoefficient;
    TButton* BitBtn1;
    TMemo* Memo1;

    // ---- components without a window of their own ----
    TDatabase* Database;
    TQuery* MainQuery;
    TDataSource* DS1;
    TQuery* QueryFull;
    TDataSource* DSFull;
    TQuery* QueryAktualizacja;
    TDataSource* DSAktualizacja;
    TBDEItems* BDEItems;
    TDataSource* DSBDEItems;
    TDatabaseItems* DBItems;
    TDataSource* DSDBItems;
    TTableItems* TableItems;
    TDataSource* DSTableItems;
    TOpenDialog* OpenDialog1;
    TSaveDialog* SD;
    TFontDialog* FD;
    TFormStorage* Storage;

    // ---- connection, transactions, suggestion list (MainWindowConnection.cpp) ----
    bool EnsureConnected();
    void BConnectClick(TObject* sender);
    void DatabaseLogin(TDatabase* database, TStrings& loginParams);
    void InTransactionClick(TObject* sender);
    void BStartTransactionClick(TObject* sender);
    void BCommitClick(TObject* sender);
    void BRollbackClick(TObject* sender);
    void MIStartTransactionClick(TObject* sender);
    void MICommitClick(TObject* sender);
    void MIRollbackClick(TObject* sender);
    void BRefreshBDEAliasesClick(TObject* sender);
    void RefreshTablesClick(TObject* sender);
    void ShowStatus(const QString& message);

    // ---- show, close, window openers (MainWindowFrame.cpp) ----
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void BExportClick(TObject* sender);
    void Zakocz1Click(TObject* sender);
    void Oprogramie1Click(TObject* sender);
    void PageControl1Change(TObject* sender);

    // ---- command line (MainWindowCommandLine.cpp) ----
    // Processes the program's parameters in order; the last step of the first show.
    void ProcessCommandLine();
    // The same for parameters given here (each one KEY=VALUE; double quotes dropped).
    void ProcessCommandLine(const QStringList& parameters);

    // ---- one-line queries (MainWindowQueries.cpp) ----
    void BWykonajClick(TObject* sender);
    void SQL1Change(TObject* sender);
    void SQL1KeyDown(TObject* sender, int& key, TShiftState shift);
    // A database error of a one-line or big query: "OK !" for a statement without rows,
    // otherwise its message, also into the history.
    void ShowQueryOutcome(const EDatabaseError& e);
    void FormKeyDown(TObject* sender, int& key, TShiftState shift);
    static QString FormatElapsed(long double days);

    // ---- column-header clipboard lists (MainWindowColumnLists.cpp) ----
    void GridTitleClick(TColumn& column);

    // ---- scripts (MainWindowScripts.cpp) ----
    bool ZachowajPlik();
    void BNewClick(TObject* sender);
    void BloadClick(TObject* sender);
    void BSaveClick(TObject* sender);
    void BSaveAsClick(TObject* sender);
    void BZamknijClick(TObject* sender);
    void BNotePadClick(TObject* sender);
    void BFontChangeClick(TObject* sender);
    void BExecSQLClick(TObject* sender);
    void UpdateScriptStatus();
    void AssistMemoChange(TObject* sender);
    void AssistMemoKeyUp(TObject* sender, int& key, TShiftState shift);
    void AssistMemoClick(TObject* sender);
    void ExecuteFile(const QString& fileName, const QString& params, const QString& dir, int showCmd);

    // ---- catalogue browsers, table update, big queries, grid tools ----
    // (MainWindowBrowsers.cpp, MainWindowUpdate.cpp, MainWindowBigQueries.cpp, MainWindowGridTools.cpp)
    void RefreshItemsClick(TObject* sender);
    void NazwaTabeliEnter(TObject* sender);
    void BWykonajAktualizacjaClick(TObject* sender);
    void BitBtn3Click(TObject* sender);
    void BSQLClick(TObject* sender);
    void BFontClick(TObject* sender);
    void ZliczajClick(TObject* sender);
    void Zapiszwynik1Click(TObject* sender);

    // ---- decision cube (MainWindowCube.cpp) ----
    TPanel* PCube;
    TDecisionQuery* DecisionQuery;
    TDecisionCube* DecisionCube;
    TDecisionSource* DecisionSource;
    TDecisionPivot* DecisionPivot;
    TDecisionGrid* DecisionGrid1;
    TCubeProgressDialog* CubeProgress;
    void SpeedButton1Click(TObject* sender);

    // ---- Oracle ratios (MainWindowOracle.cpp) ----
    QString QueryScalar(const QString& sql);
    void BitBtn1Click(TObject* sender);

    // ---- openers of the multi-file export, record counter and super union
    // (MainWindowExportOpeners.cpp) ----
    void BSuperUnionClick(TObject* sender);
    void SpeedButton2Click(TObject* sender);
    void BMultifileExportClick(TObject* sender);
    void bindExportOpeners();

    // ---- tool windows of the script page (MainWindowTools.cpp) ----
    void SpeedButton3Click(TObject* sender);
    void SpeedButton4Click(TObject* sender);
    void BToolClick(TObject* sender);

    // The state shared by the one-line query fields: the next change is neither
    // expanded nor completed.
    bool FSkipHint = false;

  private:
    void buildFrame();
    void buildScriptsPage();
    void buildQueriesPage();
    void buildBigQueriesPage();
    void buildAliasesPage();
    void buildTablesPage();
    void buildNotesAndHistoryPages();
    void buildUpdatePage();
    void buildSettingsPage();
    void buildCubePage();
    void buildOraclePage();
    void buildComponents();
    void bindHandlers();
    void bindQueryHandlers();
    void bindScriptHandlers();
    void bindBrowserHandlers();
    void bindToolHandlers();
};

// The one main window of the run (nullptr before it is created).
extern TFMain* FMain;
// The splash window, freed by the main window's first show.
extern TForm* FIntro;
