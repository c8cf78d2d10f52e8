#pragma once

#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

#include "framework/Controls.h"

class TDataSource;
class TField;
class DataSetModel;
class DataGridView;
class TDBGrid;

struct TColumnTitle {
    QString Caption;
};

// A grid column: the field it shows and its title.
struct TColumn {
    QString FieldName;
    TColumnTitle Title;
    // The column's field in the open dataset (nullptr when closed or missing).
    TField* Field() const;

  private:
    friend class TDBGrid;
    const TDBGrid* grid_ = nullptr;
    int index_ = 0;
};

// A data grid over a data source. Without columns of its own it shows one column per
// field of the open dataset (title: the field's display label), rebuilt whenever the
// dataset opens. It holds only the rows it shows, whatever the size of the result: its
// vertical scroll bar stands for the whole result, and rows are fetched as the user
// scrolls. With a live dataset cells are edited in place and written at once. The grid's
// current row follows the dataset's cursor unless the dataset's controls are disabled;
// the keys that move up and down move the cursor.
class TDBGrid : public TWinControl {
  public:
    explicit TDBGrid(TComponent* owner);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);

    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TColumn& Columns(int index) { return columns_.at(static_cast<size_t>(index)); }
    const TColumn& Columns(int index) const { return columns_.at(static_cast<size_t>(index)); }

    // Sets a column's title as the header shows it.
    void SetTitleCaption(int index, const QString& caption);

    void SetReadOnly(bool readOnly);
    QTableView* View() const { return static_cast<QTableView*>(Widget()); }
    DataSetModel* Model() const { return model_.get(); }

    // A click on a column title.
    std::function<void(TColumn& column)> OnTitleClick;

    // Rebuilds the default columns from the dataset's fields.
    void RefreshColumns();

    // Whether a cell editor is open.
    bool Editing() const { return openEditor() != nullptr; }
    // A cell editor left open puts its text into the row, as leaving the cell does, and
    // closes; false when the row refused it (the error shown).
    bool CommitEdit();
    // Closes an open cell editor without its text.
    void DiscardEdit();
    // The same for every grid over `source`.
    static bool AnyEditing(const TDataSource* source);
    static bool CommitEdits(const TDataSource* source);
    static void DiscardEdits(const TDataSource* source);
    // Before `window` goes: its grids commit their editors and post the rows being edited
    // or inserted. False when one was refused (the error shown; the row stays as typed).
    static bool PostEdits(const QWidget* window);

  private:
    class Follower;
    DataGridView* gridView() const;
    // Moves the window so that the current record shows.
    QWidget* openEditor() const;
    // The user went from the row being inserted to the record `record` (from 0).
    void leaveNewRow(int record);
    void followCursor();
    // Shows the result from row `top` on (kept within the result), fetching the rows it
    // needs when `fetch`; the cursor stays where it is.
    void showFrom(int top, bool fetch);
    // Marks the current record's row when it is in the window.
    void showCurrent();
    void updateRowBar();
    int currentColumn();
    // Fetches the rest of the result and shows its last rows.
    void scrollToEnd();
    bool columnsMatchFields() const;

    TDataSource* source_ = nullptr;
    std::unique_ptr<DataSetModel> model_;
    std::unique_ptr<Follower> follower_;
    std::vector<TColumn> columns_;
    bool readOnly_ = false;
    bool moving_ = false;
    int column_ = 0;  // the current column, kept while the current record is out of sight
};
