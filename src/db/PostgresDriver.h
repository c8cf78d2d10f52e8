#pragma once

#include <libpq-fe.h>

#include "db/Driver.h"

class PostgresResult;

// PostgreSQL backend through libpq. A result streams in single-row mode; only one can
// stream at a time, so before any other statement uses the session, the streaming
// result is read to its end into its own buffer.
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
    PGconn* Handle() const { return conn_; }
    void StreamingEnded(PostgresResult* result);
    [[noreturn]] void Fail(const PGresult* res = nullptr) const;

  private:
    void makeIdle();  // reads the streaming result to its end
    std::vector<std::vector<std::optional<QString>>> select(const QString& sql,
                                                            const std::vector<QByteArray>& params = {});

    PGconn* conn_ = nullptr;
    PostgresResult* streaming_ = nullptr;
};

// Column types by type OID (see the table in PostgresDriver.cpp).
ColumnInfo PostgresColumn(const QString& name, Oid type, int typmod);
