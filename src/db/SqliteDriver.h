#pragma once

#include <sqlite3.h>

#include "db/Driver.h"

// SQLite handles, released by their own functions.
struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteFinalizer>;

// The error SQLite last reported on a handle, with its extended result code.
[[noreturn]] void RaiseSqliteError(sqlite3* db);

// SQLite backend. Every open query is a statement of its own on the one database
// handle, so any number of results can be open while other statements run.
class SqliteConnection : public SqlConnection {
  public:
    explicit SqliteConnection(const QString& path);
    ~SqliteConnection() override;

    std::unique_ptr<SqlResult> OpenQuery(const QString& sql) override;
    int Execute(const QString& sql) override;
    int ExecuteWith(const QString& sql, const std::vector<std::optional<QByteArray>>& values,
                    const std::vector<TFieldType>& types) override;
    int InsertReturning(const QString& sql, const QString& table,
                        const std::vector<std::optional<QByteArray>>& values,
                        const std::vector<TFieldType>& types, RowStore& stored) override;
    QString Placeholder(int index) const override { return QStringLiteral("?%1").arg(index); }
    QString NullSafeEquals(const QString& column, const QString& placeholder) const override {
        return column + QStringLiteral(" IS ") + placeholder;
    }

    bool InTransaction() const override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;

    QStringList Tables() override;
    std::vector<std::pair<QString, QString>> TableColumns(const QString& table) override;
    std::optional<QStringList> FindTable(const QString& line) override;
    QString NameInSql(const QString& name) override;
    std::vector<LiveColumn> LiveColumns(const QString& table) override;

    // The session's handle, for functions registered on it from outside.
    sqlite3* Handle() const { return db_.get(); }

  private:
    SqliteStatement prepare(const QString& sql);
    void pauseReading() const;
    SqliteHandle db_;
};

// Column types by declared type (see the table in SqliteDriver.cpp).
ColumnInfo SqliteColumnFromDeclaredType(const QString& name, const char* declaredType);
