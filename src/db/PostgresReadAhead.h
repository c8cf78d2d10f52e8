#pragma once

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "db/PostgresDriver.h"
#include "db/PostgresRows.h"
#include "db/RowStore.h"
#include "rtl/Exception.h"

// Reads a result ahead on threads of its own, until its end, a failure, or some batches
// wait unread. The rows come either from a cursor (FETCH after FETCH, each sent as soon as
// the one before is back: one thread receives the results, another puts their rows in the
// cache's form meanwhile) or from a statement copying its rows out in binary form (one
// thread receives each row and puts it in form). While the receiving thread runs the
// session is its own; Stop gives it back. The end and failures are the owner's to handle
// (they need the session), once the threads have ended.
class PostgresReadAhead {
  public:
    struct Batch {
        RowBatch rows;
        bool last = false;  // the rows' end: a FETCH gave fewer than asked for, or the COPY ended
        bool failed = false;
        PgResult failure;  // the failed FETCH's result (none when it could not be sent)
        // A value that could not be put in form; the rows before it are in `rows`.
        std::optional<EDatabaseError> unreadable;
    };

    // Starts reading `cursor` with a FETCH of `firstRows`, in binary form if `binary`.
    PostgresReadAhead(PGconn* conn, QByteArray cursor, std::vector<Oid> kinds, bool binary, int firstRows);
    // Starts reading the rows a binary COPY on `conn` sends, past its header.
    PostgresReadAhead(PGconn* conn, std::vector<Oid> kinds);
    ~PostgresReadAhead();
    PostgresReadAhead(const PostgresReadAhead&) = delete;
    PostgresReadAhead& operator=(const PostgresReadAhead&) = delete;

    // The next batch in order, waiting for it; nothing once the thread has ended and
    // every batch was taken. After a last or failed batch the thread has ended.
    std::optional<Batch> Next();
    // Reads on to the rows' end, however many batches wait.
    void Unbounded();
    // Ends the thread after the FETCH or the rows on their way; the batches read stay to
    // be taken. A COPY is still running then: its owner cancels it or reads it to its end.
    void Stop();
    // The session is the thread's.
    bool Running() const;

  private:
    // A FETCH's rows back from the server, not in form yet.
    struct Received {
        PgResult result;  // the rows, or the failure
        bool failed = false;
        bool last = false;
        int rows = 0;
    };
    void start();
    void receive();  // the thread holding the session
    void receiveCursor();
    void receiveCopy();
    // The next row of the COPY, as PQgetCopyData gives it.
    int nextCopiedRow(char** row);
    // Waits until more rows may be read ahead; false when the reader wants the session back.
    bool mayReadOn();
    void convert();  // the thread putting rows in form
    // Sends a FETCH of `rows`; false when it could not be sent.
    bool send(int rows);
    void pushReceived(Received received);
    void pushReady(Batch batch, int rows);
    void join();

    PGconn* conn_;
    QByteArray cursor_;
    std::vector<Oid> kinds_;
    bool copy_;
    bool binary_;
    int nextRows_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Received> received_;            // back, to be put in form
    std::deque<std::pair<Batch, int>> ready_;  // in form, with their row counts
    int rowsAhead_ = 0;                        // rows of both not yet taken
    bool unbounded_ = false;
    bool stop_ = false;
    std::atomic<bool> stopping_{false};  // stop_, read without the lock between rows
    bool receiving_ = true;              // the session is the receiving thread's
    bool converting_ = true;             // batches in form may still come
    std::thread receiver_;
    std::thread converter_;
};
