#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "db/Driver.h"
#include "db/Field.h"

class RowStore;

// Writes the edits of a live result back to its one table: each posted or deleted row
// becomes one INSERT, UPDATE or DELETE that finds the row by its key's original values,
// or, in a table without one, by all its original values.
class LiveTable {
  public:
    // nullptr when the statement is not a plain SELECT * of one table (optionally with
    // WHERE and ORDER BY): such a result stays read-only.
    static std::unique_ptr<LiveTable> ForStatement(const QString& statement);
    // The table name as the statement wrote it (a plain or double-quoted identifier,
    // optionally qualified), or an empty text when the statement is no live one.
    static QString TableOf(const QString& statement);
    // Why the result of a statement that is no live one stays read-only.
    static QString WhyReadOnly(const QString& statement);

    const QString& Table() const { return table_; }
    // What the database tells of the table's columns (see SqlConnection::LiveColumns).
    void SetCatalogue(std::vector<LiveColumn> catalogue);
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
    std::vector<LiveColumn> catalogue_;
    std::vector<QString> names_;
    std::vector<TFieldType> types_;
    std::vector<int> locating_;  // the columns a row is found by
    std::vector<bool> asText_;
};
