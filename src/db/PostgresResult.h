#pragma once

#include <future>
#include <optional>

#include "db/PostgresDriver.h"
#include "rtl/Exception.h"

// Rows of one PostgreSQL statement. They come either from a cursor, FETCHed in batches
// that grow from a few rows (a quick first row) to some thousands, the next batch asked
// for and taken in by a thread of its own while the rows of the last one are read (and
// the one after it as soon as it is back), so that the server and libpq work meanwhile;
// or,
// for a statement
// no cursor can hold (SHOW, INSERT ... RETURNING), from a single-row stream. Rows the
// server has sent wait in `batch_`; rows read ahead because the session was needed for
// another statement wait in `buffer_` (a RowStore, so they do not stay in memory).
class PostgresResult : public SqlResult {
  public:
    // Rows of a cursor's first FETCH: few, so the first row comes at once.
    static constexpr int kFirstBatch = 100;

    struct Cursor {
        QByteArray name;
        bool ownTransaction;  // declared in a transaction the driver began for it
    };
    // A cursor whose first FETCH gave `first`.
    PostgresResult(PostgresConnection& conn, PgResult first, Cursor cursor);
    // A streaming statement whose first result is `first` (a row, or the whole result).
    PostgresResult(PostgresConnection& conn, PgResult first, bool inTransactionBlock);
    ~PostgresResult() override;

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }
    // Reads every row still on the server into the buffer, freeing the session. An error
    // on the way is raised now and again when the reader reaches it.
    void Drain();
    // A FETCH is on its way while the rows before it are read: the session belongs to
    // the thread taking it in until its rows are asked for.
    bool Prefetching() const { return pending_; }

  protected:
    bool FetchRows(RowStore& rows, int maxRows) override;
    void ReleaseSession() override;

  private:
    void describe(const PGresult* result);
    bool pull();  // next rows from the server into batch_; false at the end
    bool pullFromCursor();
    // Takes a FETCH's rows and asks for the next ones, or ends a cursor that gave fewer
    // than `wanted`; false when there were none.
    bool takeCursorBatch(PgResult rows, int wanted);
    void sendFetch();
    PgResult receive();
    bool pullFromStream();
    void endCursor(bool complete);
    [[noreturn]] void failed(const PGresult* result);
    void takeAhead();           // the FETCH on its way into ahead_, when it is back
    bool batchWaiting() const;  // rows of batch_ not yet read
    void bufferBatch();         // the rest of batch_ into buffer_
    void addRow(RowStore& rows, int row);
    void addBytea(RowStore& rows, const char* v, size_t len);
    void addMoney(RowStore& rows, const char* v, size_t len);

    PostgresConnection* conn_;
    std::optional<Cursor> cursor_;
    bool open_ = false;  // rows may still be waiting on the server
    bool inTransactionBlock_ = false;
    int nextBatch_;     // rows the next FETCH asks for
    int fetching_ = 0;  // rows the FETCH on its way asks for
    bool pending_ = false;
    std::future<PgResult> inflight_;  // the FETCH on its way
    std::vector<ColumnInfo> columns_;
    std::vector<Oid> kinds_;
    PgResult batch_;
    int batchNext_ = 0;
    PgResult ahead_;  // a batch come back while batch_ is read, rows next after it
    RowStore buffer_;
    int bufferNext_ = 0;
    std::optional<EDatabaseError> failure_;
    std::vector<char> scratch_;
};
