#include "framework/DBCtrls.h"

#include <QHBoxLayout>
#include <QStyle>
#include <vector>

#include "db/DataSource.h"
#include "framework/Application.h"
#include "framework/DBGrids.h"
#include "framework/Dispatch.h"
#include "seam/DialogSeam.h"

namespace {

struct ButtonLook {
    const char* name;
    const char* hint;
    QStyle::StandardPixmap icon;
};

const ButtonLook kButtons[] = {
    {"First", "First record", QStyle::SP_MediaSkipBackward},
    {"Prior", "Prior record", QStyle::SP_MediaSeekBackward},
    {"Next", "Next record", QStyle::SP_MediaSeekForward},
    {"Last", "Last record", QStyle::SP_MediaSkipForward},
    {"Insert", "Insert record", QStyle::SP_FileDialogNewFolder},
    {"Delete", "Delete record", QStyle::SP_TrashIcon},
    {"Edit", "Edit record", QStyle::SP_FileDialogDetailedView},
    {"Post", "Post edit", QStyle::SP_DialogApplyButton},
    {"Cancel", "Cancel edit", QStyle::SP_DialogCancelButton},
};

// The navigators that exist, for the grids to find those over their data source.
std::vector<TDBNavigator*>& liveNavigators() {
    static std::vector<TDBNavigator*> navigators;
    return navigators;
}

}  // namespace

// Every event of the dataset may change what can be done.
class TDBNavigator::Watcher : public TDataSetObserver {
  public:
    explicit Watcher(TDBNavigator* navigator) : navigator_(navigator) {}
    void DataSetEvent(TDataSet*, TDataEvent, int) override { navigator_->updateButtons(); }

  private:
    TDBNavigator* navigator_;
};

TDBNavigator::TDBNavigator(TComponent* owner)
    : TWinControl(owner, new QWidget), watcher_(std::make_unique<Watcher>(this)) {
    liveNavigators().push_back(this);
    auto* layout = new QHBoxLayout(Widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* b = new QToolButton(Widget());
        b->setObjectName(QStringLiteral("Navigator") + QLatin1String(kButtons[i].name));
        b->setAccessibleName(QLatin1String(kButtons[i].name));
        b->setToolTip(QLatin1String(kButtons[i].hint));
        b->setIcon(StandardGlyph(kButtons[i].icon));
        layout->addWidget(b);
        buttons_[i] = b;
        const auto which = static_cast<TNavigateBtn>(i);
        QObject::connect(b, &QToolButton::clicked, b,
                         [this, which] { Dispatch([this, which] { BtnClick(which); }); });
    }
    updateButtons();
}

TDBNavigator::~TDBNavigator() {
    std::erase(liveNavigators(), this);
    if (source_ != nullptr) source_->RemoveObserver(watcher_.get());
}

void TDBNavigator::SetDataSource(TDataSource* source) {
    if (source_ != nullptr) source_->RemoveObserver(watcher_.get());
    source_ = source;
    if (source_ != nullptr) source_->AddObserver(watcher_.get());
    updateButtons();
}

void TDBNavigator::GridEditingChanged(const TDataSource* source) {
    for (TDBNavigator* navigator : liveNavigators())
        if (navigator->source_ == source && source != nullptr) navigator->updateButtons();
}

void TDBNavigator::updateButtons() {
    TDataSet* ds = source_ != nullptr ? source_->DataSet() : nullptr;
    std::array<bool, 9> on{};
    if (ds != nullptr && ds->Active()) {
        // A value typed into a grid's open cell editor is an edit of its row already.
        const bool browsing = ds->State() == TDataSetState::dsBrowse && !TDBGrid::AnyEditing(source_);
        const bool inserting = ds->State() == TDataSetState::dsInsert;
        const int rows = ds->FetchedCount() + (inserting ? 1 : 0);
        const int recNo = ds->RecNo();
        // A result says it has ended once its last row is read: the rows fetched so far
        // tell whether the current row is the last, without reading the rest.
        const bool empty = rows == 0 && ds->AllFetched();
        const bool atFirst = empty || recNo <= 1;
        const bool atLast = empty || (ds->AllFetched() && recNo >= rows);
        const bool canModify = ds->CanModify();
        auto set = [&on](TNavigateBtn b, bool enabled) { on[static_cast<size_t>(b)] = enabled; };
        set(TNavigateBtn::nbFirst, !atFirst);
        set(TNavigateBtn::nbPrior, !atFirst);
        set(TNavigateBtn::nbNext, !atLast);
        set(TNavigateBtn::nbLast, !atLast);
        set(TNavigateBtn::nbInsert, canModify);
        set(TNavigateBtn::nbDelete, canModify && !empty);
        set(TNavigateBtn::nbEdit, canModify && browsing && !empty);
        set(TNavigateBtn::nbPost, canModify && !browsing);
        set(TNavigateBtn::nbCancel, canModify && !browsing);
    }
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setEnabled(on[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
    TDataSet* ds = source_ != nullptr ? source_->DataSet() : nullptr;
    if (ds == nullptr || !ds->Active()) return;
    // The buttons show what the action left, also when it failed: a cell editor it
    // closed has left its grid only now, after the dataset told of its new state.
    struct RefreshAfter {
        TDBNavigator* navigator;
        ~RefreshAfter() { navigator->updateButtons(); }
    } refresh{this};
    // A value typed into a grid's cell belongs to the row before anything is done with it.
    if (button == TNavigateBtn::nbCancel)
        TDBGrid::DiscardEdits(source_);
    else if (!TDBGrid::CommitEdits(source_))
        return;  // refused: the error is shown and nothing further is done
    switch (button) {
        case TNavigateBtn::nbFirst:
            ds->First();
            break;
        case TNavigateBtn::nbPrior:
            ds->Prior();
            break;
        case TNavigateBtn::nbNext:
            ds->Next();
            break;
        case TNavigateBtn::nbLast:
            ds->Last();
            break;
        case TNavigateBtn::nbInsert:
            ds->Insert();
            break;
        case TNavigateBtn::nbEdit:
            ds->Edit();
            break;
        case TNavigateBtn::nbPost:
            // Leaving the editor may have written the row already.
            if (ds->State() != TDataSetState::dsBrowse) ds->Post();
            break;
        case TNavigateBtn::nbCancel:
            ds->Cancel();
            break;
        case TNavigateBtn::nbDelete: {
            if (ds->IsEmpty()) return;
            platform::MessageBoxRequest r;
            r.text = QStringLiteral("Delete record?");
            r.caption = Application() != nullptr ? Application()->Title() : QString();
            r.icon = platform::BoxIcon::Question;
            r.buttons = platform::BoxButtons::YesNo;
            r.defaultAnswer = platform::IDYES;
            if (platform::Dialogs().messageBox(r) == platform::IDYES) ds->Delete();
            break;
        }
    }
}
