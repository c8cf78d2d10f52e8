#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "db/DataSet.h"

class TDataSource;
class TField;

// Numbers are shown right-aligned.
bool IsNumericField(const TField& field);

// A table model over the dataset of a data source. It shows a window of the result: at
// most `WindowRows` rows from the result's row `Top` on, so that a view over it costs the
// same whatever the size of the result (a grid sets the window to the rows it shows and
// moves it as the user scrolls; without a window every fetched row is shown). Rows appear
// as the dataset fetches them (the view asks for more while the window is not full); the
// record being edited or inserted shows its edit buffer; a cell edited in the view is
// posted at once. "Result rows" count the row being inserted among the fetched rows, so
// that result row r is the record numbered r + 1.
class DataSetModel : public QAbstractTableModel, public TDataSetObserver {
  public:
    explicit DataSetModel(TDataSource* source, QObject* parent = nullptr);
    ~DataSetModel() override;

    // Column titles and the field each column shows; empty: one column per field.
    void SetColumns(const QStringList& fieldNames, const QStringList& titles);
    // Replaces the column titles only (empty: the fields' display labels).
    void SetTitles(const QStringList& titles);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    void DataSetEvent(TDataSet* dataSet, TDataEvent event, int row) override;

    TDataSet* DataSet() const;
    // The field shown in a column (nullptr when the dataset is closed or lacks it).
    TField* FieldOfColumn(int column) const;
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Rows of the result fetched so far, the row being inserted included.
    int ResultRows() const;
    int Top() const { return top_; }
    int WindowRows() const { return windowRows_; }
    // The window's first result row (kept within the result) and its height.
    void SetTop(int top);
    void SetWindowRows(int rows);
    // The result row that a model row shows.
    int ResultRow(int row) const { return top_ + row; }

  private:
    void resync();
    void refreshInPlace();
    void growTo(int rows);
    // Adds or removes rows at the end of the window.
    void setFill(int rows);
    // The number of rows the window shows now.
    int windowFill() const;

    TDataSource* source_;
    QStringList fieldNames_;
    QStringList titles_;
    int rows_ = 0;
    int columns_ = 0;
    int top_ = 0;
    int windowRows_;
    bool readOnly_ = false;
    // True while the model announces a change: views and testers that ask for more rows
    // then must not start a second change inside it.
    bool changing_ = false;
};
