#include "framework/Grids.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

// The cells of a string grid; row 0 of the grid is the header of the view.
class StringGridModel : public QAbstractTableModel {
  public:
    int cols = 0;
    std::vector<std::vector<QString>> rows;  // grid rows, the header row first

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() || rows.empty() ? 0 : static_cast<int>(rows.size()) - 1;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : cols;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return QVariant();
        return rows[static_cast<size_t>(index.row()) + 1][static_cast<size_t>(index.column())];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return QVariant();
        if (orientation == Qt::Vertical) return QString();
        if (rows.empty() || section < 0 || section >= cols) return QVariant();
        return rows[0][static_cast<size_t>(section)];
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole) return false;
        rows[static_cast<size_t>(index.row()) + 1][static_cast<size_t>(index.column())] = value.toString();
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }

    void resize(int newCols, int newRows) {
        beginResetModel();
        cols = std::max(0, newCols);
        rows.resize(static_cast<size_t>(std::max(0, newRows)));
        for (auto& r : rows) r.resize(static_cast<size_t>(cols));
        endResetModel();
    }
    void set(int col, int row, const QString& text) {
        rows[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
        if (row == 0)
            emit headerDataChanged(Qt::Horizontal, col, col);
        else
            emit dataChanged(index(row - 1, col), index(row - 1, col));
    }
};

namespace {

// Every keystroke in the in-place editor reaches its cell at once, so the texts the
// program reads are the ones the user sees, whether or not the editor is still open.
class StringGridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        QPersistentModelIndex cell(index);
        QObject::connect(editor, &QLineEdit::textEdited, editor, [cell](const QString& text) {
            if (cell.isValid())
                const_cast<QAbstractItemModel*>(cell.model())->setData(cell, text, Qt::EditRole);
        });
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text) line->setText(text);
    }
};

}  // namespace

TStringGrid::TStringGrid(TComponent* owner)
    : TWinControl(owner, new QTableView), model_(std::make_unique<StringGridModel>()) {
    WatchInput();
    View()->setModel(model_.get());
    View()->setItemDelegate(new StringGridDelegate(View()));
    View()->verticalHeader()->hide();
    View()->setShowGrid(true);
    View()->setSelectionBehavior(QAbstractItemView::SelectItems);
    View()->setSelectionMode(QAbstractItemView::ContiguousSelection);
    // The editor follows the focused cell, so typing always goes into a cell.
    View()->setEditTriggers(QAbstractItemView::AllEditTriggers);
    View()->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SetDefaultRowHeight(20);
}

TStringGrid::~TStringGrid() = default;

int TStringGrid::ColCount() const {
    return model_->cols;
}

void TStringGrid::SetColCount(int count) {
    std::vector<int> widths;
    for (int c = 0; c < ColCount(); ++c) widths.push_back(ColWidths(c));
    model_->resize(count, RowCount());
    for (int c = 0; c < std::min(count, static_cast<int>(widths.size())); ++c) SetColWidths(c, widths[c]);
}

int TStringGrid::RowCount() const {
    return static_cast<int>(model_->rows.size());
}

void TStringGrid::SetRowCount(int count) {
    if (count == RowCount()) return;
    std::vector<int> widths;
    for (int c = 0; c < ColCount(); ++c) widths.push_back(ColWidths(c));
    model_->resize(ColCount(), count);
    for (int c = 0; c < ColCount(); ++c) SetColWidths(c, widths[static_cast<size_t>(c)]);
}

QString TStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return QString();
    return model_->rows[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    model_->set(col, row, text);
}

int TStringGrid::Row() const {
    const QModelIndex current = View()->currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

int TStringGrid::Col() const {
    const QModelIndex current = View()->currentIndex();
    return current.isValid() ? current.column() : 0;
}

void TStringGrid::SetRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    View()->setCurrentIndex(model_->index(row - 1, Col()));
}

void TStringGrid::SetCol(int col) {
    if (col < 0 || col >= ColCount() || RowCount() < 2) return;
    View()->setCurrentIndex(model_->index(Row() - 1, col));
}

int TStringGrid::ColWidths(int col) const {
    return View()->columnWidth(col);
}

void TStringGrid::SetColWidths(int col, int width) {
    View()->setColumnWidth(col, width);
}

void TStringGrid::SetDefaultRowHeight(int height) {
    View()->verticalHeader()->setMinimumSectionSize(1);
    View()->verticalHeader()->setDefaultSectionSize(height);
}
