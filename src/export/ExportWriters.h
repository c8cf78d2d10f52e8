#pragma once

#include <QString>
#include <vector>

class TDataSet;

// The value-formatting rules of the exports.

// D + V + D, every occurrence of D's first character in V written twice; V itself
// when D is empty.
QString QuoteValue(const QString& value, const QString& delimiter);
// V with every apostrophe written twice.
QString DoubleApostrophes(const QString& value);
// E for an empty V (no prefix, no suffix); otherwise P + DoubleApostrophes(V) + S.
QString FormatSQLValue(const QString& value, const QString& emptyValue, const QString& prefix,
                       const QString& suffix);

// One exported column: the grid column's title and the field its values come from.
struct ExportColumn {
    QString caption;
    QString fieldName;
};

struct TextExportOptions {
    QString fileName;
    QString separator;
    QString delimiter;
    bool transpose = false;
};

// The delimited text file: a caption line, then one line per record; transposed, one
// line per column holding its caption and every record's value. Lines end with CR LF.
void WriteTextExport(TDataSet& dataSet, const std::vector<ExportColumn>& columns,
                     const TextExportOptions& options);

// A column's row of the column type table.
struct SqlColumnDef {
    QString name;
    QString type;
    QString prefix;
    QString suffix;
};

struct SqlExportOptions {
    QString fileName;
    QString tableName;
    QString lineBreakCount;  // the user's text; read once the file exists
    QString emptyValue;
    QString separator;
    bool semicolon = true;
    bool emptyLine = false;
    bool createTable = true;
};

// The SQL script: an optional CREATE TABLE, then one INSERT per record. A line break
// follows every N-th name or value, N counted across the whole file's records.
// `defs` pairs with `columns` by position.
void WriteSqlScript(TDataSet& dataSet, const std::vector<ExportColumn>& columns,
                    const std::vector<SqlColumnDef>& defs, const SqlExportOptions& options);
