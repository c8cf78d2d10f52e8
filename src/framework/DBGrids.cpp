#include "framework/DBGrids.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>

#include "db/DataSource.h"
#include "db/Field.h"
#include "framework/DBCtrls.h"
#include "framework/DataSetModel.h"
#include "framework/Dispatch.h"
#include "framework/EventHook.h"

namespace {

// Whether the user gave the new or edited record any value: an untouched new row is
// dropped rather than written empty.
bool anythingTyped(const TDataSet& ds) {
    if (ds.State() != TDataSetState::dsInsert) return true;
    for (int i = 0; i < ds.FieldCount(); ++i)
        if (!ds.Fields(i)->IsNull()) return true;
    return false;
}

// The grids that exist, for the navigator and the window to find those over a source.
std::vector<TDBGrid*>& liveGrids() {
    static std::vector<TDBGrid*> grids;
    return grids;
}

}  // namespace

TField* TColumn::Field() const {
    if (grid_ == nullptr || grid_->Model() == nullptr) return nullptr;
    TDataSet* ds = grid_->Model()->DataSet();
    if (ds == nullptr || !ds->Active()) return nullptr;
    return ds->FindField(FieldName);
}

// Keeps the grid's columns and current row in step with the dataset.
class TDBGrid::Follower : public TDataSetObserver {
  public:
    explicit Follower(TDBGrid* grid) : grid_(grid) {}
    void DataSetEvent(TDataSet*, TDataEvent event, int) override {
        switch (event) {
            case TDataEvent::Opened:
            case TDataEvent::Closed:
                grid_->RefreshColumns();
                [[fallthrough]];
            case TDataEvent::Refreshed:
                // After a walk with the controls detached the fields are the same: the
                // columns keep the widths the user gave them.
                if (!grid_->columnsMatchFields()) grid_->RefreshColumns();
                [[fallthrough]];
            case TDataEvent::Scrolled:
                grid_->followCursor();
                break;
            default:
                break;
        }
    }

  private:
    TDBGrid* grid_;
};

TDBGrid::TDBGrid(TComponent* owner)
    : TWinControl(owner, new QTableView), follower_(std::make_unique<Follower>(this)) {
    liveGrids().push_back(this);
    WatchInput();
    View()->setSelectionBehavior(QAbstractItemView::SelectRows);
    View()->setSelectionMode(QAbstractItemView::SingleSelection);
    View()->verticalHeader()->setDefaultSectionSize(20);
    View()->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    View()->horizontalHeader()->setSectionsClickable(true);
    QObject::connect(View()->horizontalHeader(), &QHeaderView::sectionClicked, View(), [this](int section) {
        if (!OnTitleClick || section < 0 || section >= ColumnCount()) return;
        Dispatch([this, section] { OnTitleClick(Columns(section)); });
    });
    // Ctrl+Home and Ctrl+End go to the ends of the whole result, not of the rows the view
    // has fetched so far.
    new EventHook(View(), [this](QObject*, QEvent* e) {
        if (e->type() != QEvent::KeyPress) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (!(k->modifiers() & Qt::ControlModifier) || (k->key() != Qt::Key_Home && k->key() != Qt::Key_End))
            return false;
        TDataSet* ds = model_ ? model_->DataSet() : nullptr;
        if (ds == nullptr || !ds->Active()) return false;
        Dispatch([ds, k] {
            if (k->key() == Qt::Key_End)
                ds->Last();
            else
                ds->First();
        });
        return true;
    });
    // Cell editors are the viewport's children: the navigator hears of one opening or
    // closing once the view has taken it in or let it go.
    new EventHook(View()->viewport(), [this](QObject*, QEvent* e) {
        if (e->type() != QEvent::ChildAdded && e->type() != QEvent::ChildRemoved) return false;
        if (!static_cast<QChildEvent*>(e)->child()->isWidgetType()) return false;
        QMetaObject::invokeMethod(
            View(), [this] { TDBNavigator::GridEditingChanged(source_); }, Qt::QueuedConnection);
        return false;
    });
    // The scroll bar dragged or sent to its bottom shows the result's last rows.
    QScrollBar* bar = View()->verticalScrollBar();
    QObject::connect(bar, &QScrollBar::sliderReleased, View(), [this, bar] {
        if (bar->value() == bar->maximum()) scrollToEnd();
    });
    QObject::connect(bar, &QScrollBar::actionTriggered, View(), [this](int action) {
        if (action == QAbstractSlider::SliderToMaximum) scrollToEnd();
    });
}

void TDBGrid::scrollToEnd() {
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    if (ds == nullptr || !ds->Active()) return;
    if (!ds->AllFetched()) Dispatch([ds] { ds->RecordCount(); });
    View()->scrollToBottom();
}

TDBGrid::~TDBGrid() {
    std::erase(liveGrids(), this);
    if (source_ != nullptr) source_->RemoveObserver(follower_.get());
    View()->setModel(nullptr);
}

void TDBGrid::SetDataSource(TDataSource* source) {
    if (source_ != nullptr) source_->RemoveObserver(follower_.get());
    View()->setModel(nullptr);
    model_.reset();
    source_ = source;
    if (source_ == nullptr) return;
    model_ = std::make_unique<DataSetModel>(source_);
    model_->SetReadOnly(readOnly_);
    View()->setModel(model_.get());
    source_->AddObserver(follower_.get());
    QObject::connect(View()->selectionModel(), &QItemSelectionModel::currentRowChanged, View(),
                     [this](const QModelIndex& current, const QModelIndex&) {
                         TDataSet* ds = model_ ? model_->DataSet() : nullptr;
                         if (moving_ || ds == nullptr || !ds->Active() || !current.isValid()) return;
                         if (ds->RecNo() == current.row() + 1) return;
                         if (ds->State() == TDataSetState::dsInsert) {
                             leaveNewRow(current.row());
                             return;
                         }
                         if (ds->State() != TDataSetState::dsBrowse) return;
                         moving_ = true;
                         Dispatch([&] { ds->SetRecNo(current.row() + 1); });
                         moving_ = false;
                     });
    RefreshColumns();
}

void TDBGrid::leaveNewRow(int row) {
    // The view has put the open editor's text into the new row already. A row typed into
    // is posted before another one is current (or cells typed there would go into it);
    // one left untouched is dropped. A refused row stays current, as typed.
    TDataSet* ds = model_->DataSet();
    const int newRow = ds->InsertRow();
    const bool typed = anythingTyped(*ds);
    moving_ = true;
    bool left = false;
    Dispatch([&] {
        if (typed)
            ds->Post();
        else
            ds->Cancel();
        left = true;
    });
    moving_ = false;
    // A dropped row takes its place in the view with it.
    if (left && !typed && row > newRow) --row;
    if (left && row < model_->rowCount()) {
        moving_ = true;
        Dispatch([&] { ds->SetRecNo(row + 1); });
        moving_ = false;
    }
    followCursor();
}

void TDBGrid::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (model_) model_->SetReadOnly(readOnly);
}

void TDBGrid::SetTitleCaption(int index, const QString& caption) {
    Columns(index).Title.Caption = caption;
    if (!model_) return;
    QStringList titles;
    for (const TColumn& c : columns_) titles << c.Title.Caption;
    model_->SetTitles(titles);
}

void TDBGrid::RefreshColumns() {
    columns_.clear();
    if (model_) model_->SetTitles({});
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    if (ds == nullptr || !ds->Active()) return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TColumn c;
        c.FieldName = ds->Fields(i)->FieldName();
        c.Title.Caption = ds->Fields(i)->DisplayLabel();
        c.grid_ = this;
        c.index_ = i;
        columns_.push_back(c);
    }
    // Columns as wide as their fields' display width (within reason) and their titles.
    const QFontMetrics metrics(View()->font());
    const QFontMetrics titleMetrics(View()->horizontalHeader()->font());
    const int charWidth = std::max(metrics.averageCharWidth(), metrics.horizontalAdvance(QChar('0')));
    for (int i = 0; i < ds->FieldCount() && i < model_->columnCount(); ++i) {
        const int chars = std::clamp(ds->Fields(i)->DisplayWidth(), 4, 40);
        const int width =
            std::max(chars * charWidth,
                     titleMetrics.horizontalAdvance(columns_[static_cast<size_t>(i)].Title.Caption)) +
            12;
        View()->setColumnWidth(i, width);
    }
}

bool TDBGrid::columnsMatchFields() const {
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    const int fields = (ds != nullptr && ds->Active()) ? ds->FieldCount() : 0;
    if (fields != ColumnCount()) return false;
    for (int i = 0; i < fields; ++i)
        if (columns_[static_cast<size_t>(i)].FieldName != ds->Fields(i)->FieldName()) return false;
    return true;
}

void TDBGrid::followCursor() {
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    if (moving_ || ds == nullptr || !ds->Active() || ds->RecNo() <= 0) return;
    const int row = ds->RecNo() - 1;
    if (row >= model_->rowCount()) return;
    moving_ = true;
    const int column = std::max(0, View()->currentIndex().column());
    View()->setCurrentIndex(model_->index(row, column));
    moving_ = false;
}

QWidget* TDBGrid::openEditor() const {
    // The grid sets no index widgets of its own: a widget on the current cell is its editor.
    const QModelIndex index = View()->currentIndex();
    return index.isValid() ? View()->indexWidget(index) : nullptr;
}

bool TDBGrid::CommitEdit() {
    QTableView* view = View();
    const QModelIndex index = view->currentIndex();
    QWidget* editor = openEditor();
    if (editor == nullptr) return true;
    QAbstractItemDelegate* delegate = view->itemDelegateForIndex(index);
    const QByteArray property = editor->metaObject()->userProperty().name();
    const QPointer<QWidget> kept(editor);
    if (property.isEmpty()) {
        emit delegate->commitData(editor);
    } else if (!view->model()->setData(index, editor->property(property.constData()), Qt::EditRole)) {
        return false;
    }
    // Writing the row may have reset the view, which lets its editors go by itself.
    if (kept && openEditor() == kept) emit delegate->closeEditor(kept, QAbstractItemDelegate::NoHint);
    return true;
}

void TDBGrid::DiscardEdit() {
    QTableView* view = View();
    QWidget* editor = openEditor();
    if (editor == nullptr) return;
    emit view->itemDelegateForIndex(view->currentIndex())->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TDBGrid::AnyEditing(const TDataSource* source) {
    for (TDBGrid* grid : liveGrids())
        if (grid->source_ == source && source != nullptr && grid->Editing()) return true;
    return false;
}

bool TDBGrid::CommitEdits(const TDataSource* source) {
    for (TDBGrid* grid : std::vector<TDBGrid*>(liveGrids()))
        if (grid->source_ == source && source != nullptr && !grid->CommitEdit()) return false;
    return true;
}

void TDBGrid::DiscardEdits(const TDataSource* source) {
    for (TDBGrid* grid : std::vector<TDBGrid*>(liveGrids()))
        if (grid->source_ == source && source != nullptr) grid->DiscardEdit();
}

bool TDBGrid::PostEdits(const QWidget* window) {
    for (TDBGrid* grid : std::vector<TDBGrid*>(liveGrids())) {
        if (grid->View()->window() != window) continue;
        if (!grid->CommitEdit()) return false;
        TDataSet* ds = grid->model_ ? grid->model_->DataSet() : nullptr;
        if (ds == nullptr || !ds->Active() || ds->State() == TDataSetState::dsBrowse) continue;
        bool posted = false;
        Dispatch([&] {
            if (anythingTyped(*ds))
                ds->Post();
            else
                ds->Cancel();
            posted = true;
        });
        if (!posted) return false;
    }
    return true;
}
