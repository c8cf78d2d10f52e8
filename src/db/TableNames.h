#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Names from a table list or from the database written into statements. A line of a
// table list is a table's name, never SQL: it is looked up in the catalogue and each
// part of the name is written as the catalogue spells it, quoted where a bare word
// would read as something else.

// A line read as an SQL name: an optional schema and a table, each bare (a plain
// identifier, folded to lower case when `foldToLower`) or in double quotes ("" inside
// for one quote). nullopt when the line is no such name.
struct SqlName {
    QString schema;  // empty when the line names none
    QString table;
};
std::optional<SqlName> ParseSqlName(const QString& line, bool foldToLower);

// The table that `line` names on the database `databaseName` (opened when closed), as a
// statement writes it. A line that names no table is written as one quoted name (a
// blank one as it is), so a statement on it fails as it does for a missing table.
QString TableReference(const QString& databaseName, const QString& line);

// A column's (or any object's) name as a statement writes it on that database: bare
// where that reads back as exactly this name, otherwise in double quotes.
QString NameInSql(const QString& databaseName, const QString& name);
