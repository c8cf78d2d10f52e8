#pragma once

#include <sqlite3.h>

#include "db/Driver.h"

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

    [[noreturn]] void Fail() const;  // raises the handle's last error
    // The session's handle, for functions registered on it from outside.
    sqlite3* Handle() const { return db_; }

  private:
    sqlite3_stmt* prepare(const QString& sql);
    sqlite3* db_ = nullptr;
};

// Column types by declared type (see the table in SqliteDriver.cpp).
ColumnInfo SqliteColumnFromDeclaredType(const QString& name, const char* declaredType);
