#include "db/PostgresReadAhead.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "db/PostgresRows.h"

namespace {

// Rows per FETCH grow from the first batch to this: fewer round trips for long results,
// each of which leaves the server idle a while.
constexpr int kLargestBatch = 32768;

// Rows read ahead and not yet taken before the thread waits: a few batches, so memory
// stays flat however slowly the rows are read, and the server never waits for a reader
// that pauses briefly.
constexpr int kRowsAhead = 4 * kLargestBatch;

// Rows of a COPY handed on together, growing like the FETCHes of a cursor.
constexpr int kLargestStreamBatch = 8192;

// How long the receiving thread lets the socket fill once it has read all there was.
// Waiting on the socket at once woke the thread for every packet the server sent, and
// each such wake-up is paid for on the server's side of the send: the server took a
// tenth longer over a long COPY than with a reader that takes its data in larger reads.
constexpr auto kCopyPause = std::chrono::microseconds(300);

}  // namespace

PostgresReadAhead::PostgresReadAhead(PGconn* conn, QByteArray cursor, std::vector<Oid> kinds, bool binary,
                                     int firstRows)
    : conn_(conn),
      cursor_(std::move(cursor)),
      kinds_(std::move(kinds)),
      copy_(false),
      binary_(binary),
      nextRows_(firstRows) {
    start();
}

PostgresReadAhead::PostgresReadAhead(PGconn* conn, std::vector<Oid> kinds)
    : conn_(conn), kinds_(std::move(kinds)), copy_(true), binary_(true), nextRows_(4 * 100) {
    start();
}

void PostgresReadAhead::start() {
    try {
        receiver_ = std::thread([this] { receive(); });
        if (!copy_) converter_ = std::thread([this] { convert(); });
    } catch (const std::system_error&) {
        // No threads to be had: the rows are read to the end before the caller goes on.
        unbounded_ = true;
        if (!receiver_.joinable()) receive();
        if (!copy_) convert();
    }
}

PostgresReadAhead::~PostgresReadAhead() {
    Stop();
}

bool PostgresReadAhead::send(int rows) {
    const QByteArray sql = "FETCH FORWARD " + QByteArray::number(rows) + " FROM " + cursor_;
    return PQsendQueryParams(conn_, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr,
                             binary_ ? 1 : 0) != 0;
}

void PostgresReadAhead::pushReceived(Received received) {
    const std::lock_guard lock(mutex_);
    rowsAhead_ += received.rows;
    received_.push_back(std::move(received));
    changed_.notify_all();
}

void PostgresReadAhead::pushReady(Batch batch, int rows) {
    const std::lock_guard lock(mutex_);
    rowsAhead_ += rows;
    ready_.emplace_back(std::move(batch), rows);
    changed_.notify_all();
}

void PostgresReadAhead::receive() {
    if (copy_)
        receiveCopy();
    else
        receiveCursor();
    const std::lock_guard lock(mutex_);
    receiving_ = false;
    if (copy_) converting_ = false;  // a COPY's batches come in form from this thread
    changed_.notify_all();
}

bool PostgresReadAhead::mayReadOn() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || unbounded_ || rowsAhead_ < kRowsAhead; });
    return !stop_;
}

void PostgresReadAhead::receiveCopy() {
    // Each row is put in form as it comes, straight from libpq's buffer, by the thread
    // that receives it: between two reads the socket fills anyway (see kCopyPause), and a
    // second thread would only copy the rows once more.
    std::vector<char> scratch;
    while (mayReadOn()) {
        const int wanted = nextRows_;
        nextRows_ = std::min(nextRows_ * 4, kLargestStreamBatch);
        Batch batch;
        int rows = 0;
        // A stop is heeded between rows: the rows of a slow query may come far apart.
        while (rows < wanted && !stopping_.load(std::memory_order_relaxed)) {
            char* row = nullptr;
            const int size = nextCopiedRow(&row);
            if (size > 0) {
                const std::unique_ptr<char, decltype(&PQfreemem)> owned(row, &PQfreemem);
                try {
                    if (pgrows::addCopiedRow(batch.rows, kinds_, scratch, row, size)) ++rows;
                } catch (const EDatabaseError& e) {
                    batch.unreadable = e;  // the rows before it stay; the owner ends the COPY
                    break;
                }
                continue;
            }
            // The end of the rows (-1) or a failure (-2): the statement's result tells.
            PgResult result{PQgetResult(conn_)};
            DiscardPostgresResults(conn_);
            if (size == -1 && PQresultStatus(result.get()) == PGRES_COMMAND_OK) {
                batch.last = true;
            } else {
                batch.failed = true;
                batch.failure = std::move(result);
            }
            break;
        }
        batch.rows.Finish();
        const bool end = batch.last || batch.failed || batch.unreadable;
        pushReady(std::move(batch), rows);
        if (end) return;
    }
}

int PostgresReadAhead::nextCopiedRow(char** row) {
    int size = PQgetCopyData(conn_, row, 1);
    if (size != 0) return size;
    // Nothing whole in libpq's buffer: first what the socket already holds, then, when
    // that is nothing too, a pause before waiting as long as the server takes.
    PQconsumeInput(conn_);
    size = PQgetCopyData(conn_, row, 1);
    if (size != 0) return size;
    std::this_thread::sleep_for(kCopyPause);
    return PQgetCopyData(conn_, row, 0);
}

void PostgresReadAhead::receiveCursor() {
    int wanted = 0;
    bool sent = false;
    for (;;) {
        if (!sent) {
            if (!mayReadOn()) break;
            wanted = nextRows_;
            nextRows_ = std::min(nextRows_ * 4, kLargestBatch);
            if (!send(wanted)) {
                pushReceived({PgResult(), true, false, 0});
                break;
            }
        }
        PgResult result{PQgetResult(conn_)};
        DiscardPostgresResults(conn_);
        sent = false;
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK) {
            pushReceived({std::move(result), true, false, 0});
            break;
        }
        const int n = PQntuples(result.get());
        const bool last = n < wanted;
        // The next FETCH goes out at once, unless the reader is far behind or wants the
        // session back.
        bool sendFailed = false;
        if (!last) {
            const std::lock_guard lock(mutex_);
            if (!stop_ && (unbounded_ || rowsAhead_ + n < kRowsAhead)) {
                wanted = nextRows_;
                nextRows_ = std::min(nextRows_ * 4, kLargestBatch);
                sent = send(wanted);
                sendFailed = !sent;
            }
        }
        pushReceived({std::move(result), false, last, n});
        if (last) break;
        if (sendFailed) {
            pushReceived({PgResult(), true, false, 0});
            break;
        }
    }
}

void PostgresReadAhead::convert() {
    std::vector<char> scratch;
    for (;;) {
        Received next;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !received_.empty() || !receiving_; });
            if (received_.empty()) break;
            next = std::move(received_.front());
            received_.pop_front();
        }
        Batch batch;
        batch.last = next.last;
        batch.failed = next.failed;
        if (next.failed) {
            batch.failure = std::move(next.result);
        } else {
            const bool inBinary = pgrows::binaryRows(next.result.get());
            try {
                for (int row = 0; row < next.rows; ++row)
                    pgrows::addRow(batch.rows, next.result.get(), row, kinds_, inBinary, scratch);
            } catch (const EDatabaseError& e) {
                batch.unreadable = e;  // the rows before it stay
            }
            next.result.reset();
            batch.rows.Finish();
        }
        const std::lock_guard lock(mutex_);
        ready_.emplace_back(std::move(batch), next.rows);
        changed_.notify_all();
    }
    const std::lock_guard lock(mutex_);
    converting_ = false;
    changed_.notify_all();
}

std::optional<PostgresReadAhead::Batch> PostgresReadAhead::Next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || !converting_; });
    if (ready_.empty()) return std::nullopt;
    auto [batch, rows] = std::move(ready_.front());
    ready_.pop_front();
    rowsAhead_ -= rows;
    changed_.notify_all();
    // A last or failed batch is the reader's last word: the session is free once its
    // threads end.
    if (batch.last || batch.failed) {
        lock.unlock();
        join();
    }
    return std::move(batch);
}

void PostgresReadAhead::Unbounded() {
    const std::lock_guard lock(mutex_);
    unbounded_ = true;
    changed_.notify_all();
}

void PostgresReadAhead::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        stopping_ = true;
        changed_.notify_all();
    }
    join();
}

void PostgresReadAhead::join() {
    if (receiver_.joinable()) receiver_.join();
    if (converter_.joinable()) converter_.join();
}

bool PostgresReadAhead::Running() const {
    const std::lock_guard lock(mutex_);
    return receiving_;
}
