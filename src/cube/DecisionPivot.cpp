#include "cube/DecisionPivot.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolButton>

#include "cube/DecisionCube.h"
#include "cube/DecisionSource.h"
#include "framework/Dispatch.h"

namespace {

const char* const kMime = "application/x-zorvantic-dimension";

QLabel* groupLabel(const QString& text) {
    auto* l = new QLabel(text);
    l->setEnabled(false);
    return l;
}

}  // namespace

class TDecisionPivot::Filter : public QObject {
  public:
    explicit Filter(TDecisionPivot* pivot) : pivot_(pivot) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        return pivot_->eventFilterHook(watched, event);
    }

  private:
    TDecisionPivot* pivot_;
};

TDecisionPivot::TDecisionPivot(TComponent* owner) : TWinControl(owner, new QWidget) {
    filter_ = new Filter(this);
    filter_->setParent(Widget());
    auto* bar = new QHBoxLayout(Widget());
    bar->setContentsMargins(3, 3, 3, 3);  // border width 3
    bar->setSpacing(10);                  // between the groups
    auto group = [&](const QString& caption, const char* name, QHBoxLayout*& layout) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        layout = new QHBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(3);
        layout->addWidget(groupLabel(caption));
        w->setAcceptDrops(true);
        w->setMinimumWidth(120);  // room to drop a button into an empty group
        w->installEventFilter(filter_);
        bar->addWidget(w);
        return w;
    };
    rows_ = group(QStringLiteral("Rows:"), "RowsGroup", rowsLayout_);
    columns_ = group(QStringLiteral("Columns:"), "ColumnsGroup", columnsLayout_);
    auto* summaries = new QWidget;
    auto* sl = new QHBoxLayout(summaries);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->setSpacing(3);
    sl->addWidget(groupLabel(QStringLiteral("Summary:")));
    summaryButton_ = new QToolButton;
    summaryButton_->setObjectName(QStringLiteral("SummaryButton"));
    summaryButton_->setPopupMode(QToolButton::InstantPopup);
    summaryButton_->setMenu(new QMenu(summaryButton_));
    summaryButton_->setMinimumSize(64, 24);
    sl->addWidget(summaryButton_);
    bar->addWidget(summaries);
    bar->addStretch(1);
}

TDecisionPivot::~TDecisionPivot() = default;

void TDecisionPivot::SetDecisionSource(TDecisionSource* source) {
    source_ = source;
    if (source_ != nullptr) source_->OnChange.push_back([this] { rebuild(); });
    rebuild();
}

QToolButton* TDecisionPivot::DimensionButton(int d) const {
    return d >= 0 && d < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(d)].data()
                                                           : nullptr;
}

QToolButton* TDecisionPivot::addDimensionButton(QWidget* group, QHBoxLayout* layout, int d) {
    const CubeStore& s = source_->DecisionCube()->Store();
    auto* b = new QToolButton(group);
    b->setObjectName(QStringLiteral("Dimension%1").arg(d));
    b->setText(s.Dimensions(d).Caption);
    b->setCheckable(true);  // down: open, broken down by its values
    b->setChecked(source_->Layout().IsOpen(d));
    // A closed dimension is added up: its button says so at a glance.
    QFont font = b->font();
    font.setItalic(!b->isChecked());
    b->setFont(font);
    b->setMinimumSize(64, 24);
    b->setToolTip(QStringLiteral("Click to open or close; drag to move; right click for more"));
    b->setContextMenuPolicy(Qt::CustomContextMenu);
    b->installEventFilter(filter_);
    QObject::connect(b, &QToolButton::clicked, b, [this, d](bool checked) {
        Dispatch([this, d, checked] { source_->SetDimensionOpen(d, checked); });
    });
    QObject::connect(b, &QWidget::customContextMenuRequested, b,
                     [this, b, d](const QPoint& at) { showMenu(d, b->mapToGlobal(at)); });
    layout->addWidget(b);
    buttons_[static_cast<size_t>(d)] = b;
    return b;
}

void TDecisionPivot::rebuild() {
    for (const QPointer<QToolButton>& b : buttons_)
        if (b) {
            b->hide();
            b->deleteLater();  // the button may be the one whose click is running
        }
    buttons_.clear();
    QMenu* menu = summaryButton_->menu();
    menu->clear();
    summaryButton_->setText(QString());
    if (source_ == nullptr || !source_->Active()) return;
    const CubeStore& s = source_->DecisionCube()->Store();
    const PivotLayout& layout = source_->Layout();
    buttons_.resize(static_cast<size_t>(s.DimensionCount()));
    for (int d : layout.Rows) addDimensionButton(rows_, rowsLayout_, d);
    for (int d : layout.Columns) addDimensionButton(columns_, columnsLayout_, d);
    for (int i = 0; i < s.SummaryCount(); ++i) {
        QAction* a = menu->addAction(s.Summaries(i).Caption);
        a->setCheckable(true);
        a->setChecked(i == layout.Summary);
        QObject::connect(a, &QAction::triggered, summaryButton_,
                         [this, i] { Dispatch([this, i] { source_->SetSummary(i); }); });
    }
    if (layout.Summary >= 0 && layout.Summary < s.SummaryCount())
        summaryButton_->setText(s.Summaries(layout.Summary).Caption);
}

void TDecisionPivot::showMenu(int d, const QPoint& at) {
    if (source_ == nullptr || !source_->Active()) return;
    const PivotLayout& layout = source_->Layout();
    const bool inRows = std::find(layout.Rows.begin(), layout.Rows.end(), d) != layout.Rows.end();
    const std::vector<int>& own = inRows ? layout.Rows : layout.Columns;
    const int pos = static_cast<int>(std::find(own.begin(), own.end(), d) - own.begin());
    QMenu menu;
    QAction* open = menu.addAction(layout.IsOpen(d) ? QStringLiteral("Close") : QStringLiteral("Open"));
    QAction* move =
        menu.addAction(inRows ? QStringLiteral("Move to columns") : QStringLiteral("Move to rows"));
    QAction* left = menu.addAction(QStringLiteral("Move left"));
    QAction* right = menu.addAction(QStringLiteral("Move right"));
    left->setEnabled(pos > 0);
    right->setEnabled(pos + 1 < static_cast<int>(own.size()));
    QAction* chosen = menu.exec(at);
    if (chosen == nullptr) return;
    Dispatch([&] {
        if (chosen == open) source_->SetDimensionOpen(d, !layout.IsOpen(d));
        if (chosen == move) source_->MoveDimension(d, !inRows);
        if (chosen == left) source_->MoveDimension(d, inRows, pos - 1);
        if (chosen == right) source_->MoveDimension(d, inRows, pos + 1);
    });
}

bool TDecisionPivot::dropPlace(QWidget* target, const QPoint& pos, bool& toRows, int& index) const {
    // A drop on a button counts for the group the button is in.
    QWidget* group = target;
    QPoint at = pos;
    if (group != rows_ && group != columns_ && group != nullptr) {
        at = group->mapToParent(pos);
        group = group->parentWidget();
    }
    if (group != rows_ && group != columns_) return false;
    toRows = group == rows_;
    const std::vector<int>& list = toRows ? source_->Layout().Rows : source_->Layout().Columns;
    index = 0;
    for (int d : list) {
        const QToolButton* b = DimensionButton(d);
        if (b != nullptr && at.x() > b->geometry().center().x()) ++index;
    }
    return true;
}

bool TDecisionPivot::eventFilterHook(QObject* watched, QEvent* event) {
    if (source_ == nullptr || !source_->Active()) return false;
    auto* button = qobject_cast<QToolButton*>(watched);
    if (button != nullptr && event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        pressAt_ = me->position().toPoint();
        pressed_ = -1;
        for (size_t d = 0; d < buttons_.size(); ++d)
            if (buttons_[d] == button && me->button() == Qt::LeftButton) pressed_ = static_cast<int>(d);
        return false;
    }
    if (button != nullptr && event->type() == QEvent::MouseMove && pressed_ >= 0) {
        auto* me = static_cast<QMouseEvent*>(event);
        if ((me->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
            return false;
        const int d = pressed_;
        pressed_ = -1;
        button->setDown(false);
        auto* drag = new QDrag(button);
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kMime), QByteArray::number(d));
        drag->setMimeData(mime);
        drag->setPixmap(button->grab());
        drag->exec(Qt::MoveAction);
        return true;
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* de = static_cast<QDropEvent*>(event);
        if (!de->mimeData()->hasFormat(QString::fromLatin1(kMime))) return false;
        de->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* de = static_cast<QDropEvent*>(event);
        if (!de->mimeData()->hasFormat(QString::fromLatin1(kMime))) return false;
        const int d = de->mimeData()->data(QString::fromLatin1(kMime)).toInt();
        de->acceptProposedAction();
        bool toRows = true;
        int index = -1;
        if (!dropPlace(static_cast<QWidget*>(watched), de->position().toPoint(), toRows, index)) return true;
        // Moving within its own group: the button's old place no longer counts.
        const std::vector<int>& list = toRows ? source_->Layout().Rows : source_->Layout().Columns;
        const auto old = std::find(list.begin(), list.end(), d);
        if (old != list.end() && static_cast<int>(old - list.begin()) < index) --index;
        Dispatch([&] { source_->MoveDimension(d, toRows, index); });
        return true;
    }
    return false;
}
