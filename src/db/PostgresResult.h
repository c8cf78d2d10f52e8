#pragma once

#include <memory>
#include <optional>

#include "db/PostgresDriver.h"
#include "db/PostgresReadAhead.h"
#include "db/RowStore.h"
#include "rtl/Exception.h"

// Rows of one PostgreSQL statement. They come from a cursor, FETCHed in batches that
// grow from a few rows (a quick first row) to some thousands; from a binary COPY of a
// query outside a transaction; or, for a statement neither can hold (SHOW, INSERT ...
// RETURNING), from a single-row stream.
// The FETCHes after the first, and the rows of a COPY after its first few, are read
// ahead by threads of their own (see PostgresReadAhead): the server, libpq and the
// reader work side by side, and the reader only hands the ready rows on (RowStore::Take
// shares them, copying nothing).
// Rows the server has sent wait in `batch_` (the first FETCH, a streamed row) or in
// `current_` (a later FETCH, or rows of a COPY); rows read ahead because the session was needed for another
// statement wait in `buffer_` (a RowStore, so they do not stay in memory).
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
    // A query copying out its rows in binary form, outside a transaction; `described`
    // describes its rows.
    struct CopyOut {};
    PostgresResult(PostgresConnection& conn, const PGresult* described, CopyOut);
    ~PostgresResult() override;

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }
    // Reads every row still on the server into the buffer, freeing the session. An error
    // on the way is raised now and again when the reader reaches it.
    void Drain();
    // FETCHes are read ahead while the rows before them are read: the session belongs to
    // the thread reading them until the cursor's end, a failure, or Drain.
    bool Prefetching() const { return reader_ && reader_->Running(); }

  protected:
    bool FetchRows(RowStore& rows, int maxRows) override;
    void ReleaseSession() override;

  private:
    void describe(const PGresult* result);
    bool pull();  // next rows from the server; false at the end
    // Takes the first FETCH's rows and reads on ahead, or ends a cursor that gave fewer
    // than `wanted`.
    void takeFirstBatch(PgResult rows, int wanted);
    // The next FETCH's rows into current_ (waiting for them), and the cursor's end or
    // failure after them; false when none came.
    bool takeFetch();
    bool pullFromStream();
    void endCursor(bool complete);
    // The end of the rows: the cursor closes, or the streamed statement ends.
    void finish(bool complete);
    // Ends a stream or a COPY before its end: cancelled outside a transaction block, read
    // to its end inside one (a cancelled statement would abort the block); its rows are
    // not wanted.
    void abandonStream();
    // The COPY's first rows, read here; the rest are read ahead.
    void readFirstCopiedRows();
    [[noreturn]] void failed(const PGresult* result);
    bool batchWaiting() const;  // rows of batch_ not yet read
    void bufferBatch();         // every row read from the server so far into buffer_
    // The error of the FETCH current_ came from, once its rows are read.
    void raiseAfterCurrent();

    PostgresConnection* conn_;
    std::optional<Cursor> cursor_;
    bool open_ = false;  // rows may still be waiting on the server
    bool inTransactionBlock_ = false;
    bool copy_ = false;
    // Made before the reading threads start: they use the session meanwhile.
    std::unique_ptr<PGcancel, decltype(&PQfreeCancel)> cancel_{nullptr, &PQfreeCancel};
    std::unique_ptr<PostgresReadAhead> reader_;
    std::vector<ColumnInfo> columns_;
    std::vector<Oid> kinds_;
    // Later FETCHes ask for binary rows: every column's type reads in binary form, and
    // the server then spares itself the text of each value (see PostgresBinary.h).
    bool binaryFetch_ = false;
    PgResult batch_;
    int batchNext_ = 0;
    RowBatch current_;
    std::optional<EDatabaseError> afterCurrent_;
    RowStore buffer_;
    int bufferNext_ = 0;
    std::optional<EDatabaseError> failure_;
    std::vector<char> scratch_;
};
