#include "framework/DataSetModel.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <limits>

#include "db/DataSource.h"
#include "db/Field.h"
#include "framework/Dispatch.h"

namespace {
constexpr int kFetchBatch = 256;
}

bool IsNumericField(const TField& field) {
    return field.InheritsFrom<TIntegerField>() || field.InheritsFrom<TLargeintField>() ||
           field.InheritsFrom<TFloatField>() || field.InheritsFrom<TBCDField>();
}

DataSetModel::DataSetModel(TDataSource* source, QObject* parent)
    : QAbstractTableModel(parent), source_(source), windowRows_(std::numeric_limits<int>::max()) {
    source_->AddObserver(this);
    resync();
}

DataSetModel::~DataSetModel() {
    source_->RemoveObserver(this);
}

TDataSet* DataSetModel::DataSet() const {
    return source_->DataSet();
}

void DataSetModel::SetColumns(const QStringList& fieldNames, const QStringList& titles) {
    beginResetModel();
    fieldNames_ = fieldNames;
    titles_ = titles;
    endResetModel();
    resync();
}

void DataSetModel::SetTitles(const QStringList& titles) {
    titles_ = titles;
    if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

int DataSetModel::ResultRows() const {
    TDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active()) return 0;
    return ds->FetchedCount() + (ds->InsertRow() >= 0 ? 1 : 0);
}

int DataSetModel::windowFill() const {
    return std::clamp(ResultRows() - top_, 0, windowRows_);
}

void DataSetModel::resync() {
    TDataSet* ds = DataSet();
    const QScopedValueRollback<bool> changing(changing_, true);
    beginResetModel();
    top_ = std::clamp(top_, 0, std::max(0, ResultRows() - 1));
    rows_ = windowFill();
    if (!fieldNames_.isEmpty())
        columns_ = static_cast<int>(fieldNames_.size());
    else
        columns_ = (ds != nullptr && ds->Active()) ? ds->FieldCount() : 0;
    endResetModel();
}

void DataSetModel::growTo(int rows) {
    if (rows > rows_) setFill(rows);
}

TField* DataSetModel::FieldOfColumn(int column) const {
    TDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active() || column < 0 || column >= columns_) return nullptr;
    if (fieldNames_.isEmpty()) return column < ds->FieldCount() ? ds->Fields(column) : nullptr;
    return ds->FindField(fieldNames_[column]);
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    if (role == Qt::TextAlignmentRole) {
        const TField* f = FieldOfColumn(index.column());
        if (f != nullptr && IsNumericField(*f)) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return QVariant();
    TDataSet* ds = DataSet();
    TField* field = FieldOfColumn(index.column());
    if (ds == nullptr || field == nullptr || index.row() >= rows_) return QVariant();
    int row = ResultRow(index.row());
    const int insertRow = ds->InsertRow();
    const bool editing = ds->State() == TDataSetState::dsEdit && row == ds->RecNo() - 1;
    if (row == insertRow || editing) return field->AsString();  // the edit buffer
    if (insertRow >= 0 && row > insertRow) --row;
    if (row >= ds->FetchedCount()) return QVariant();
    return ds->DisplayText(row, field->Index());
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Vertical) return QVariant();
    if (!titles_.isEmpty()) return section < titles_.size() ? titles_[section] : QVariant();
    if (TField* f = FieldOfColumn(section)) return f->DisplayLabel();
    return QVariant();
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid()) return f;
    TDataSet* ds = DataSet();
    if (!readOnly_ && ds != nullptr && ds->Active() && ds->CanModify()) f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    TDataSet* ds = DataSet();
    TField* field = FieldOfColumn(index.column());
    if (ds == nullptr || field == nullptr || !ds->CanModify()) return false;
    const int row = ResultRow(index.row());
    bool ok = false;
    Dispatch([&] {
        const bool inserting = ds->State() == TDataSetState::dsInsert;
        if (!inserting) {
            // A row whose write was refused stays as typed until the user mends it; going on
            // to another row gives it up rather than writing it again unasked.
            if (ds->State() == TDataSetState::dsEdit && ds->RecNo() - 1 != row) ds->Cancel();
            if (ds->RecNo() - 1 != row) ds->SetRecNo(row + 1);
            if (ds->State() == TDataSetState::dsBrowse) ds->Edit();
        }
        const QString text = value.toString();
        if (text.isEmpty())
            field->Clear();
        else
            field->SetAsString(text);
        // A changed cell of an existing row is written at once; a new row waits for Post.
        // A refused write leaves the row in edit mode showing what was typed, with the error.
        if (!inserting) ds->Post();
        ok = true;
    });
    // The row shows what was stored, or what was typed when the write was refused.
    const int shown = row - top_;
    if (shown >= 0 && shown < rows_ && columns_ > 0)
        emit dataChanged(this->index(shown, 0), this->index(shown, columns_ - 1));
    return ok;
}

bool DataSetModel::canFetchMore(const QModelIndex& parent) const {
    TDataSet* ds = DataSet();
    return !parent.isValid() && !changing_ && rows_ < windowRows_ && ds != nullptr && ds->Active() &&
           !ds->AllFetched();
}

void DataSetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;  // a full window needs no more rows
    TDataSet* ds = DataSet();
    Dispatch([&] { ds->FetchMore(kFetchBatch); });
    growTo(windowFill());
}

void DataSetModel::DataSetEvent(TDataSet*, TDataEvent event, int row) {
    switch (event) {
        case TDataEvent::RowsFetched:
            growTo(windowFill());
            break;
        case TDataEvent::RecordChanged:
            if (row >= top_ && row < top_ + rows_ && columns_ > 0)
                emit dataChanged(index(row - top_, 0), index(row - top_, columns_ - 1));
            else if (row < 0 || row >= ResultRows())
                resync();
            break;
        case TDataEvent::Scrolled:
            break;
        case TDataEvent::Refreshed:
        case TDataEvent::RowInserted:
        case TDataEvent::RowDeleted:
        case TDataEvent::StateChanged:
            // The window's rows are read again where they stand. A reset would close an open
            // cell editor, and the focus leaving it would move the current row.
            refreshInPlace();
            break;
        case TDataEvent::Opened:
        case TDataEvent::Closed:
            top_ = 0;
            resync();
            break;
        default:
            resync();
            break;
    }
}

void DataSetModel::refreshInPlace() {
    // With the same columns the view keeps its column widths and scroll position:
    // only rows come or go and every cell is read again.
    TDataSet* ds = DataSet();
    const int columns = !fieldNames_.isEmpty()            ? static_cast<int>(fieldNames_.size())
                        : (ds != nullptr && ds->Active()) ? ds->FieldCount()
                                                          : 0;
    if (columns != columns_) {
        resync();
        return;
    }
    top_ = std::clamp(top_, 0, std::max(0, ResultRows() - 1));
    setFill(windowFill());
    if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
    if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void DataSetModel::setFill(int rows) {
    const QScopedValueRollback<bool> changing(changing_, true);
    if (rows < rows_) {
        beginRemoveRows(QModelIndex(), rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows(QModelIndex(), rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
}

void DataSetModel::SetTop(int top) {
    top = std::clamp(top, 0, std::max(0, ResultRows() - 1));
    if (top == top_) return;
    // The rows stay where they are and show other records; near the end fewer of them.
    top_ = top;
    setFill(windowFill());
    if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
}

void DataSetModel::SetWindowRows(int rows) {
    rows = std::max(1, rows);
    if (rows == windowRows_) return;
    windowRows_ = rows;
    setFill(windowFill());
}
