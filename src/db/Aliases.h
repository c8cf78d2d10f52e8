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
// Alias names are listed cut to this length.
constexpr int kListedAliasNameLength = 31;

// The alias of that name (letter case ignored); EDatabaseError when unknown. A longer
// alias is also found by its name as listed (its first 31 characters), so every alias
// the list offers can be connected to; the first in file order when several share it.
AliasInfo FindAlias(const QString& name);
