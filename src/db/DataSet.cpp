#include "db/DataSet.h"

#include <QScopedValueRollback>
#include <algorithm>

#include "rtl/Exception.h"

namespace {

// Rows fetched at a time while walking; a grid asks for its own amounts.
constexpr int kWalkBatch = 1000;

[[noreturn]] void raise(const char* message) {
    throw EDatabaseError(QString::fromLatin1(message));
}

[[noreturn]] void raise(const QString& message) {
    throw EDatabaseError(message);
}

}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
    // Subclasses close in their own destructors (the cursor is theirs); what is left
    // here is only the bookkeeping.
    for (TDataSetObserver* o : std::vector<TDataSetObserver*>(observers_))
        o->DataSetEvent(this, TDataEvent::Closed, -1);
    destroyFields();
}

// ---- opening and closing -------------------------------------------------------

void TDataSet::Open() {
    if (Active()) return;
    rows_.Reset(0);
    allFetched_ = false;
    try {
        OpenCursor();
        rows_.Reset(FieldCount());
        buffer_.clear();
        state_ = TDataSetState::dsBrowse;
        // Only the first row: opening costs the same whatever the size of the result.
        // Controls hear of it as part of Opened, not as rows fetched before the open.
        const QScopedValueRollback<int> quiet(disableCount_, disableCount_ + 1);
        FetchMore(1);
    } catch (...) {
        state_ = TDataSetState::dsInactive;
        try {
            CloseCursor();
        } catch (...) {
        }
        destroyFields();
        rows_.Reset(0);
        throw;
    }
    cur_ = rows_.Count() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = cur_ < 0;
    Notify(TDataEvent::Opened, -1);
}

void TDataSet::Close() {
    if (!Active()) return;
    buffer_.clear();
    insertRow_ = -1;
    state_ = TDataSetState::dsInactive;
    CloseCursor();
    destroyFields();
    rows_.Reset(0);
    allFetched_ = false;
    cur_ = -1;
    bof_ = eof_ = true;
    Notify(TDataEvent::Closed, -1);
}

void TDataSet::SetActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

void TDataSet::CheckActive() const {
    if (!Active()) raise("Cannot perform this operation on a closed dataset");
}

TField* TDataSet::AddField(std::unique_ptr<TField> field) {
    field->index_ = FieldCount();
    fields_.push_back(std::move(field));
    return fields_.back().get();
}

void TDataSet::destroyFields() {
    // Last created first, as components go.
    while (!fields_.empty()) fields_.pop_back();
}

// ---- navigation ----------------------------------------------------------------

void TDataSet::checkBrowse() const {
    CheckActive();
    if (state_ != TDataSetState::dsBrowse) const_cast<TDataSet*>(this)->Post();
}

bool TDataSet::ensureRow(int row) {
    while (row >= rows_.Count() && !allFetched_) FetchMore(std::max(kWalkBatch, row + 1 - rows_.Count()));
    return row >= 0 && row < rows_.Count();
}

void TDataSet::scrolled() {
    Notify(TDataEvent::Scrolled, cur_);
}

void TDataSet::First() {
    checkBrowse();
    cur_ = ensureRow(0) ? 0 : -1;
    bof_ = true;
    eof_ = cur_ < 0;
    scrolled();
}

void TDataSet::Next() {
    checkBrowse();
    if (cur_ >= 0 && ensureRow(cur_ + 1)) {
        ++cur_;
        bof_ = eof_ = false;
        scrolled();
    } else {
        eof_ = true;
    }
}

void TDataSet::Prior() {
    checkBrowse();
    if (cur_ > 0) {
        --cur_;
        bof_ = eof_ = false;
        scrolled();
    } else {
        bof_ = true;
    }
}

void TDataSet::Last() {
    checkBrowse();
    while (!allFetched_) FetchMore(kWalkBatch * 16);
    cur_ = rows_.Count() - 1;
    eof_ = true;
    bof_ = cur_ < 0;
    scrolled();
}

int TDataSet::MoveBy(int n) {
    checkBrowse();
    int moved = 0;
    while (n > 0 && cur_ >= 0 && ensureRow(cur_ + 1)) {
        ++cur_;
        ++moved;
        --n;
    }
    while (n < 0 && cur_ > 0) {
        --cur_;
        --moved;
        ++n;
    }
    if (n > 0) eof_ = true;
    if (n < 0) bof_ = true;
    if (moved > 0) bof_ = false;
    if (moved < 0) eof_ = false;
    if (moved) scrolled();
    return moved;
}

bool TDataSet::Eof() const {
    return !Active() || eof_;
}
bool TDataSet::Bof() const {
    return !Active() || bof_;
}

bool TDataSet::IsEmpty() {
    CheckActive();
    return state_ != TDataSetState::dsInsert && !ensureRow(0);
}

int TDataSet::RecNo() const {
    if (!Active()) return 0;
    if (state_ == TDataSetState::dsInsert) return insertRow_ + 1;
    return cur_ + 1;
}

void TDataSet::SetRecNo(int recNo) {
    checkBrowse();
    if (recNo < 1 || !ensureRow(recNo - 1)) return;
    cur_ = recNo - 1;
    bof_ = eof_ = false;
    scrolled();
}

int TDataSet::RecordCount() {
    CheckActive();
    while (!allFetched_) FetchMore(kWalkBatch * 16);
    return rows_.Count();
}

// ---- fields --------------------------------------------------------------------

TField* TDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Field index out of range: %1").arg(index));
    return fields_[static_cast<size_t>(index)].get();
}

TField* TDataSet::FindField(const QString& name) const {
    for (const auto& f : fields_)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
    TField* f = FindField(name);
    if (!f) throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return f;
}

std::optional<std::string_view> TDataSet::CurrentValue(int col) const {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        const auto& v = buffer_.at(static_cast<size_t>(col));
        if (!v) return std::nullopt;
        return std::string_view(v->constData(), static_cast<size_t>(v->size()));
    }
    if (!Active() || cur_ < 0) return std::nullopt;
    return rows_.Value(cur_, col);
}

void TDataSet::SetCurrentValue(int col, std::optional<QByteArray> value) {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        raise("Dataset not in edit or insert mode");
    buffer_.at(static_cast<size_t>(col)) = std::move(value);
    Notify(TDataEvent::RecordChanged, state_ == TDataSetState::dsInsert ? insertRow_ : cur_);
}

// ---- controls --------------------------------------------------------------------

void TDataSet::DisableControls() {
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ == 0) Notify(TDataEvent::Refreshed, cur_);
}

void TDataSet::AddObserver(TDataSetObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TDataSet::RemoveObserver(TDataSetObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TDataSet::Notify(TDataEvent event, int row) {
    if (disableCount_ > 0) return;
    // An observer may detach itself while being told.
    for (TDataSetObserver* o : std::vector<TDataSetObserver*>(observers_))
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end())
            o->DataSetEvent(this, event, row);
}

// ---- bookmarks ---------------------------------------------------------------------

TDataSet::TBookmark TDataSet::GetBookmark() const {
    return Active() ? cur_ : -1;
}

void TDataSet::GotoBookmark(TBookmark bookmark) {
    checkBrowse();
    // The bookmark of an empty result marks no row: going back to it goes nowhere.
    if (bookmark < 0) return;
    if (bookmark >= rows_.Count()) raise("Record not found");
    cur_ = bookmark;
    bof_ = eof_ = false;
    scrolled();
}

// ---- lazy random access --------------------------------------------------------------

int TDataSet::FetchMore(int maxRows) {
    CheckActive();
    if (allFetched_ || maxRows <= 0) return 0;
    const int before = rows_.Count();
    try {
        if (!FetchRows(rows_, maxRows)) allFetched_ = true;
    } catch (...) {
        // The rows fetched so far stay usable; the source is not asked again.
        allFetched_ = true;
        throw;
    }
    const int added = rows_.Count() - before;
    if (added > 0) Notify(TDataEvent::RowsFetched, before);
    return added;
}

QString TDataSet::DisplayText(int row, int col) const {
    TField* f = Fields(col);
    std::optional<std::string_view> v;
    if (state_ == TDataSetState::dsEdit && row == cur_)
        v = CurrentValue(col);
    else if (row >= 0 && row < rows_.Count())
        v = rows_.Value(row, col);
    if (!v) return QString();
    const bool binary =
        f->InheritsFrom<TBytesField>() || (f->InheritsFrom<TBlobField>() && !f->InheritsFrom<TMemoField>());
    if (binary) return QStringLiteral("(BLOB)");
    return f->FormatValue(*v);
}

bool TDataSet::IsNullAt(int row, int col) const {
    if (state_ == TDataSetState::dsEdit && row == cur_) return !CurrentValue(col).has_value();
    if (row < 0 || row >= rows_.Count()) return true;
    return !rows_.Value(row, col).has_value();
}

// ---- editing ----------------------------------------------------------------------------

void TDataSet::Edit() {
    CheckActive();
    if (state_ != TDataSetState::dsBrowse) return;
    if (!CanModify()) raise(ReadOnlyReason());
    if (!ensureRow(std::max(cur_, 0)) || cur_ < 0) {
        Insert();
        return;
    }
    buffer_.assign(static_cast<size_t>(FieldCount()), std::nullopt);
    for (int c = 0; c < FieldCount(); ++c)
        if (auto v = rows_.Value(cur_, c))
            buffer_[static_cast<size_t>(c)] = QByteArray(v->data(), static_cast<qsizetype>(v->size()));
    state_ = TDataSetState::dsEdit;
    Notify(TDataEvent::StateChanged, cur_);
}

void TDataSet::Insert() {
    checkBrowse();
    if (!CanModify()) raise(ReadOnlyReason());
    buffer_.assign(static_cast<size_t>(FieldCount()), std::nullopt);
    insertRow_ = std::max(cur_, 0);
    state_ = TDataSetState::dsInsert;
    Notify(TDataEvent::StateChanged, insertRow_);
}

void TDataSet::Append() {
    checkBrowse();
    if (!CanModify()) raise(ReadOnlyReason());
    while (!allFetched_) FetchMore(kWalkBatch * 16);
    buffer_.assign(static_cast<size_t>(FieldCount()), std::nullopt);
    insertRow_ = rows_.Count();
    state_ = TDataSetState::dsInsert;
    Notify(TDataEvent::StateChanged, insertRow_);
}

void TDataSet::Post() {
    CheckActive();
    if (state_ == TDataSetState::dsBrowse) raise("Dataset not in edit or insert mode");
    const bool inserting = state_ == TDataSetState::dsInsert;
    // The write comes first: when it fails the record stays in edit mode, nothing cached changes.
    WriteRecord(inserting ? -1 : cur_, buffer_);
    rows_.BeginRow();
    for (const auto& v : buffer_) {
        if (v)
            rows_.AddValue(v->constData(), static_cast<size_t>(v->size()));
        else
            rows_.AddNull();
    }
    if (inserting) {
        rows_.EndRow(insertRow_);
        cur_ = std::min(insertRow_, rows_.Count() - 1);
    } else {
        rows_.EndRowReplacing(cur_);
    }
    buffer_.clear();
    insertRow_ = -1;
    state_ = TDataSetState::dsBrowse;
    bof_ = eof_ = false;
    Notify(inserting ? TDataEvent::RowInserted : TDataEvent::RecordChanged, cur_);
    Notify(TDataEvent::StateChanged, cur_);
}

void TDataSet::Cancel() {
    CheckActive();
    if (state_ == TDataSetState::dsBrowse) return;
    buffer_.clear();
    insertRow_ = -1;
    state_ = TDataSetState::dsBrowse;
    Notify(TDataEvent::StateChanged, cur_);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (state_ == TDataSetState::dsEdit) Cancel();
    if (!CanModify()) raise(ReadOnlyReason());
    if (cur_ < 0) raise("Cannot perform this operation on an empty dataset");
    DeleteRecord(cur_);
    const int deleted = cur_;
    rows_.Remove(cur_);
    if (!ensureRow(cur_)) cur_ = rows_.Count() - 1;
    eof_ = cur_ < 0;
    bof_ = cur_ <= 0;
    Notify(TDataEvent::RowDeleted, deleted);
    scrolled();
}

void TDataSet::WriteRecord(int, std::vector<std::optional<QByteArray>>&) {
    raise("Cannot modify a read-only dataset");
}

void TDataSet::DeleteRecord(int) {
    raise("Cannot modify a read-only dataset");
}
