#include "db/Query.h"

#include "db/Database.h"
#include "db/Driver.h"
#include "db/LiveTable.h"
#include "rtl/Exception.h"

TQuery::TQuery(TComponent* owner) : TDataSet(owner) {}

TQuery::~TQuery() {
    try {
        Close();
    } catch (...) {
    }
}

void TQuery::SqlLines::Changed() {
    TStringList::Changed();
    query_->Close();
}

void TQuery::SetDatabaseName(const QString& name) {
    if (name == databaseName_) return;
    Close();
    databaseName_ = name;
}

void TQuery::SetRequestLive(bool live) {
    if (live == requestLive_) return;
    Close();
    requestLive_ = live;
}

QString TQuery::statement() const {
    // The SQL text as the lines stand, each ended by CR LF, so a literal that spans lines
    // keeps the line breaks it was written with.
    return sql_.Text();
}

bool TQuery::CanModify() const {
    return Active() && live_ != nullptr;
}

QString TQuery::ReadOnlyReason() const {
    if (!Active() || live_) return QString();
    return requestLive_ ? LiveTable::WhyReadOnly(statement())
                        : QStringLiteral("Cannot modify a read-only dataset");
}

void TQuery::OpenCursor() {
    TDatabase& db = OpenDatabaseNamed(databaseName_);
    const QString sql = statement();
    // The table's keys are read first: once the result is open, any other statement
    // would have to read all its rows before it could run.
    std::unique_ptr<LiveTable> live = requestLive_ ? LiveTable::ForStatement(sql) : nullptr;
    if (live) {
        // Without what the catalogue tells, rows are found by all their values.
        try {
            live->SetCatalogue(db.Connection().LiveColumns(live->Table()));
        } catch (const EDatabaseError&) {
            if (!db.Connected()) throw;
        }
    }
    result_ = db.Connection().OpenQuery(sql);
    std::vector<QString> names;
    std::vector<TFieldType> types;
    for (const ColumnInfo& c : result_->Columns()) {
        TField* f = AddField(CreateField(this, c));
        names.push_back(f->FieldName());
        types.push_back(f->DataType());
    }
    live_ = std::move(live);
    if (live_) live_->SetColumns(std::move(names), std::move(types));
    database_ = &db;
    db.RegisterDataSet(this);
}

void TQuery::CloseCursor() {
    live_.reset();
    result_.reset();
    if (database_) database_->UnregisterDataSet(this);
    database_ = nullptr;
}

bool TQuery::FetchRows(RowStore& rows, int maxRows) {
    return result_ && result_->Fetch(rows, maxRows);
}

void TQuery::ExecSQL() {
    TDatabase& db = OpenDatabaseNamed(databaseName_);
    rowsAffected_ = -1;
    rowsAffected_ = db.Connection().Execute(statement());
}

SqlConnection& TQuery::liveConnection() {
    if (!live_ || !database_) throw EDatabaseError(ReadOnlyReason());
    // The session was lost at an earlier write: this one goes to a new session, as the
    // next query would.
    if (!database_->Connected()) {
        TDatabase* db = database_;
        db->Open();
        if (database_ != db)
            throw EDatabaseError(QStringLiteral(
                "The connection to the database server was lost, and these rows with it: run the query "
                "again to edit them"));
    }
    return database_->Connection();
}

bool TQuery::OutliveSession() {
    // Rows not fetched yet are gone with the session: a result missing some of them
    // closes, unless it holds an edit that is not saved yet.
    const bool editing = State() == TDataSetState::dsEdit || State() == TDataSetState::dsInsert;
    if (!live_ || (!editing && !AllFetched())) return false;
    result_.reset();
    StopFetching();
    return true;
}

void TQuery::write(const std::function<void()>& action, const char* what) {
    try {
        action();
    } catch (const EDatabaseError& e) {
        if (!database_ || database_->Connected()) throw;
        throw EDatabaseError(e.Message() + QStringLiteral("\n") + QString::fromLatin1(what), e.NativeCode());
    }
}

void TQuery::readToEnd() {
    // A write to the table while its result is still being read could move the written
    // row ahead of the cursor (SQLite then returns it a second time), so the result is
    // read to its end first.
    while (!AllFetched()) FetchMore(16384);
}

void TQuery::WriteRecord(int row, std::vector<std::optional<QByteArray>>& values) {
    SqlConnection& conn = liveConnection();
    static const char* const kNotSaved =
        "The row was not saved: it stays as edited, and posting it again writes it on a new connection.";
    if (row >= 0) {
        write(
            [&] {
                readToEnd();
                live_->Update(conn, Rows(), row, values);
            },
            kNotSaved);
        return;
    }
    // The new row as the table keeps it (serials, defaults), so that it can be found again.
    RowStore stored(FieldCount());
    write(
        [&] {
            readToEnd();
            live_->Insert(conn, values, stored);
        },
        kNotSaved);
    if (stored.Count() != 1) return;
    for (int c = 0; c < FieldCount(); ++c) {
        const auto v = stored.Value(0, c);
        values[static_cast<size_t>(c)] =
            v ? std::optional<QByteArray>(QByteArray(v->data(), static_cast<qsizetype>(v->size())))
              : std::nullopt;
    }
}

void TQuery::DeleteRecord(int row) {
    SqlConnection& conn = liveConnection();
    write(
        [&] {
            readToEnd();
            live_->Remove(conn, Rows(), row);
        },
        "The row was not deleted.");
}
