#include "framework/DataGridView.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QWheelEvent>
#include <algorithm>

DataGridView::DataGridView() : rowBar_(new QScrollBar(Qt::Vertical, this)) {
    // The view's own vertical scroll bar would only scroll within the window: the row bar
    // stands in its place.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(ScrollPerItem);
    verticalScrollBar()->hide();
    addScrollBarWidget(rowBar_, Qt::AlignTop);
    rowBar_->setObjectName(QStringLiteral("RowBar"));
    rowBar_->setRange(0, 0);
    rowBar_->setSingleStep(1);
    rowBar_->setPageStep(pageRows_);
}

void DataGridView::CommitOpenEditor() {
    if (state() != EditingState) return;
    QPointer<QWidget> editor = indexWidget(currentIndex());
    if (editor.isNull()) return;
    commitData(editor);
    // Writing the value may have closed the editor already (the model was reset).
    if (!editor.isNull()) closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QModelIndex DataGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    int rows = 0;
    if (action == MoveUp) rows = -1;
    if (action == MoveDown) rows = 1;
    if (action == MovePageUp) rows = -pageRows_;
    if (action == MovePageDown) rows = pageRows_;
    if (rows != 0 && OnMoveRows) {
        if (std::optional<QModelIndex> moved = OnMoveRows(rows)) return *moved;
    }
    // Tab past the last cell of a row (back past the first) goes on in the next record.
    const QModelIndex current = currentIndex();
    const int lastColumn = model() != nullptr ? model()->columnCount() - 1 : -1;
    const bool wraps = current.isValid() && ((action == MoveNext && current.column() == lastColumn) ||
                                             (action == MovePrevious && current.column() == 0));
    if (wraps && OnMoveRows) {
        if (std::optional<QModelIndex> moved = OnMoveRows(action == MoveNext ? 1 : -1))
            return moved->isValid() ? moved->siblingAtColumn(action == MoveNext ? 0 : lastColumn) : *moved;
    }
    return QTableView::moveCursor(action, modifiers);
}

bool DataGridView::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize) measurePageRows();
    return handled;
}

void DataGridView::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    measurePageRows();
}

void DataGridView::measurePageRows() {
    if (!isVisible()) return;
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    const int rows = std::max(1, viewport()->height() / rowHeight);
    if (rows == pageRows_) return;
    pageRows_ = rows;
    rowBar_->setPageStep(rows);
    if (OnPageRowsChanged) OnPageRowsChanged();
}

void DataGridView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    if (angle.y() == 0 || (event->modifiers() & Qt::AltModifier)) {
        QTableView::wheelEvent(event);  // sideways
        return;
    }
    wheelAngle_ += angle.y();
    const int notches = wheelAngle_ / 120;
    wheelAngle_ -= notches * 120;
    if (notches != 0) rowBar_->setValue(rowBar_->value() - notches * QApplication::wheelScrollLines());
    event->accept();
}
