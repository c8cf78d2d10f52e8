#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "db/Field.h"
#include "db/RowStore.h"
#include "rtl/Classes.h"

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// What a dataset tells the controls attached to it. `row` is the 0-based row in the
// fetched cache the event concerns (the current row for Scrolled), or -1.
enum class TDataEvent {
    Opened,
    Closed,
    Scrolled,
    RowsFetched,
    RecordChanged,
    RowInserted,
    RowDeleted,
    StateChanged,
    Refreshed
};

class TDataSetObserver {
  public:
    virtual ~TDataSetObserver() = default;
    virtual void DataSetEvent(TDataSet* dataSet, TDataEvent event, int row) = 0;
};

// A cursor over rows that are fetched from their source as they are needed and kept
// in a compact cache. Subclasses supply the fields and the rows; this class does the
// navigation, the editing protocol and the notification of attached controls.
class TDataSet : public TComponent {
  public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool active);

    void First();
    void Next();
    void Prior();
    void Last();
    // Moves by n rows (negative: backwards); returns how many rows it actually moved.
    int MoveBy(int n);
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty();
    // 1-based number of the current row; 0 when there is none.
    int RecNo() const;
    void SetRecNo(int recNo);
    // Number of rows; fetches every row not fetched yet.
    int RecordCount();

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;
    // First field whose name equals `name`, letter case ignored; raises EDatabaseError when none.
    TField* FieldByName(const QString& name) const;
    TField* FindField(const QString& name) const;

    // While controls are disabled no event goes out; the outermost EnableControls sends one Refreshed.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // A bookmark is the row's position in the fetched cache (0-based; -1: no row, and
    // going to it leaves the cursor where it is).
    using TBookmark = int;
    TBookmark GetBookmark() const;
    void GotoBookmark(TBookmark bookmark);

    TDataSetState State() const { return state_; }
    virtual bool CanModify() const { return false; }
    // The message that refuses an edit of a dataset that cannot be modified.
    virtual QString ReadOnlyReason() const { return QStringLiteral("Cannot modify a read-only dataset"); }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();

    // Random access for grids, without moving the cursor.
    int FetchedCount() const { return rows_.Count(); }
    bool AllFetched() const { return allFetched_; }
    // Fetches up to maxRows further rows; returns how many were added.
    int FetchMore(int maxRows);
    QString DisplayText(int row, int col) const;
    bool IsNullAt(int row, int col) const;
    // Row being inserted (not in the cache yet), or -1.
    int InsertRow() const { return state_ == TDataSetState::dsInsert ? insertRow_ : -1; }

    // The session the dataset reads from is lost. True when the dataset stays open all
    // the same (the rows it has, and an edit not yet posted, are kept for the next
    // session); the default closes it.
    virtual bool OutliveSession() { return false; }

    void AddObserver(TDataSetObserver* observer);
    void RemoveObserver(TDataSetObserver* observer);

    // For the fields: the current record's stored value of column `col` (nullopt: NULL).
    // The view stays valid while the cursor stays on the record and nothing is edited
    // (see RowStore::Value); the values of one record stay valid together.
    std::optional<std::string_view> CurrentValue(int col) const;
    void SetCurrentValue(int col, std::optional<QByteArray> value);

  protected:
    // Opens the source: creates the fields (AddField) and readies the fetching.
    virtual void OpenCursor() = 0;
    virtual void CloseCursor() = 0;
    // Appends up to maxRows rows to `rows`; returns false once the source has no more rows.
    virtual bool FetchRows(RowStore& rows, int maxRows) = 0;
    // Writes a posted record to the source (row: its cache row, -1 for a new one); may
    // replace the values by those the source stored (a new row's defaults).
    // Raises EDatabaseError when it cannot; the default refuses (read-only result).
    virtual void WriteRecord(int row, std::vector<std::optional<QByteArray>>& values);
    virtual void DeleteRecord(int row);

    TField* AddField(std::unique_ptr<TField> field);
    // No further rows will come: the rows fetched so far are all there is.
    void StopFetching() { allFetched_ = true; }
    RowStore& Rows() { return rows_; }
    void CheckActive() const;
    void Notify(TDataEvent event, int row);

  private:
    bool ensureRow(int row);  // fetches until `row` is cached; false when it does not exist
    void checkBrowse() const;
    void destroyFields();
    void scrolled();

    TDataSetState state_ = TDataSetState::dsInactive;
    std::vector<std::unique_ptr<TField>> fields_;
    RowStore rows_;
    bool allFetched_ = false;
    int cur_ = -1;  // current row in the cache, -1 when the result is empty
    bool eof_ = true;
    bool bof_ = true;
    int insertRow_ = -1;
    std::vector<std::optional<QByteArray>> buffer_;  // the edited record
    int disableCount_ = 0;
    std::vector<TDataSetObserver*> observers_;
};

// Keeps a dataset's attached controls from following it for a scope (a walk); they
// are attached again when the scope ends, also through an error.
class TControlsDisabled {
  public:
    explicit TControlsDisabled(TDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
    ~TControlsDisabled() { dataSet_.EnableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

  private:
    TDataSet& dataSet_;
};
