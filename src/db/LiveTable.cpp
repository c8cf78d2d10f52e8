#include "db/LiveTable.h"

#include <QRegularExpression>

#include "db/Driver.h"
#include "db/RowStore.h"
#include "rtl/Exception.h"

namespace {

// A plain identifier (letters of any alphabet, digits, "_" and "$") or a double-quoted
// one ("" inside for a quote), up to three parts joined by points. Anything else (a stray
// quote, a semicolon, another quoting) is no table name here.
const QString kIdent = QStringLiteral(R"((?:"(?:[^"]|"")+"|[\p{L}_][\p{L}\p{M}\p{N}_$]*))");

const QRegularExpression& livePattern() {
    static const QRegularExpression re(
        QStringLiteral(
            R"(^\s*SELECT\s+\*\s+FROM\s+(%1(?:\s*\.\s*%1){0,2})(?:\s*;?\s*|\s+WHERE\b.*|\s+ORDER\s+BY\b.*)$)")
            .arg(kIdent),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return re;
}

std::optional<QByteArray> original(const RowStore& rows, int row, int col) {
    const auto v = rows.Value(row, col);
    if (!v) return std::nullopt;
    return QByteArray(v->data(), static_cast<qsizetype>(v->size()));
}

}  // namespace

QString LiveTable::TableOf(const QString& statement) {
    const auto m = livePattern().match(statement);
    if (!m.hasMatch()) return QString();
    QString name = m.captured(1);
    // Blanks around the points of a qualified name are dropped; quoted parts keep theirs.
    static const QRegularExpression dots(QStringLiteral(R"(\s*\.\s*(?=(?:[^"]*"[^"]*")*[^"]*$))"));
    return name.replace(dots, QStringLiteral("."));
}

QString LiveTable::WhyReadOnly(const QString& statement) {
    static const QRegularExpression selectAll(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+(.*?)(?:\s+WHERE\b.*|\s+ORDER\s+BY\b.*)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = selectAll.match(statement);
    if (m.hasMatch())
        return QStringLiteral(
                   "The rows are read-only: the table name %1 cannot be written back safely. A table is "
                   "edited when it is named plainly or in double quotes, optionally with its schema, and "
                   "without an alias")
            .arg(m.captured(1).trimmed());
    return QStringLiteral(
        "The rows are read-only: only SELECT * FROM one table, with an optional WHERE and ORDER BY, "
        "gives rows that can be edited");
}

std::unique_ptr<LiveTable> LiveTable::ForStatement(const QString& statement) {
    const QString table = TableOf(statement);
    if (table.isEmpty()) return nullptr;
    return std::unique_ptr<LiveTable>(new LiveTable(table));
}

void LiveTable::SetCatalogue(std::vector<LiveColumn> catalogue) {
    catalogue_ = std::move(catalogue);
}

void LiveTable::SetColumns(std::vector<QString> names, std::vector<TFieldType> types) {
    names_ = std::move(names);
    types_ = std::move(types);
    locating_.clear();
    asText_.assign(names_.size(), false);
    int keyColumns = 0;
    for (const LiveColumn& column : catalogue_) keyColumns += column.key ? 1 : 0;
    std::vector<int> key;
    for (size_t c = 0; c < names_.size(); ++c) {
        for (const LiveColumn& column : catalogue_) {
            if (column.name != names_[c]) continue;
            asText_[c] = column.asText;
            if (column.key) key.push_back(static_cast<int>(c));
        }
    }
    // By the key when the result holds all of it; otherwise by every column.
    if (keyColumns > 0 && static_cast<int>(key.size()) == keyColumns) {
        locating_ = std::move(key);
    } else {
        for (size_t c = 0; c < names_.size(); ++c) locating_.push_back(static_cast<int>(c));
    }
}

QString LiveTable::whereOriginal(SqlConnection& conn, const RowStore& rows, int row, int firstPlaceholder,
                                 std::vector<std::optional<QByteArray>>& values,
                                 std::vector<TFieldType>& types) const {
    QStringList terms;
    int placeholder = firstPlaceholder;
    for (const int c : locating_) {
        const size_t i = static_cast<size_t>(c);
        const QString column = conn.QuoteIdentifier(names_[i]);
        // A column without an equality of its own is found by its text, as it was read.
        terms << conn.NullSafeEquals(asText_[i] ? QStringLiteral("CAST(%1 AS TEXT)").arg(column) : column,
                                     conn.Placeholder(placeholder++));
        values.push_back(original(rows, row, c));
        types.push_back(types_[i]);
    }
    return terms.join(QStringLiteral(" AND "));
}

void LiveTable::requireOneMatch(SqlConnection& conn, const QString& where,
                                const std::vector<std::optional<QByteArray>>& values,
                                const std::vector<TFieldType>& types) const {
    // Checked before writing, so that a row that is not unique by its values (or that
    // someone else changed) leaves the table exactly as it was.
    const int found = conn.ExecuteWith(QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 2").arg(table_, where),
                                       values, types);
    if (found == 0)
        throw EDatabaseError(
            QStringLiteral("The row is no longer in table %1 as it was read; nothing was changed")
                .arg(table_));
    if (found > 1)
        throw EDatabaseError(
            QStringLiteral("More than one row of table %1 has exactly these values; nothing was changed")
                .arg(table_));
}

void LiveTable::Insert(SqlConnection& conn, const std::vector<std::optional<QByteArray>>& values,
                       RowStore& stored) {
    QStringList cols, params;
    std::vector<std::optional<QByteArray>> bound;
    std::vector<TFieldType> types;
    // Only the columns given a value: the others keep their defaults (serials, identities).
    for (size_t c = 0; c < names_.size(); ++c) {
        if (!values[c]) continue;
        cols << conn.QuoteIdentifier(names_[c]);
        bound.push_back(values[c]);
        types.push_back(types_[c]);
        params << conn.Placeholder(static_cast<int>(bound.size()));
    }
    const QString sql =
        cols.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_)
                       : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(table_, cols.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")));
    const int n = conn.InsertReturning(sql, table_, bound, types, stored);
    if (n != 1 && n != -1)
        throw EDatabaseError(QStringLiteral("Inserting into %1 added %2 rows").arg(table_).arg(n));
}

void LiveTable::Update(SqlConnection& conn, const RowStore& rows, int row,
                       const std::vector<std::optional<QByteArray>>& values) {
    QStringList sets;
    std::vector<std::optional<QByteArray>> bound;
    std::vector<TFieldType> types;
    for (size_t c = 0; c < names_.size(); ++c) {
        if (values[c] == original(rows, row, static_cast<int>(c))) continue;
        bound.push_back(values[c]);
        types.push_back(types_[c]);
        sets << conn.QuoteIdentifier(names_[c]) + QStringLiteral(" = ") +
                    conn.Placeholder(static_cast<int>(bound.size()));
    }
    if (sets.isEmpty()) return;
    std::vector<std::optional<QByteArray>> whereValues;
    std::vector<TFieldType> whereTypes;
    requireOneMatch(conn, whereOriginal(conn, rows, row, 1, whereValues, whereTypes), whereValues,
                    whereTypes);
    const QString where = whereOriginal(conn, rows, row, static_cast<int>(bound.size()) + 1, bound, types);
    const int n = conn.ExecuteWith(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table_, sets.join(QStringLiteral(", ")), where),
        bound, types);
    if (n != 1)
        throw EDatabaseError(
            QStringLiteral("Updating table %1 changed %2 rows instead of one").arg(table_).arg(n));
}

void LiveTable::Remove(SqlConnection& conn, const RowStore& rows, int row) {
    std::vector<std::optional<QByteArray>> values;
    std::vector<TFieldType> types;
    const QString where = whereOriginal(conn, rows, row, 1, values, types);
    requireOneMatch(conn, where, values, types);
    const int n =
        conn.ExecuteWith(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table_, where), values, types);
    if (n != 1)
        throw EDatabaseError(
            QStringLiteral("Deleting from table %1 removed %2 rows instead of one").arg(table_).arg(n));
}
