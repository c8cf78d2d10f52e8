#pragma once

#include <libpq-fe.h>

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

    // For the results.
    PGconn* Handle() const { return conn_.get(); }
    // Runs one statement of the driver's own; raises on failure.
    void Command(const char* sql);
    // Ends the transaction the driver began for a cursor outside any user transaction:
    // committed once the cursor was read to its end, rolled back when it was closed
    // early or failed (as a statement cancelled or failed on its own would be).
    void EndCursorTransaction(bool commit);
    // Raises the error of a cursor's failed `result`, after rolling back the transaction
    // the driver began for the cursor when it did (`ownTransaction`).
    [[noreturn]] void FailCursor(const PGresult* result, bool ownTransaction);

  private:
    void makeIdle();           // every open result reads its remaining rows into its buffer
    bool prefetching() const;  // a cursor's next batch is on its way
    std::unique_ptr<SqlResult> openCursor(const QByteArray& sql);
    std::unique_ptr<SqlResult> openStreaming(const QByteArray& sql);
    PgResult run(const QString& sql, const std::vector<const char*>& params = {},
                 const std::vector<int>& lengths = {}, const std::vector<int>& formats = {});
    std::vector<std::vector<std::optional<QString>>> select(const QString& sql,
                                                            const std::vector<QByteArray>& params = {});

    PgConn conn_;
    bool cursorTransaction_ = false;  // a transaction the driver began for a cursor is open
    int cursors_ = 0;                 // cursors declared so far (their names)
};

// Column types by type OID (see the table in PostgresResult.cpp).
ColumnInfo PostgresColumn(const QString& name, Oid type, int typmod);
