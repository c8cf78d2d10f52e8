#pragma once

#include <QString>

#include "framework/Forms.h"

class TBitBtn;
class TDBGrid;
class TDataSource;
class TEdit;
class TFormStorage;
class TGroupBox;
class TImage;
class TLabel;
class TMemo;
class TPanel;
class TQuery;
class TSplitter;
class TStatusBar;

// The multi-file export: runs a query of its own and writes its rows into many
// delimited files spread over folders. A new file starts whenever the group column's
// value changes; its folder and name come from two further columns of the first row
// of the run, and the last N columns, which only drive the split, are left out.
// Created for one modal run and destroyed after it.
class TFMultiFileEksport : public TForm {
  public:
    explicit TFMultiFileEksport(TComponent* owner);
    ~TFMultiFileEksport() override;

    TPanel* Panel1;
    TLabel* LGroup;
    TEdit* EGROUP;
    TLabel* LFile;
    TEdit* EFILE;
    TLabel* LPath;
    TEdit* EPath;
    TLabel* LFolder;
    TEdit* EFOLDER;
    TLabel* LOrphColumns;
    TEdit* EOrphColumns;
    TLabel* LSep;
    TEdit* ESep;
    TLabel* LDelimiter;
    TEdit* EDelimiter;
    TBitBtn* BRefresh;
    TBitBtn* BExport;
    TBitBtn* BClose;
    TImage* Image1;
    TGroupBox* GroupBox1;  // "SQL command"
    TMemo* SQL;
    TSplitter* Splitter1;
    TDBGrid* DBGrid;
    TStatusBar* StatusBar;
    TQuery* Query;
    TDataSource* DataSource;
    TFormStorage* Storage;

    void BRefreshClick(TObject* sender);
    void BExportClick(TObject* sender);
    void BCloseClick(TObject* sender);

    // The value wrapped in the first character of the delimiter field, that character
    // doubled inside; the value itself when the field is empty.
    QString QuoteFieldValue(const QString& value) const;

  private:
    void buildControls();
};

// The window of the running modal call (nullptr otherwise).
extern TFMultiFileEksport* FMultiFileEksport;

// Creates the window, runs it modally and destroys it.
void ShowMultiFileEksport();
