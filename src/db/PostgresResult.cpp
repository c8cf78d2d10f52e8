#include "db/PostgresResult.h"

#include <algorithm>
#include <chrono>
#include <system_error>

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
constexpr Oid kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25,
              kOid = 26, kFloat4 = 700, kFloat8 = 701, kMoney = 790, kBpchar = 1042, kVarchar = 1043,
              kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestamptz = 1184, kTimetz = 1266,
              kNumeric = 1700;

// Rows per FETCH grow from the first batch to this: fewer round trips for long results,
// each of which leaves the server idle a while.
constexpr int kLargestBatch = 32768;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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
    : SqlResult(conn), conn_(&conn), cursor_(std::move(cursor)), open_(true), nextBatch_(4 * kFirstBatch) {
    describe(first.get());
    takeCursorBatch(std::move(first), kFirstBatch);
}

PostgresResult::PostgresResult(PostgresConnection& conn, PgResult first, bool inTransactionBlock)
    : SqlResult(conn), conn_(&conn), inTransactionBlock_(inTransactionBlock), nextBatch_(1) {
    describe(first.get());
    // A single row: the rest is still coming. A whole result: there is no more.
    open_ = PQresultStatus(first.get()) == PGRES_SINGLE_TUPLE;
    batch_ = std::move(first);
    if (!open_) {
        DiscardPostgresResults(conn.Handle());
        conn.EndStatement(true);
    }
}

void PostgresResult::describe(const PGresult* r) {
    const int n = PQnfields(r);
    for (int c = 0; c < n; ++c) {
        columns_.push_back(PostgresColumn(QString::fromUtf8(PQfname(r, c)), PQftype(r, c), PQfmod(r, c)));
        kinds_.push_back(PQftype(r, c));
    }
    buffer_.Reset(n);
}

PostgresResult::~PostgresResult() {
    if (!open_ || Detached()) return;
    try {
        if (cursor_) {
            // Closed before its end: a cursor closes without disturbing a transaction.
            if (pending_) receive();
            endCursor(false);
            return;
        }
        // A stream closed before its end: outside a transaction block the server is asked
        // to stop sending; inside one the statement is read to its end instead, since a
        // cancelled statement would abort the block and its COMMIT would roll back.
        if (!inTransactionBlock_) {
            const std::unique_ptr<PGcancel, decltype(&PQfreeCancel)> cancel(PQgetCancel(conn_->Handle()),
                                                                            &PQfreeCancel);
            char err[256];
            if (cancel) PQcancel(cancel.get(), err, sizeof err);
        }
        bool failed = false;
        while (PgResult r{PQgetResult(conn_->Handle())})
            if (PQresultStatus(r.get()) == PGRES_FATAL_ERROR) failed = true;
        conn_->EndStatement(!failed);
    } catch (...) {
    }
}

void PostgresResult::ReleaseSession() {
    // The session is closing: a FETCH on its way ends first; its rows are not wanted.
    if (inflight_.valid()) inflight_.wait();
    inflight_ = {};
    batch_.reset();
    ahead_.reset();
    open_ = false;
    pending_ = false;
}

void PostgresResult::failed(const PGresult* result) {
    open_ = false;
    conn_->FailCursor(result, cursor_ && cursor_->ownTransaction);
}

void PostgresResult::endCursor(bool complete) {
    open_ = false;
    conn_->EndCursor(cursor_->name, cursor_->ownTransaction, complete);
}

void PostgresResult::sendFetch() {
    fetching_ = nextBatch_;
    nextBatch_ = std::min(nextBatch_ * 4, kLargestBatch);
    const QByteArray sql = "FETCH FORWARD " + QByteArray::number(fetching_) + " FROM " + cursor_->name;
    // No result (a FETCH that could not be sent) reads as a failed one, with the
    // session's error message.
    auto fetch = [conn = conn_->Handle(), sql] {
        if (!PQsendQueryParams(conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            return PgResult{};
        PgResult result{PQgetResult(conn)};
        DiscardPostgresResults(conn);
        return result;
    };
    try {
        inflight_ = std::async(std::launch::async, fetch);
    } catch (const std::system_error&) {
        // No thread to be had: the FETCH runs now, in this one.
        std::promise<PgResult> done;
        done.set_value(fetch());
        inflight_ = done.get_future();
    }
    pending_ = true;
}

PgResult PostgresResult::receive() {
    pending_ = false;
    return inflight_.get();
}

bool PostgresResult::pullFromCursor() {
    if (!pending_) sendFetch();
    const int wanted = fetching_;
    PgResult r = receive();
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) failed(r.get());
    return takeCursorBatch(std::move(r), wanted);
}

bool PostgresResult::takeCursorBatch(PgResult rows, int wanted) {
    const int n = PQntuples(rows.get());
    batch_ = std::move(rows);
    batchNext_ = 0;
    // Fewer rows than asked for: the cursor is at its end.
    if (n < wanted)
        endCursor(true);
    else
        sendFetch();
    return n > 0;
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
    return cursor_ ? pullFromCursor() : pullFromStream();
}

bool PostgresResult::FetchRows(RowStore& rows, int maxRows) {
    int added = 0;
    while (added < maxRows) {
        if (batchWaiting()) {
            while (added < maxRows && batchWaiting()) {
                addRow(rows, batchNext_++);
                ++added;
                if (batchNext_ % 512 == 0) takeAhead();
            }
            continue;
        }
        batch_.reset();
        if (ahead_) {
            batch_ = std::move(ahead_);
            batchNext_ = 0;
            continue;
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
        // An error is raised where it happened: the rows before it go to the reader
        // first, and the error at the next call.
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
    return batchWaiting() || bufferNext_ < buffer_.Count() || open_ || failure_.has_value();
}

void PostgresResult::Drain() {
    if (!open_) return;
    bufferBatch();
    try {
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
    while (batchWaiting()) addRow(buffer_, batchNext_++);
    batch_.reset();
    if (!ahead_) return;
    batch_ = std::move(ahead_);
    batchNext_ = 0;
    while (batchWaiting()) addRow(buffer_, batchNext_++);
    batch_.reset();
}

// The FETCH on its way, once it is back, waits aside and the next one goes out at
// once, so that the server goes on while the rows before it are read. A failure, of
// the FETCH or of the cursor's end, is raised where it happened: after those rows.
void PostgresResult::takeAhead() {
    if (!pending_ || ahead_ || inflight_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    const int wanted = fetching_;
    PgResult r = receive();
    try {
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) failed(r.get());
        const int n = PQntuples(r.get());
        if (n > 0) ahead_ = std::move(r);
        if (n < wanted)
            endCursor(true);
        else
            sendFetch();
    } catch (const EDatabaseError& e) {
        failure_ = e;  // raised after the rows of batch_ and ahead_
    }
}

void PostgresResult::addRow(RowStore& rows, int row) {
    const PGresult* r = batch_.get();
    rows.BeginRow();
    const int n = static_cast<int>(columns_.size());
    for (int c = 0; c < n; ++c) {
        if (PQgetisnull(r, row, c)) {
            rows.AddNull();
            continue;
        }
        const char* v = PQgetvalue(r, row, c);
        const auto len = static_cast<size_t>(PQgetlength(r, row, c));
        switch (kinds_[static_cast<size_t>(c)]) {
            case kBytea:
                addBytea(rows, v, len);
                break;
            case kMoney:
                addMoney(rows, v, len);
                break;
            default:
                rows.AddValue(v, len);
        }
    }
    rows.EndRow();
}

// The server sends bytea as "\x" and hexadecimal digits; the cache keeps the bytes.
void PostgresResult::addBytea(RowStore& rows, const char* v, size_t len) {
    scratch_.clear();
    if (len >= 2 && v[0] == '\\' && v[1] == 'x') {
        for (size_t i = 2; i + 1 < len; i += 2)
            scratch_.push_back(static_cast<char>(hexDigit(v[i]) * 16 + hexDigit(v[i + 1])));
    } else {
        size_t n = 0;
        const std::unique_ptr<unsigned char, decltype(&PQfreemem)> bytes(
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &n), &PQfreemem);
        if (bytes) scratch_.assign(bytes.get(), bytes.get() + n);
    }
    rows.AddValue(scratch_.data(), scratch_.size());
}

// Money comes in the server's monetary format ("$1,234.50", "-$3.00"); the cache keeps
// the plain number.
void PostgresResult::addMoney(RowStore& rows, const char* v, size_t len) {
    scratch_.clear();
    bool negative = false;
    for (size_t i = 0; i < len; ++i) {
        const char ch = v[i];
        if (ch == '-' || ch == '(') negative = true;
        if ((ch >= '0' && ch <= '9') || ch == '.') scratch_.push_back(ch);
    }
    if (negative) scratch_.insert(scratch_.begin(), '-');
    rows.AddValue(scratch_.data(), scratch_.size());
}
