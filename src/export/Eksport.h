#pragma once

#include <QString>

#include "framework/Forms.h"

class TBitBtn;
class TCheckBox;
class TDBGrid;
class TEdit;
class TFormStorage;
class TImage;
class TLabel;
class TMenuItem;
class TOpenDialog;
class TPageControl;
class TPanel;
class TPopupMenu;
class TQuery;
class TSaveDialog;
class TStringGrid;
class TTabSheet;

// The result of GetOracleFieldDef: a column's guessed SQL type, the texts written
// around each of its values, and a status that is empty unless the guess is doubtful.
struct TOracleFieldDef {
    QString Type;
    QString Prefix;
    QString Suffix;
    QString Status;
};

// The export window: writes the rows of the main window's current result as delimited
// text or as an SQL script of INSERT statements, with a column type table that can be
// saved to and loaded from an export configuration file. Created once, hidden, modeless
// and on top; every ShowEksport prepares it again.
class TFEksport : public TForm {
  public:
    explicit TFEksport(TComponent* owner);
    ~TFEksport() override;

    TPanel* Panel1;
    TBitBtn* BitBtn9;  // "Export"
    TBitBtn* BClose;
    TPageControl* PageControl;
    TTabSheet* TabSheet1;  // "Export as text"
    TTabSheet* TabSheet2;  // "Export as SQL script"

    TLabel* LFileName;
    TEdit* FileName;
    TBitBtn* BitBtn1;
    TLabel* LSep;
    TEdit* Sep;
    TLabel* LOgranicznik;
    TEdit* Ogranicznik;
    TCheckBox* Transpon;
    TCheckBox* RunAfterGenerating;
    TImage* Image1;

    TLabel* LFileName2;
    TEdit* FileName2;
    TBitBtn* BitBtn3;
    TLabel* LTableName;
    TEdit* TABLENAME;
    TLabel* LInsertCR;
    TEdit* InsertCR;
    TLabel* LEmptyValue;
    TEdit* EmptyValue;
    TCheckBox* RunAfterGenerating2;
    TCheckBox* Srednik;
    TCheckBox* EmptyLine;
    TCheckBox* CreateTable;
    TCheckBox* CheckBox1;
    TEdit* Edit1;
    TCheckBox* CHBLOCK;
    TBitBtn* BOpen;
    TBitBtn* BSaveAs;
    TStringGrid* Configuration;
    TBitBtn* BitBtn4;
    TPanel* Panel2;
    TBitBtn* BitBtn5;  // VARCHAR2(255)
    TBitBtn* BitBtn6;  // NUMBER(10)
    TBitBtn* BitBtn8;  // NUMBER(14,2)
    TBitBtn* BitBtn7;  // DATE

    TPopupMenu* PopupMenu;
    TMenuItem* OracleVARCHAR21;
    TMenuItem* OracleNUMBER1;
    TMenuItem* OracleNUMBER142kwota1;
    TMenuItem* OracleDATA1;

    TSaveDialog* SDialogTxt;
    TSaveDialog* SDialogSQL;
    TSaveDialog* SDialogCFG;
    TOpenDialog* ODialogCFG;
    TFormStorage* Storage;

    // ---- handlers ----
    void BitBtn1Click(TObject* sender);
    void BitBtn3Click(TObject* sender);
    void BitBtn4Click(TObject* sender);
    void OracleVARCHAR21Click(TObject* sender);
    void OracleNUMBER1Click(TObject* sender);
    void OracleNUMBER142kwota1Click(TObject* sender);
    void OracleDATA1Click(TObject* sender);
    void BitBtn9Click(TObject* sender);
    void BSaveAsClick(TObject* sender);
    void BOpenClick(TObject* sender);
    void BCloseClick(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);

    void ExportAsText();
    void ExportAsSQLScript();
    void LoadConfiguration(const QString& fileName);
    // The guessed definition of the dataset's field named `name`.
    TOracleFieldDef GetOracleFieldDef(const QString& name) const;

    // Whether the last export wrote its whole file (an unattended run reports it).
    bool ExportWritten = false;

  private:
    friend void ShowEksport(TQuery* dataSet, TDBGrid* grid, const QString& configFile);
    void buildTextPage();
    void buildSqlPage();
    void bindHandlers();
    void setCurrentRowType(const QString& type, const QString& prefix, const QString& suffix);

    TQuery* ExportDataSet = nullptr;
    TDBGrid* ExportGrid = nullptr;
};

// The one export window of the run (nullptr before it is created).
extern TFEksport* FEksport;
// True from a preparation by ShowEksport until the window closes.
extern bool ExportRunning;

// Prepares and shows the export window for `dataSet` and the columns of `grid`. With a
// ConfigFile that is not blank, first loads it, exports the active page and asks the
// program to end.
void ShowEksport(TQuery* dataSet, TDBGrid* grid, const QString& configFile);
