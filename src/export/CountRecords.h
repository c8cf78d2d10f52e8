#pragma once

#include <QString>

#include "framework/Forms.h"

class TBitBtn;
class TEdit;
class TGroupBox;
class TLabel;
class TMemo;
class TPanel;
class TQuery;
class TStrings;

// The record counter: counts the rows of every table of a list, optionally only those
// that meet one condition common to all, and lists the counts. A table that cannot be
// counted is listed as unknown. Created for one modal run and destroyed after it.
class TFCountRecords : public TForm {
  public:
    explicit TFCountRecords(TComponent* owner);
    ~TFCountRecords() override;

    TGroupBox* GroupBox1;  // "Take tables into consideration"
    TMemo* MTables;
    TGroupBox* GroupBox2;  // "Result window"
    TMemo* MResults;
    TPanel* Panel1;
    TLabel* Label1;
    TEdit* AdditionalCondition;
    TBitBtn* BitBtn1;  // "Execute"
    TBitBtn* BitBtn2;  // "Cancel"
    TQuery* Query;

    void BitBtn1Click(TObject* sender);
    void BitBtn2Click(TObject* sender);
};

// The window of the running modal call (nullptr otherwise).
extern TFCountRecords* FCountRecords;

// Creates the window on `databaseName` with a copy of `tables`, runs it modally and
// destroys it.
void ShowCountRecords(const QString& databaseName, const TStrings& tables);
