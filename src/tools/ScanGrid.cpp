#include "tools/ScanGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <array>
#include <cstring>

#include "tools/CodeChars.h"

class ScanGridModel : public QAbstractTableModel {
  public:
    std::array<uint8_t, TScanGrid::kColumns> bytes{};
    int filled = 0;  // cells 0..filled-1 hold bytes; the others are empty
    // A change was announced and no view has read the cells since: further changes
    // need no notice of their own, the pending repaint shows them.
    mutable bool noticePending = false;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 1;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : TScanGrid::kColumns;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole) return QVariant();
        noticePending = false;
        return text(index.column());
    }
    QString text(int col) const {
        if (col < 0 || col >= filled) return QString();
        // The byte 0 is a cell of one character that shows nothing.
        return bytes[static_cast<size_t>(col)] == 0 ? QString(QChar(0))
                                                    : CharOfByte(bytes[static_cast<size_t>(col)]);
    }
    void show(const char* data, int size) {
        size = std::clamp(size, 0, TScanGrid::kColumns - 2);
        if (size > 0) std::memcpy(bytes.data(), data, static_cast<size_t>(size));
        filled = size;
        // A conversion shows a block some fifty thousand times a second; the view
        // paints far less often, so one notice per paint is all it needs.
        if (noticePending) return;
        noticePending = true;
        emit dataChanged(index(0, 0), index(0, TScanGrid::kColumns - 2), {Qt::DisplayRole});
    }
};

TScanGrid::TScanGrid(TComponent* owner) : TWinControl(owner, new QTableView), model_(new ScanGridModel) {
    QTableView* view = View();
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    // Fixed section sizes: no cell is ever measured. Set before the model comes, so its
    // 2,050 columns are neither measured nor resized once more.
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(18);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->setModel(model_.get());
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

TScanGrid::~TScanGrid() = default;

QString TScanGrid::Cells(int col, int row) const {
    return row == 0 ? model_->text(col) : QString();
}

void TScanGrid::ShowBlock(const char* data, int size) {
    model_->show(data, size);
}
