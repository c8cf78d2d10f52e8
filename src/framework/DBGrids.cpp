#include "framework/DBGrids.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "db/DataSource.h"
#include "db/Field.h"
#include "framework/DBCtrls.h"
#include "framework/DataGridView.h"
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
            case TDataEvent::RowInserted:
            case TDataEvent::RowDeleted:
            case TDataEvent::StateChanged:
                grid_->followCursor();
                break;
            case TDataEvent::RowsFetched:
                grid_->updateRowBar();
                break;
            default:
                break;
        }
    }

  private:
    TDBGrid* grid_;
};

TDBGrid::TDBGrid(TComponent* owner)
    : TWinControl(owner, new DataGridView), follower_(std::make_unique<Follower>(this)) {
    liveGrids().push_back(this);
    WatchInput();
    View()->setSelectionBehavior(QAbstractItemView::SelectRows);
    View()->setSelectionMode(QAbstractItemView::SingleSelection);
    View()->verticalHeader()->setDefaultSectionSize(20);
    // A row is one line high: a value too wide for its column shows its beginning and an
    // ellipsis (a number its leading digits), never the first piece of a wrapped text.
    View()->setWordWrap(false);
    View()->setTextElideMode(Qt::ElideRight);
    View()->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    View()->horizontalHeader()->setSectionsClickable(true);
    QObject::connect(View()->horizontalHeader(), &QHeaderView::sectionClicked, View(), [this](int section) {
        if (!OnTitleClick || section < 0 || section >= ColumnCount()) return;
        Dispatch([this, section] { OnTitleClick(Columns(section)); });
    });
    // Ctrl+Home and Ctrl+End go to the ends of the whole result, not of the rows fetched
    // so far.
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
    // The model holds only the rows that fit: the row bar moves them over the result
    // without moving the cursor. Dragged to its bottom, or sent there, it shows the
    // result's last rows.
    QScrollBar* bar = gridView()->RowBar();
    QObject::connect(bar, &QScrollBar::valueChanged, View(),
                     [this, bar](int value) { showFrom(value, !bar->isSliderDown()); });
    QObject::connect(bar, &QScrollBar::sliderReleased, View(), [this, bar] {
        if (bar->value() == bar->maximum())
            scrollToEnd();
        else
            updateRowBar();
    });
    QObject::connect(bar, &QScrollBar::actionTriggered, View(), [this](int action) {
        if (action == QAbstractSlider::SliderToMaximum) scrollToEnd();
    });
    gridView()->OnPageRowsChanged = [this] {
        if (!model_) return;
        TDataSet* ds = model_->DataSet();
        const int record = (ds != nullptr && ds->Active()) ? ds->RecNo() - 1 : -1;
        const bool currentShown = record >= model_->Top() && record < model_->Top() + model_->rowCount();
        model_->SetWindowRows(gridView()->PageRows());
        if (currentShown)
            followCursor();
        else
            showFrom(model_->Top(), true);
    };
    gridView()->OnMoveRows = [this](int by) -> std::optional<QModelIndex> {
        TDataSet* ds = model_ ? model_->DataSet() : nullptr;
        // While a record is being edited the keys move within the rows shown, as the
        // cursor stays on the edited record.
        if (ds == nullptr || !ds->Active() || ds->State() != TDataSetState::dsBrowse) return std::nullopt;
        Dispatch([ds, by] { ds->MoveBy(by); });
        followCursor();  // also when the cursor stayed, on a row scrolled out of sight
        if (ds->RecNo() <= 0) return QModelIndex();
        return model_->index(ds->RecNo() - 1 - model_->Top(), currentColumn());
    };
}

DataGridView* TDBGrid::gridView() const {
    return static_cast<DataGridView*>(Widget());
}

int TDBGrid::currentColumn() {
    if (View()->currentIndex().isValid()) column_ = View()->currentIndex().column();
    const int columns = model_ ? model_->columnCount() : 0;
    return std::clamp(column_, 0, std::max(0, columns - 1));
}

void TDBGrid::showFrom(int top, bool fetch) {
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    if (ds == nullptr) return;
    const int page = gridView()->PageRows();
    // Rows not fetched yet are fetched as the window reaches them.
    if (fetch && ds->Active() && !ds->AllFetched() && top + page > model_->ResultRows()) {
        const int wanted = top + page - model_->ResultRows();
        Dispatch([ds, wanted] { ds->FetchMore(std::max(wanted, 256)); });
    }
    top = std::clamp(top, 0, std::max(0, model_->ResultRows() - page));
    if (top != model_->Top()) {
        // An open cell editor belongs to the record under it: its text is written first.
        gridView()->CommitOpenEditor();
        model_->SetTop(top);
    }
    updateRowBar();
    showCurrent();
}

void TDBGrid::updateRowBar() {
    QScrollBar* bar = gridView()->RowBar();
    const QSignalBlocker quiet(bar);
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    if (ds == nullptr || !ds->Active()) {
        bar->setRange(0, 0);
        return;
    }
    // Until every row is fetched, the bar reaches one row further: getting there fetches more.
    const int last = std::max(0, model_->ResultRows() - gridView()->PageRows()) + (ds->AllFetched() ? 0 : 1);
    bar->setRange(0, last);
    bar->setPageStep(gridView()->PageRows());
    if (!bar->isSliderDown()) bar->setValue(model_->Top());  // a dragged slider stays under the mouse
}

void TDBGrid::showCurrent() {
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    const int row = (ds != nullptr && ds->Active() && ds->RecNo() > 0) ? ds->RecNo() - 1 - model_->Top() : -1;
    const int column = currentColumn();
    moving_ = true;
    if (row >= 0 && row < model_->rowCount()) {
        if (View()->currentIndex() != model_->index(row, column))
            View()->setCurrentIndex(model_->index(row, column));
    } else if (View()->selectionModel() != nullptr) {
        View()->selectionModel()->clear();  // the current record is scrolled out of sight
    }
    moving_ = false;
}

void TDBGrid::scrollToEnd() {
    TDataSet* ds = model_ ? model_->DataSet() : nullptr;
    if (ds == nullptr || !ds->Active()) return;
    if (!ds->AllFetched()) Dispatch([ds] { ds->RecordCount(); });
    showFrom(model_->ResultRows() - gridView()->PageRows(), false);
}

TDBGrid::~TDBGrid() {
    std::erase(liveGrids(), this);
    if (source_ != nullptr) source_->RemoveObserver(follower_.get());
    // The model goes first, and the view, told so by the model itself, only lets go of
    // it: handing the view an empty model instead costs a new selection and dozens of
    // connections for a view about to go.
}

void TDBGrid::SetDataSource(TDataSource* source) {
    if (source_ != nullptr) source_->RemoveObserver(follower_.get());
    View()->setModel(nullptr);
    model_.reset();
    source_ = source;
    if (source_ == nullptr) return;
    model_ = std::make_unique<DataSetModel>(source_);
    model_->SetReadOnly(readOnly_);
    model_->SetWindowRows(gridView()->PageRows());
    View()->setModel(model_.get());
    source_->AddObserver(follower_.get());
    QObject::connect(View()->selectionModel(), &QItemSelectionModel::currentRowChanged, View(),
                     [this](const QModelIndex& current, const QModelIndex&) {
                         TDataSet* ds = model_ ? model_->DataSet() : nullptr;
                         if (moving_ || ds == nullptr || !ds->Active() || !current.isValid()) return;
                         const int record = model_->ResultRow(current.row()) + 1;
                         if (ds->RecNo() == record) return;
                         if (ds->State() == TDataSetState::dsInsert) {
                             leaveNewRow(record - 1);
                             return;
                         }
                         if (ds->State() != TDataSetState::dsBrowse) return;
                         moving_ = true;
                         Dispatch([&] { ds->SetRecNo(record); });
                         moving_ = false;
                     });
    RefreshColumns();
}

void TDBGrid::leaveNewRow(int record) {
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
    if (left && !typed && record > newRow) --record;
    if (left && record < ds->FetchedCount()) {
        moving_ = true;
        Dispatch([&] { ds->SetRecNo(record + 1); });
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
    if (moving_ || ds == nullptr) return;
    if (!ds->Active() || ds->RecNo() <= 0) {
        showFrom(model_->Top(), false);
        return;
    }
    // The window moves as little as it takes to show the current record.
    const int record = ds->RecNo() - 1;
    const int page = gridView()->PageRows();
    int top = model_->Top();
    if (record < top)
        top = record;
    else if (record >= top + page)
        top = record - page + 1;
    showFrom(top, false);
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
