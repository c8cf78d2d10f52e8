#pragma once

#include <libpq-fe.h>
#include <QSet>

#include "db/Driver.h"
#include "rtl/Exception.h"

// libpq handles, released by their own functions.
struct PostgresResultClear {
    void operator()(PGresult* result) const { PQclear(result); }
};
struct PostgresFinish {
    void operator()(PGconn* conn) const { PQfinish(conn); }
};
using PgResult = std::unique_ptr<PGresult, PostgresResultClear>;
using PgConn = std::unique_ptr<PGconn, PostgresFinish>;

// The error of a failed command: the result's message (else the session's last one),
// with the SQLSTATE when the server gave one.
EDatabaseError PostgresError(PGconn* conn, const PGresult* result = nullptr);
// Reads and drops the results of the last statement still coming on the session.
void DiscardPostgresResults(PGconn* conn);
// Raises the error of a statement's failed `result` once the session has nothing more
// of that statement to send.
[[noreturn]] void RaisePostgresError(PGconn* conn, const PGresult* result);

// PostgreSQL backend through libpq. A query is read through a cursor, some thousands of
// rows per FETCH; a statement that no cursor can hold streams in single-row mode. The
// session serves one statement at a time, so before any other statement uses it, every
// open result reads its remaining rows into its own buffer (see PostgresResult.h).
// The server aborts a whole transaction at its first error; so inside the user's
// transaction every statement runs under a savepoint of its own, and one the server
// refuses undoes only itself, as on SQLite.
class PostgresConnection : public SqlConnection {
  public:
    PostgresConnection(const QString& connectionString, const QString& userName, const QString& password);
    ~PostgresConnection() override;

    std::unique_ptr<SqlResult> OpenQuery(const QString& sql) override;
    int Execute(const QString& sql) override;
    int InsertReturning(const QString& sql, const QString& table,
                        const std::vector<std::optional<QByteArray>>& values,
                        const std::vector<TFieldType>& types, RowStore& stored) override;
    int ExecuteWith(const QString& sql, const std::vector<std::optional<QByteArray>>& values,
                    const std::vector<TFieldType>& types) override;
    QString Placeholder(int index) const override { return QStringLiteral("$%1").arg(index); }
    QString NullSafeEquals(const QString& column, const QString& placeholder) const override {
        return column + QStringLiteral(" IS NOT DISTINCT FROM ") + placeholder;
    }
    bool Broken() const override;

    bool InTransaction() const override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;

    QStringList Tables() override;
    std::vector<std::pair<QString, QString>> TableColumns(const QString& table) override;
    std::optional<QStringList> FindTable(const QString& line) override;
    QString NameInSql(const QString& name) override;
    std::vector<LiveColumn> LiveColumns(const QString& table) override;

    // For the results.
    PGconn* Handle() const { return conn_.get(); }
    // Runs one statement of the driver's own; raises on failure.
    void Command(const char* sql);
    // Ends the transaction the driver began for a cursor outside any user transaction:
    // committed once the cursor was read to its end, rolled back when it was closed
    // early or failed (as a statement cancelled or failed on its own would be).
    void EndCursorTransaction(bool commit);
    // Ends a cursor that is read to its end or closed early (see EndCursorTransaction).
    void EndCursor(const QByteArray& name, bool ownTransaction, bool complete);
    // Raises the error of a cursor's failed `result`, after rolling back the transaction
    // the driver began for the cursor when it did (`ownTransaction`), or the cursor's
    // savepoint in the user's transaction.
    [[noreturn]] void FailCursor(const PGresult* result, bool ownTransaction);
    // A statement that was running under its own savepoint has ended: kept when it
    // succeeded, rolled back when it failed; nothing when it had no savepoint.
    void EndStatement(bool succeeded);
    // Raises the error of a streaming statement's failed `result` once the session has
    // nothing more of it to send, after rolling back its savepoint.
    [[noreturn]] void FailStatement(const PGresult* result);
    // The error of a failed command, saying so when the session with the server is lost.
    EDatabaseError Error(const PGresult* result = nullptr);

    // Whether statements inside the user's transaction run under savepoints (on unless
    // a benchmark measures what they cost).
    static void SetStatementSavepoints(bool on);

  private:
    void makeIdle();           // every open result reads its remaining rows into its buffer
    bool prefetching() const;  // rows are read ahead: the session is a reading thread's
    // Readies the session for a statement: idle, and whether the statement runs under a
    // savepoint of its own (inside the user's transaction, and not itself one that
    // begins, ends or marks a transaction).
    bool beginStatement(const QByteArray& sql);
    // Runs one statement under its own savepoint, in one round trip; raises on failure.
    PgResult runGuarded(const QByteArray& sql, int count, const char* const* values, const int* lengths,
                        const int* formats);
    // A COMMIT that the server answered with ROLLBACK committed nothing.
    void checkCommitted(const QByteArray& sql, const PGresult* result);
    std::unique_ptr<SqlResult> openCursor(const QByteArray& sql, bool guarded);
    std::unique_ptr<SqlResult> openStreaming(const QByteArray& sql, bool guarded);
    std::unique_ptr<SqlResult> openCopy(const QByteArray& sql);
    // Runs one statement (under its savepoint inside the user's transaction); raises on
    // failure.
    PgResult run(const QByteArray& sql, const std::vector<const char*>& params = {},
                 const std::vector<int>& lengths = {}, const std::vector<int>& formats = {});
    std::vector<std::vector<std::optional<QString>>> select(const QString& sql,
                                                            const std::vector<QByteArray>& params = {});

    struct FoundTable {
        QStringList parts;
        QByteArray oid;
    };
    std::optional<FoundTable> findTable(const QString& line);

    PgConn conn_;
    std::optional<QSet<QString>> keywords_;  // those a bare name may not be; read once
    bool cursorTransaction_ = false;         // a transaction the driver began for a cursor is open
    bool savepoint_ = false;                 // a statement's savepoint is set and not yet ended
    bool userTransaction_ = false;           // the user's transaction was open when the last statement began
    int cursors_ = 0;                        // cursors declared so far (their names)
};

// Column types by type OID (see the table in PostgresResult.cpp).
ColumnInfo PostgresColumn(const QString& name, Oid type, int typmod);
