#include "db/PostgresResult.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>

#include "db/PostgresRows.h"
#include "db/PostgresTypes.h"

namespace {

// Type mapping by type OID:
//   int2 (21)                          -> TSmallintField
//   int4 (23)                          -> TIntegerField
//   int8 (20), oid (26)                -> TLargeintField
//   float4 (700), float8 (701)         -> TFloatField
//   money (790)                        -> TCurrencyField (value without symbol and grouping)
//   numeric (1700) [(p,s)]             -> TBCDField
//   bpchar(n) (1042), varchar(n) (1043)-> TStringField of size n
//   char (18)                          -> TStringField of size 1; name (19) of size 63
//   text (25), varchar/bpchar without n-> TMemoField
//   bool (16)                          -> TBooleanField
//   date (1082)                        -> TDateField
//   time (1083), timetz (1266)         -> TTimeField
//   timestamp (1114), timestamptz(1184)-> TDateTimeField
//   bytea (17)                         -> TBlobField (the bytes themselves)
//   anything else                      -> TMemoField (the server's text form)
using namespace pgtype;

}  // namespace

ColumnInfo PostgresColumn(const QString& name, Oid type, int typmod) {
    auto info = [&](TFieldType t, int size = 0, int precision = 0) {
        return ColumnInfo{name, t, size, precision};
    };
    switch (type) {
        case kInt2:
            return info(TFieldType::ftSmallint);
        case kInt4:
            return info(TFieldType::ftInteger);
        case kInt8:
        case kOid:
            return info(TFieldType::ftLargeint);
        case kFloat4:
        case kFloat8:
            return info(TFieldType::ftFloat);
        case kMoney:
            return info(TFieldType::ftCurrency);
        case kNumeric:
            if (typmod >= 4)
                return info(TFieldType::ftBCD, (typmod - 4) & 0xFFFF, ((typmod - 4) >> 16) & 0xFFFF);
            return info(TFieldType::ftBCD);
        case kBpchar:
        case kVarchar:
            return typmod >= 4 ? info(TFieldType::ftString, typmod - 4) : info(TFieldType::ftMemo);
        case kChar:
            return info(TFieldType::ftString, 1);
        case kName:
            return info(TFieldType::ftString, 63);
        case kText:
            return info(TFieldType::ftMemo);
        case kBool:
            return info(TFieldType::ftBoolean);
        case kDate:
            return info(TFieldType::ftDate);
        case kTime:
        case kTimetz:
            return info(TFieldType::ftTime);
        case kTimestamp:
        case kTimestamptz:
            return info(TFieldType::ftDateTime);
        case kBytea:
            return info(TFieldType::ftBlob);
        default:
            return info(TFieldType::ftMemo);
    }
}

PostgresResult::PostgresResult(PostgresConnection& conn, PgResult first, Cursor cursor)
    : SqlResult(conn), conn_(&conn), cursor_(std::move(cursor)), open_(true) {
    describe(first.get());
    takeFirstBatch(std::move(first), kFirstBatch);
}

PostgresResult::PostgresResult(PostgresConnection& conn, PgResult first, bool inTransactionBlock)
    : SqlResult(conn), conn_(&conn), inTransactionBlock_(inTransactionBlock) {
    describe(first.get());
    // A single row: the rest is still coming. A whole result: there is no more.
    open_ = PQresultStatus(first.get()) == PGRES_SINGLE_TUPLE;
    batch_ = std::move(first);
    if (!open_) {
        DiscardPostgresResults(conn.Handle());
        conn.EndStatement(true);
    }
}

PostgresResult::PostgresResult(PostgresConnection& conn, const PGresult* described, CopyOut)
    : SqlResult(conn), conn_(&conn), open_(true), copy_(true) {
    describe(described);
    readFirstCopiedRows();
}

void PostgresResult::readFirstCopiedRows() {
    // As many rows as a cursor's first FETCH, at once: a short result is then known to
    // end, and the reading threads start only for a longer one.
    RowBatch rows;
    int count = 0;
    bool header = true;
    while (count < kFirstBatch) {
        char* message = nullptr;
        int size = PQgetCopyData(conn_->Handle(), &message, 0);
        if (size > 0) {
            const std::unique_ptr<char, decltype(&PQfreemem)> owned(message, &PQfreemem);
            const char* row = message;
            try {
                if (header && !pgrows::skipCopyHeader(row, size)) pgrows::malformedCopiedRow();
                header = false;
                if (size > 0 && pgrows::addCopiedRow(rows, kinds_, scratch_, row, size)) ++count;
            } catch (const EDatabaseError& e) {
                // The rows before it stay; the rest of the COPY is not wanted.
                afterCurrent_ = e;
                abandonStream();
                break;
            }
            continue;
        }
        open_ = false;
        PgResult result{PQgetResult(conn_->Handle())};
        if (size == -1 && PQresultStatus(result.get()) == PGRES_COMMAND_OK) {
            DiscardPostgresResults(conn_->Handle());
            conn_->EndStatement(true);
            break;
        }
        // The failure comes after the rows before it.
        try {
            conn_->FailStatement(result.get());
        } catch (const EDatabaseError& e) {
            afterCurrent_ = e;
        }
        break;
    }
    rows.Finish();
    current_ = std::move(rows);
    // The rest are read ahead at once, as a cursor's are: until the reader asks for them
    // the server would wait on a full socket.
    if (!open_) return;
    cancel_.reset(PQgetCancel(conn_->Handle()));
    reader_ = std::make_unique<PostgresReadAhead>(conn_->Handle(), kinds_);
}

void PostgresResult::describe(const PGresult* r) {
    const int n = PQnfields(r);
    for (int c = 0; c < n; ++c) {
        columns_.push_back(PostgresColumn(QString::fromUtf8(PQfname(r, c)), PQftype(r, c), PQfmod(r, c)));
        kinds_.push_back(PQftype(r, c));
    }
    binaryFetch_ = n > 0 && std::all_of(kinds_.begin(), kinds_.end(), PostgresBinaryReadable);
    buffer_.Reset(n);
}

PostgresResult::~PostgresResult() {
    if (Detached()) return;
    try {
        if (cursor_) {
            // Closed before its end: a cursor closes without disturbing a transaction.
            // The FETCH on its way comes back first; what was read may end the cursor.
            if (reader_) {
                reader_->Stop();
                while (auto batch = reader_->Next()) {
                    if (batch->failed) failed(batch->failure.get());
                    if (batch->last) endCursor(true);
                }
            }
            if (open_) endCursor(false);
            return;
        }
        if (open_) abandonStream();
    } catch (...) {
    }
}

void PostgresResult::abandonStream() {
    // A stream closed before its end: outside a transaction block the server is asked
    // to stop sending; inside one the statement is read to its end instead, since a
    // cancelled statement would abort the block and its COMMIT would roll back. The
    // cancel goes first, so that a reading thread waiting for a slow row is answered.
    open_ = false;
    if (!inTransactionBlock_) {
        if (!cancel_) cancel_.reset(PQgetCancel(conn_->Handle()));
        char err[256];
        if (cancel_) PQcancel(cancel_.get(), err, sizeof err);
    }
    bool failed = false;
    if (reader_) {
        reader_->Stop();
        while (auto batch = reader_->Next())
            if (batch->failed) failed = true;
        reader_.reset();
    }
    current_ = RowBatch();
    if (copy_) {
        // What is left of the COPY is read and dropped.
        char* message = nullptr;
        for (int size; (size = PQgetCopyData(conn_->Handle(), &message, 0)) > 0;) PQfreemem(message);
    }
    while (PgResult r{PQgetResult(conn_->Handle())})
        if (PQresultStatus(r.get()) == PGRES_FATAL_ERROR) failed = true;
    conn_->EndStatement(!failed);
}

void PostgresResult::ReleaseSession() {
    // The session is closing: the FETCH on its way ends first; its rows are not wanted.
    if (reader_) reader_->Stop();
    reader_.reset();
    batch_.reset();
    current_ = RowBatch();
    open_ = false;
}

void PostgresResult::failed(const PGresult* result) {
    open_ = false;
    conn_->FailCursor(result, cursor_ && cursor_->ownTransaction);
}

void PostgresResult::finish(bool complete) {
    if (cursor_) {
        endCursor(complete);
        return;
    }
    open_ = false;
    conn_->EndStatement(complete);
}

void PostgresResult::endCursor(bool complete) {
    open_ = false;
    conn_->EndCursor(cursor_->name, cursor_->ownTransaction, complete);
}

void PostgresResult::takeFirstBatch(PgResult rows, int wanted) {
    const int n = PQntuples(rows.get());
    batch_ = std::move(rows);
    batchNext_ = 0;
    // Fewer rows than asked for: the cursor is at its end.
    if (n < wanted) {
        endCursor(true);
        return;
    }
    reader_ = std::make_unique<PostgresReadAhead>(conn_->Handle(), cursor_->name, kinds_, binaryFetch_,
                                                  4 * kFirstBatch);
}

bool PostgresResult::takeFetch() {
    if (!reader_) return false;
    std::optional<PostgresReadAhead::Batch> batch = reader_->Next();
    if (!batch) {
        reader_.reset();
        return false;
    }
    current_ = std::move(batch->rows);
    if (batch->unreadable) {
        // A value the program cannot read ends the result: the reader stops, the cursor
        // closes (its own transaction undone), and the error comes after the rows before it.
        afterCurrent_ = *batch->unreadable;
        try {
            if (cursor_) {
                reader_.reset();
                endCursor(false);
            } else {
                RowBatch kept = std::move(current_);
                abandonStream();
                current_ = std::move(kept);
            }
        } catch (const EDatabaseError&) {
        }
    } else if (batch->last || batch->failed) {
        // The reader has ended: the cursor's end or its failure comes after these rows.
        reader_.reset();
        try {
            if (batch->failed) failed(batch->failure.get());
            finish(true);
        } catch (const EDatabaseError& e) {
            afterCurrent_ = e;
        }
    }
    if (current_.Left() == 0) raiseAfterCurrent();
    return current_.Left() > 0;
}

void PostgresResult::raiseAfterCurrent() {
    if (!afterCurrent_) return;
    const EDatabaseError error = *afterCurrent_;
    afterCurrent_.reset();
    throw error;
}

bool PostgresResult::pullFromStream() {
    PgResult r{PQgetResult(conn_->Handle())};
    if (!r) {
        open_ = false;
        conn_->EndStatement(true);
        return false;
    }
    switch (PQresultStatus(r.get())) {
        case PGRES_SINGLE_TUPLE:
            batch_ = std::move(r);
            batchNext_ = 0;
            return true;
        case PGRES_TUPLES_OK:
            DiscardPostgresResults(conn_->Handle());
            open_ = false;
            conn_->EndStatement(true);
            return false;
        default:
            open_ = false;
            conn_->FailStatement(r.get());
    }
}

bool PostgresResult::pull() {
    // A cursor's and a COPY's rows come through the reader; a stream's, row by row, here.
    return cursor_ || reader_ ? takeFetch() : pullFromStream();
}

bool PostgresResult::FetchRows(RowStore& rows, int maxRows) {
    int added = 0;
    while (added < maxRows) {
        // An error is raised where it happened: the rows before it go to the reader
        // first, and the error at the next call.
        try {
            if (current_.Left() > 0) {
                added += rows.Take(current_, maxRows - added);
                if (current_.Left() == 0) raiseAfterCurrent();
                continue;
            }
            if (batchWaiting()) {
                while (added < maxRows && batchWaiting()) {
                    pgrows::addRow(rows, batch_.get(), batchNext_++, kinds_, pgrows::binaryRows(batch_.get()),
                                   scratch_);
                    ++added;
                }
                continue;
            }
            batch_.reset();
            if (reader_) {
                takeFetch();
                continue;
            }
        } catch (const EDatabaseError& e) {
            if (added == 0) throw;
            failure_ = e;
            break;
        }
        if (bufferNext_ < buffer_.Count()) {
            rows.BeginRow();
            for (int c = 0; c < buffer_.Columns(); ++c) {
                const auto v = buffer_.Value(bufferNext_, c);
                if (v)
                    rows.AddValue(*v);
                else
                    rows.AddNull();
            }
            rows.EndRow();
            ++bufferNext_;
            ++added;
            continue;
        }
        if (bufferNext_ > 0) {
            buffer_.Reset(buffer_.Columns());
            bufferNext_ = 0;
        }
        if (failure_) {
            if (added > 0) break;
            const EDatabaseError error = *failure_;
            failure_.reset();
            throw error;
        }
        if (!open_) break;
        try {
            if (!pull()) break;
        } catch (const EDatabaseError& e) {
            if (added == 0) throw;
            failure_ = e;
            break;
        }
    }
    return current_.Left() > 0 || afterCurrent_.has_value() || batchWaiting() || reader_ ||
           bufferNext_ < buffer_.Count() || open_ || failure_.has_value();
}

void PostgresResult::Drain() {
    if (!open_) return;
    try {
        bufferBatch();
        if (reader_) reader_->Unbounded();
        while (open_ && pull()) bufferBatch();
    } catch (const EDatabaseError& e) {
        failure_ = e;
        throw;
    }
}

bool PostgresResult::batchWaiting() const {
    return batch_ && batchNext_ < PQntuples(batch_.get());
}

void PostgresResult::bufferBatch() {
    while (batchWaiting())
        pgrows::addRow(buffer_, batch_.get(), batchNext_++, kinds_, pgrows::binaryRows(batch_.get()),
                       scratch_);
    batch_.reset();
    buffer_.Take(current_, current_.Left());
    raiseAfterCurrent();
}
