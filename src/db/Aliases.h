#pragma once

#include <QString>
#include <vector>

// The engine configuration: $XDG_CONFIG_HOME/zorvantic/aliases.conf, an INI file with
// one section per alias:
//   [NAME]
//   TYPE=SQLITE        PATH=database file (a Windows path is mapped)
//   TYPE=POSTGRESQL    SERVER NAME=libpq connection string (no user or password)
//   DESCRIPTION=optional text
struct AliasInfo {
    QString name;
    QString type;          // "SQLITE" or "POSTGRESQL"
    QString physicalName;  // PATH or SERVER NAME
    QString description;
};

// Path of the alias file.
QString AliasFilePath();
// Every alias in file order. Writes the default file (alias LOCAL, an SQLite database in
// the data folder) when none exists; a malformed file raises EDatabaseError naming the file
// and the line, and is left as it is.
std::vector<AliasInfo> ReadAliases();
// The alias of that name (letter case ignored); EDatabaseError when unknown.
AliasInfo FindAlias(const QString& name);
