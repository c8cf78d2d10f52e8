#pragma once

#include "framework/Forms.h"

class TButton;
class TEdit;
class TLabel;
class TMemo;
class TQuery;

// The sample-data generator: an INSERT statement with a sample value for every field
// of a query, written into the memo five items (names and values) to a line.
class TFCreateSimpleData : public TForm {
  public:
    explicit TFCreateSimpleData(TComponent* owner);
    ~TFCreateSimpleData() override;

    TLabel* LTableName;
    TEdit* TableName;
    TLabel* LSQL;
    TEdit* SQL;
    TMemo* Memo;
    TButton* Execute;
    TQuery* Query;

    void ExecuteClick(TObject* sender);
    // Appends `text` to the memo line of the current line number; a missing line is added.
    void DopiszDoLinii(const QString& text);

  private:
    // Counts one item; every fifth one moves on to the next line.
    void countItem();

    int currentLine_ = 0;
    int itemCount_ = 0;
};

// The one sample-data generator of the run (nullptr before it is created).
extern TFCreateSimpleData* FCreateSimpleData;
