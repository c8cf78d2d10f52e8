#include "db/PostgresResult.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "db/PostgresBinary.h"

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

// FETCHes sent and not yet read, the one on its way included: the rows read ahead stay
// a few batches however slowly the reader goes.
constexpr size_t kFetchesAhead = 2;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The server sends bytea as "\x" and hexadecimal digits; the cache keeps the bytes.
template <class Rows>
void addBytea(Rows& rows, const char* v, size_t len, std::vector<char>& scratch) {
    scratch.clear();
    if (len >= 2 && v[0] == '\\' && v[1] == 'x') {
        for (size_t i = 2; i + 1 < len; i += 2)
            scratch.push_back(static_cast<char>(hexDigit(v[i]) * 16 + hexDigit(v[i + 1])));
    } else {
        size_t n = 0;
        const std::unique_ptr<unsigned char, decltype(&PQfreemem)> bytes(
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &n), &PQfreemem);
        if (bytes) scratch.assign(bytes.get(), bytes.get() + n);
    }
    rows.AddValue(scratch.data(), scratch.size());
}

// Money comes in the server's monetary format ("$1,234.50", "-$3.00"); the cache keeps
// the plain number.
template <class Rows>
void addMoney(Rows& rows, const char* v, size_t len, std::vector<char>& scratch) {
    scratch.clear();
    bool negative = false;
    for (size_t i = 0; i < len; ++i) {
        const char ch = v[i];
        if (ch == '-' || ch == '(') negative = true;
        if ((ch >= '0' && ch <= '9') || ch == '.') scratch.push_back(ch);
    }
    if (negative) scratch.insert(scratch.begin(), '-');
    rows.AddValue(scratch.data(), scratch.size());
}

[[noreturn]] void unexpectedValue(Oid type) {
    throw EDatabaseError(
        QStringLiteral("The server sent a value of type %1 in a form this program does not know").arg(type));
}

// Row `row` of a result into a RowStore or a RowBatch, values in the cache's form. Rows
// in binary form (`binary`) have only the types PostgresBinaryReadable takes.
template <class Rows>
void addRow(Rows& rows, const PGresult* r, int row, const std::vector<Oid>& kinds, bool binary,
            std::vector<char>& scratch) {
    rows.BeginRow();
    const int n = static_cast<int>(kinds.size());
    for (int c = 0; c < n; ++c) {
        if (PQgetisnull(r, row, c)) {
            rows.AddNull();
            continue;
        }
        const char* v = PQgetvalue(r, row, c);
        const auto len = static_cast<size_t>(PQgetlength(r, row, c));
        const Oid kind = kinds[static_cast<size_t>(c)];
        if (binary) {
            if (PostgresBinaryIsBytes(kind)) {
                rows.AddValue(v, len);
            } else {
                if (!PostgresBinaryText(kind, v, len, scratch)) unexpectedValue(kind);
                rows.AddValue(scratch.data(), scratch.size());
            }
            continue;
        }
        switch (kind) {
            case kBytea:
                addBytea(rows, v, len, scratch);
                break;
            case kMoney:
                addMoney(rows, v, len, scratch);
                break;
            default:
                rows.AddValue(v, len);
        }
    }
    rows.EndRow();
}

// Whether a result's rows are in binary form.
bool binaryRows(const PGresult* r) {
    return PQnfields(r) > 0 && PQfformat(r, 0) == 1;
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
    takeFirstBatch(std::move(first), kFirstBatch);
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
    binaryFetch_ = n > 0 && std::all_of(kinds_.begin(), kinds_.end(), PostgresBinaryReadable);
    buffer_.Reset(n);
}

PostgresResult::~PostgresResult() {
    if (Detached()) return;
    try {
        if (cursor_) {
            // Closed before its end: a cursor closes without disturbing a transaction.
            // A FETCH on its way comes back first; what it says may end the cursor.
            pump(true, false);
            if (open_) endCursor(false);
            return;
        }
        if (!open_) return;
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
    // The session is closing: FETCHes on their way end first; their rows are not wanted.
    for (SentFetch& f : fetches_)
        if (f.done.valid()) f.done.wait();
    fetches_.clear();
    batch_.reset();
    current_ = RowBatch();
    open_ = false;
    needFetch_ = false;
}

void PostgresResult::failed(const PGresult* result) {
    open_ = false;
    needFetch_ = false;
    conn_->FailCursor(result, cursor_ && cursor_->ownTransaction);
}

void PostgresResult::endCursor(bool complete) {
    open_ = false;
    needFetch_ = false;
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
    needFetch_ = true;
    pump(false);
}

void PostgresResult::sendFetch() {
    const int wanted = nextBatch_;
    nextBatch_ = std::min(nextBatch_ * 4, kLargestBatch);
    const QByteArray sql = "FETCH FORWARD " + QByteArray::number(wanted) + " FROM " + cursor_->name;
    auto received = std::make_shared<std::promise<int>>();
    // No result (a FETCH that could not be sent) reads as a failed one, with the
    // session's error message. The session is free once the count is told; the rows are
    // put in form after that, while the next FETCH may already be on its way.
    auto fetch = [conn = conn_->Handle(), sql, received, kinds = kinds_, binary = binaryFetch_,
                  blockSize = RowStore::CurrentLimits().blockSize] {
        PgResult result;
        if (PQsendQueryParams(conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, binary ? 1 : 0)) {
            result.reset(PQgetResult(conn));
            DiscardPostgresResults(conn);
        }
        const bool ok = PQresultStatus(result.get()) == PGRES_TUPLES_OK;
        const int n = ok ? PQntuples(result.get()) : -1;
        received->set_value(n);
        Fetched fetched{PgResult(), RowBatch(blockSize)};
        if (!ok) {
            fetched.failure = std::move(result);
            return fetched;
        }
        std::vector<char> scratch;
        const bool inBinary = binaryRows(result.get());
        for (int row = 0; row < n; ++row) addRow(fetched.rows, result.get(), row, kinds, inBinary, scratch);
        fetched.rows.Finish();
        return fetched;
    };
    SentFetch f;
    f.wanted = wanted;
    f.received = received->get_future().share();
    try {
        f.done = std::async(std::launch::async, fetch);
    } catch (const std::system_error&) {
        // No thread to be had: the FETCH runs now, in this one.
        std::promise<Fetched> done;
        done.set_value(fetch());
        f.done = done.get_future();
    }
    fetches_.push_back(std::move(f));
    needFetch_ = false;
}

void PostgresResult::pump(bool wait, bool sendNext) {
    if (!fetches_.empty() && !fetches_.back().seen) {
        SentFetch& last = fetches_.back();
        if (!wait && last.received.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        last.seen = true;
        const int n = last.received.get();
        // A failure, of the FETCH or of the cursor's end, is raised where it happened:
        // after the rows before it.
        try {
            if (n < 0) {
                Fetched fetched = last.done.get();
                failed(fetched.failure.get());
            }
            if (n < last.wanted)
                endCursor(true);
            else
                needFetch_ = true;
        } catch (const EDatabaseError& e) {
            last.after = e;
        }
    }
    if (sendNext && needFetch_ && open_ && fetches_.size() < kFetchesAhead) sendFetch();
}

bool PostgresResult::takeFetch() {
    if (fetches_.empty()) return false;
    SentFetch& f = fetches_.front();
    if (!f.seen) pump(true);  // the oldest not seen is the one on its way
    if (f.done.valid()) current_ = std::move(f.done.get().rows);
    afterCurrent_ = std::move(f.after);
    fetches_.pop_front();
    pump(false);
    if (current_.Left() == 0) raiseAfterCurrent();
    return current_.Left() > 0;
}

void PostgresResult::raiseAfterCurrent() {
    if (!afterCurrent_) return;
    const EDatabaseError error = *afterCurrent_;
    afterCurrent_.reset();
    throw error;
}

bool PostgresResult::pullFromCursor() {
    if (fetches_.empty()) {
        needFetch_ = true;
        pump(false);
    }
    return takeFetch();
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
        // An error is raised where it happened: the rows before it go to the reader
        // first, and the error at the next call.
        try {
            if (current_.Left() > 0) {
                added += rows.Take(current_, maxRows - added);
                pump(false);
                if (current_.Left() == 0) raiseAfterCurrent();
                continue;
            }
            if (batchWaiting()) {
                while (added < maxRows && batchWaiting()) {
                    addRow(rows, batch_.get(), batchNext_++, kinds_, binaryRows(batch_.get()), scratch_);
                    ++added;
                }
                pump(false);
                continue;
            }
            batch_.reset();
            if (!fetches_.empty()) {
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
    return current_.Left() > 0 || afterCurrent_.has_value() || batchWaiting() || !fetches_.empty() ||
           bufferNext_ < buffer_.Count() || open_ || failure_.has_value();
}

void PostgresResult::Drain() {
    if (!open_ && !Prefetching()) return;
    try {
        bufferBatch();
        while (open_ || !fetches_.empty()) {
            if (!pull() && !open_ && fetches_.empty()) break;
            bufferBatch();
        }
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
        addRow(buffer_, batch_.get(), batchNext_++, kinds_, binaryRows(batch_.get()), scratch_);
    batch_.reset();
    buffer_.Take(current_, current_.Left());
    raiseAfterCurrent();
}
