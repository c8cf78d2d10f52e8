#pragma once

#include <QString>
#include <vector>

#include "db/Query.h"
#include "export/ExportWriters.h"

// The text export's writer over the result of `sql` on database "X": every column under
// its own name, values in double quotes.
inline void writeTextExport(const QString& sql, const QString& output, const QString& separator) {
    TQuery q;
    q.SetDatabaseName(QStringLiteral("X"));
    q.SQL().Add(sql);
    q.Open();
    std::vector<ExportColumn> columns;
    for (int i = 0; i < q.FieldCount(); ++i)
        columns.push_back({q.Fields(i)->FieldName(), q.Fields(i)->FieldName()});
    WriteTextExport(q, columns, {output, separator, QStringLiteral("\""), false});
}
