#include "db/Driver.h"

#include "db/Aliases.h"
#include "db/PostgresDriver.h"
#include "db/SqliteDriver.h"
#include "rtl/Exception.h"

const char* const kNoCursorMessage = "Error creating cursor handle";

QString SqlConnection::QuoteIdentifier(const QString& name) const {
    QString q = name;
    q.replace(QChar('"'), QStringLiteral("\"\""));
    return QChar('"') + q + QChar('"');
}

int SqlConnection::InsertReturning(const QString& sql, const QString&,
                                   const std::vector<std::optional<QByteArray>>& values,
                                   const std::vector<TFieldType>& types, RowStore&) {
    return ExecuteWith(sql, values, types);
}

TField* CreateField(TDataSet* ds, const ColumnInfo& c) {
    switch (c.type) {
        case TFieldType::ftSmallint:
            return new TSmallintField(ds, c.name);
        case TFieldType::ftInteger:
            return new TIntegerField(ds, c.name);
        case TFieldType::ftWord:
            return new TWordField(ds, c.name);
        case TFieldType::ftAutoInc:
            return new TAutoIncField(ds, c.name);
        case TFieldType::ftLargeint:
            return new TLargeintField(ds, c.name);
        case TFieldType::ftFloat:
            return new TFloatField(ds, c.name);
        case TFieldType::ftCurrency:
            return new TCurrencyField(ds, c.name);
        case TFieldType::ftBCD:
            return new TBCDField(ds, c.name, c.precision, c.size);
        case TFieldType::ftBoolean:
            return new TBooleanField(ds, c.name);
        case TFieldType::ftDate:
            return new TDateField(ds, c.name);
        case TFieldType::ftTime:
            return new TTimeField(ds, c.name);
        case TFieldType::ftDateTime:
            return new TDateTimeField(ds, c.name);
        case TFieldType::ftBytes:
            return new TBytesField(ds, c.name, c.size);
        case TFieldType::ftBlob:
            return new TBlobField(ds, c.name);
        case TFieldType::ftMemo:
            return new TMemoField(ds, c.name);
        case TFieldType::ftString:
            return new TStringField(ds, c.name, c.size);
        case TFieldType::ftUnknown:
            break;
    }
    return new TMemoField(ds, c.name);
}

std::unique_ptr<SqlConnection> ConnectAlias(const AliasInfo& alias, const QString& userName,
                                            const QString& password) {
    if (alias.type == QLatin1String("SQLITE")) return std::make_unique<SqliteConnection>(alias.physicalName);
    if (alias.type == QLatin1String("POSTGRESQL"))
        return std::make_unique<PostgresConnection>(alias.physicalName, userName, password);
    throw EDatabaseError(QStringLiteral("Alias %1: unknown database type %2").arg(alias.name, alias.type));
}
