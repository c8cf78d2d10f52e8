#include "db/Driver.h"

#include <algorithm>

#include "db/Aliases.h"
#include "db/PostgresDriver.h"
#include "db/SqliteDriver.h"
#include "rtl/Exception.h"

const char* const kNoCursorMessage = "Error creating cursor handle";

SqlResult::SqlResult(SqlConnection& connection) : connection_(&connection) {
    connection.results_.push_back(this);
}

SqlResult::~SqlResult() {
    if (!connection_) return;
    auto& list = connection_->results_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool SqlResult::Fetch(RowStore& rows, int maxRows) {
    if (Detached())
        throw EDatabaseError(QStringLiteral("The database connection of this result has been closed"));
    return FetchRows(rows, maxRows);
}

SqlConnection::~SqlConnection() {
    DetachResults();
}

void SqlConnection::DetachResults() {
    std::vector<SqlResult*> results;
    results.swap(results_);
    for (SqlResult* r : results) {
        r->connection_ = nullptr;
        r->ReleaseSession();
    }
}

QString SqlConnection::QuoteIdentifier(const QString& name) const {
    QString q = name;
    q.replace(QChar(u'"'), QStringLiteral("\"\""));
    return QChar(u'"') + q + QChar(u'"');
}

std::vector<LiveColumn> SqlConnection::LiveColumns(const QString&) {
    return {};
}

int SqlConnection::InsertReturning(const QString& sql, const QString&,
                                   const std::vector<std::optional<QByteArray>>& values,
                                   const std::vector<TFieldType>& types, RowStore&) {
    return ExecuteWith(sql, values, types);
}

std::unique_ptr<TField> CreateField(TDataSet* ds, const ColumnInfo& c) {
    switch (c.type) {
        case TFieldType::ftSmallint:
            return std::make_unique<TSmallintField>(ds, c.name);
        case TFieldType::ftInteger:
            return std::make_unique<TIntegerField>(ds, c.name);
        case TFieldType::ftWord:
            return std::make_unique<TWordField>(ds, c.name);
        case TFieldType::ftAutoInc:
            return std::make_unique<TAutoIncField>(ds, c.name);
        case TFieldType::ftLargeint:
            return std::make_unique<TLargeintField>(ds, c.name);
        case TFieldType::ftFloat:
            return std::make_unique<TFloatField>(ds, c.name);
        case TFieldType::ftCurrency:
            return std::make_unique<TCurrencyField>(ds, c.name);
        case TFieldType::ftBCD:
            return std::make_unique<TBCDField>(ds, c.name, c.precision, c.size);
        case TFieldType::ftBoolean:
            return std::make_unique<TBooleanField>(ds, c.name);
        case TFieldType::ftDate:
            return std::make_unique<TDateField>(ds, c.name);
        case TFieldType::ftTime:
            return std::make_unique<TTimeField>(ds, c.name);
        case TFieldType::ftDateTime:
            return std::make_unique<TDateTimeField>(ds, c.name);
        case TFieldType::ftBytes:
            return std::make_unique<TBytesField>(ds, c.name, c.size);
        case TFieldType::ftBlob:
            return std::make_unique<TBlobField>(ds, c.name);
        case TFieldType::ftMemo:
            return std::make_unique<TMemoField>(ds, c.name);
        case TFieldType::ftString:
            return std::make_unique<TStringField>(ds, c.name, c.size);
        case TFieldType::ftUnknown:
            break;
    }
    return std::make_unique<TMemoField>(ds, c.name);
}

std::unique_ptr<SqlConnection> ConnectAlias(const AliasInfo& alias, const QString& userName,
                                            const QString& password) {
    if (alias.type == QLatin1String("SQLITE")) return std::make_unique<SqliteConnection>(alias.physicalName);
    if (alias.type == QLatin1String("POSTGRESQL"))
        return std::make_unique<PostgresConnection>(alias.physicalName, userName, password);
    throw EDatabaseError(QStringLiteral("Alias %1: unknown database type %2").arg(alias.name, alias.type));
}
