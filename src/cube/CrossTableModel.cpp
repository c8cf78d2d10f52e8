#include "cube/CrossTableModel.h"

#include "cube/DecisionCube.h"
#include "cube/DecisionSource.h"

CrossTableModel::CrossTableModel(TDecisionSource* source, QObject* parent)
    : QAbstractTableModel(parent), source_(source) {
    source_->OnChange.push_back([this] {
        beginResetModel();
        endResetModel();
    });
}

void CrossTableModel::SetColours(const Colours& colours) {
    colours_ = colours;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
}

int CrossTableModel::HeadingRows() const {
    return static_cast<int>(source_->Pivot().ColumnDimensions().size()) + 1;
}

int CrossTableModel::HeadingColumns() const {
    return std::max(1, static_cast<int>(source_->Pivot().RowDimensions().size()));
}

int CrossTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !source_->Active()) return 0;
    return HeadingRows() + source_->Pivot().RowCount();
}

int CrossTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !source_->Active()) return 0;
    return HeadingColumns() + source_->Pivot().ColumnCount();
}

CrossTableModel::CellKind CrossTableModel::kind(int row, int col) const {
    const CubePivot& p = source_->Pivot();
    const int hr = HeadingRows();
    const int hc = HeadingColumns();
    const int rowLevels = static_cast<int>(p.RowDimensions().size());
    if (row >= hr && col >= hc) return Data;
    if (row >= hr) return rowLevels > 0 ? Label : Empty;
    if (col >= hc) {
        if (row < hr - 1) return Label;
        // The row of names says once which summary the values are.
        return col == hc ? SummaryLabel : Empty;
    }
    // The corner: column dimension names at the right, row dimension names below.
    if (row < hr - 1) {
        if (col == hc - 1) return Caption;
        return row == 0 && col == 0 ? SummaryLabel : Empty;
    }
    return col < rowLevels ? Caption : Empty;
}

QString CrossTableModel::valueLabel(int dimension, int value) const {
    const CubeStore& s = source_->DecisionCube()->Store();
    const auto& labels = s.Dimensions(dimension).Labels;
    return value >= 0 && value < static_cast<int>(labels.size()) ? labels[static_cast<size_t>(value)]
                                                                 : QString();
}

QString CrossTableModel::text(int row, int col) const {
    const CubePivot& p = source_->Pivot();
    const CubeStore& s = source_->DecisionCube()->Store();
    const int hr = HeadingRows();
    const int hc = HeadingColumns();
    const int summary = source_->Layout().Summary;
    switch (kind(row, col)) {
        case Empty:
            return {};
        case SummaryLabel:
            return summary >= 0 && summary < s.SummaryCount() ? s.Summaries(summary).Caption : QString();
        case Caption:
            if (row < hr - 1) return s.Dimensions(p.ColumnDimensions()[static_cast<size_t>(row)]).Caption;
            return s.Dimensions(p.RowDimensions()[static_cast<size_t>(col)]).Caption;
        case Label:
            if (row < hr - 1) {
                const int c = col - hc;
                if (c > 0 && row < hr - 2 && p.ColumnValue(c, row) == p.ColumnValue(c - 1, row)) {
                    // Outer levels show their value where it begins.
                    bool outerSame = true;
                    for (int l = 0; l < row; ++l)
                        outerSame = outerSame && p.ColumnValue(c, l) == p.ColumnValue(c - 1, l);
                    if (outerSame) return {};
                }
                return valueLabel(p.ColumnDimensions()[static_cast<size_t>(row)], p.ColumnValue(c, row));
            } else {
                const int r = row - hr;
                const int levels = static_cast<int>(p.RowDimensions().size());
                if (r > 0 && col < levels - 1) {
                    bool same = true;
                    for (int l = 0; l <= col; ++l) same = same && p.RowValue(r, l) == p.RowValue(r - 1, l);
                    if (same) return {};
                }
                return valueLabel(p.RowDimensions()[static_cast<size_t>(col)], p.RowValue(r, col));
            }
        case Data: {
            const int r = row - hr;
            const int c = col - hc;
            if (!p.HasValue(r, c)) return {};
            const double v = p.Value(r, c);
            return FormatSummary(v, s.Summaries(summary).Format);
        }
    }
    return {};
}

QVariant CrossTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !source_->Active()) return {};
    const int row = index.row();
    const int col = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return text(row, col);
        case CellKindRole:
            return static_cast<int>(kind(row, col));
        case Qt::TextAlignmentRole:
            return kind(row, col) == Data ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                          : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::BackgroundRole:
            switch (kind(row, col)) {
                case Caption:
                    return colours_.caption.isValid() ? QVariant(colours_.caption) : QVariant();
                case Label:
                    return colours_.label.isValid() ? QVariant(colours_.label) : QVariant();
                case SummaryLabel:
                    return colours_.summaryLabel.isValid() ? QVariant(colours_.summaryLabel) : QVariant();
                case Data:
                    return colours_.data.isValid() ? QVariant(colours_.data) : QVariant();
                case Empty:
                    return colours_.label.isValid() ? QVariant(colours_.label) : QVariant();
            }
            return {};
        case Qt::ForegroundRole: {
            QColor c;
            switch (kind(row, col)) {
                case Caption:
                    c = colours_.captionText;
                    break;
                case Data:
                    c = colours_.dataText;
                    break;
                case SummaryLabel:
                    c = colours_.summaryLabelText;
                    break;
                default:
                    c = colours_.labelText;
            }
            return c.isValid() ? QVariant(c) : QVariant();
        }
        default:
            return {};
    }
}
