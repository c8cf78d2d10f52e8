#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "db/Field.h"

class SqlConnection;
class RowStore;

// Writes the edits of a live result back to its one table: each posted or deleted row
// becomes one INSERT, UPDATE or DELETE that finds the row by all its original values.
class LiveTable {
  public:
    // nullptr when the statement is not a plain SELECT * of one table (optionally with
    // WHERE and ORDER BY): such a result stays read-only.
    static std::unique_ptr<LiveTable> ForStatement(const QString& statement);
    // The table name as the statement wrote it (a plain or double-quoted identifier,
    // optionally qualified), or an empty text when the statement is no live one.
    static QString TableOf(const QString& statement);

    void SetColumns(std::vector<QString> names, std::vector<TFieldType> types);

    // Appends to `stored` the row as the table keeps it, when the database can tell.
    void Insert(SqlConnection& conn, const std::vector<std::optional<QByteArray>>& values, RowStore& stored);
    void Update(SqlConnection& conn, const RowStore& rows, int row,
                const std::vector<std::optional<QByteArray>>& values);
    void Remove(SqlConnection& conn, const RowStore& rows, int row);

  private:
    explicit LiveTable(QString table) : table_(std::move(table)) {}
    QString whereOriginal(SqlConnection& conn, const RowStore& rows, int row, int firstPlaceholder,
                          std::vector<std::optional<QByteArray>>& values,
                          std::vector<TFieldType>& types) const;
    void requireOneMatch(SqlConnection& conn, const QString& where,
                         const std::vector<std::optional<QByteArray>>& values,
                         const std::vector<TFieldType>& types) const;

    QString table_;
    std::vector<QString> names_;
    std::vector<TFieldType> types_;
};
