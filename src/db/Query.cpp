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

void TQuery::OpenCursor() {
    TDatabase& db = OpenDatabaseNamed(databaseName_);
    const QString sql = statement();
    result_ = db.Connection().OpenQuery(sql);
    std::vector<QString> names;
    std::vector<TFieldType> types;
    for (const ColumnInfo& c : result_->Columns()) {
        TField* f = AddField(CreateField(this, c));
        names.push_back(f->FieldName());
        types.push_back(f->DataType());
    }
    if (requestLive_) {
        live_ = LiveTable::ForStatement(sql);
        if (live_) live_->SetColumns(std::move(names), std::move(types));
    }
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
    if (!live_ || !database_) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    return database_->Connection();
}

void TQuery::readToEnd() {
    // A write to the table while its result is still being read could move the written
    // row ahead of the cursor (SQLite then returns it a second time), so the result is
    // read to its end first.
    while (!AllFetched()) FetchMore(16384);
}

void TQuery::WriteRecord(int row, std::vector<std::optional<QByteArray>>& values) {
    SqlConnection& conn = liveConnection();
    readToEnd();
    if (row >= 0) {
        live_->Update(conn, Rows(), row, values);
        return;
    }
    // The new row as the table keeps it (serials, defaults), so that it can be found again.
    RowStore stored(FieldCount());
    live_->Insert(conn, values, stored);
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
    readToEnd();
    live_->Remove(conn, Rows(), row);
}
