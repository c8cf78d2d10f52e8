#pragma once

#include <QString>

#include "framework/Forms.h"

class TBitBtn;
class TGroupBox;
class TImage;
class TLabel;
class TMemo;
class TPanel;
class TQuery;
class TStrings;
class TTableItems;

// The super union: gathers the rows of many tables into one CSV file whose columns are
// the union of the tables' columns. Created for one modal run and destroyed after it.
class TFSuperUnion : public TForm {
  public:
    explicit TFSuperUnion(TComponent* owner);
    ~TFSuperUnion() override;

    TImage* Image1;
    TGroupBox* GroupBox1;  // "Tables"
    TMemo* MTables;
    TGroupBox* GroupBox2;  // "Columns"
    TMemo* MColumns;
    TPanel* Panel;
    TLabel* Label1;
    TBitBtn* BRefresh;
    TBitBtn* BExport;
    TBitBtn* BClose;
    TTableItems* TableItems;
    TQuery* Query;

    void BRefreshClick(TObject* sender);
    void BExportClick(TObject* sender);
    void BCloseClick(TObject* sender);
};

// The window of the running modal call (nullptr otherwise).
extern TFSuperUnion* FSuperUnion;

// Creates the window on `databaseName` with a copy of `tables`, runs it modally and
// destroys it.
void ShowSuperUnion(const QString& databaseName, const TStrings& tables);
