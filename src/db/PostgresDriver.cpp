#include "db/PostgresDriver.h"

#include "db/PostgresResult.h"

namespace {

QString trimmedMessage(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

// Whether the statement begins like a query a cursor can hold (SELECT, VALUES, WITH,
// TABLE or a parenthesis), after blanks and comments; anything else runs as it is at once.
bool looksLikeQuery(const QByteArray& sql) {
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const qsizetype end = sql.indexOf("*/", i + 2);
            if (end < 0) return false;
            i = end + 2;
        } else {
            break;
        }
    }
    if (i < n && sql[i] == '(') return true;
    qsizetype j = i;
    while (j < n && ((sql[j] >= 'A' && sql[j] <= 'Z') || (sql[j] >= 'a' && sql[j] <= 'z'))) ++j;
    const QByteArray word = sql.mid(i, j - i).toUpper();
    return word == "SELECT" || word == "VALUES" || word == "WITH" || word == "TABLE";
}

}  // namespace

EDatabaseError PostgresError(PGconn* conn, const PGresult* result) {
    QString message = result ? trimmedMessage(PQresultErrorMessage(result)) : QString();
    if (message.isEmpty() && conn) message = trimmedMessage(PQerrorMessage(conn));
    if (message.isEmpty())
        message =
            conn ? QStringLiteral("The database server did not answer") : QStringLiteral("out of memory");
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return EDatabaseError(message, state ? QString::fromLatin1(state) : QString());
}

void DiscardPostgresResults(PGconn* conn) {
    while (PgResult r{PQgetResult(conn)}) {
    }
}

void RaisePostgresError(PGconn* conn, const PGresult* result) {
    const EDatabaseError error = PostgresError(conn, result);
    DiscardPostgresResults(conn);
    throw error;
}

PostgresConnection::PostgresConnection(const QString& connectionString, const QString& userName,
                                       const QString& password) {
    const QByteArray dsn = connectionString.toUtf8(), user = userName.toUtf8(), pass = password.toUtf8();
    std::vector<const char*> keys{"dbname", "client_encoding", "fallback_application_name"};
    std::vector<const char*> values{dsn.constData(), "UTF8", "zorvantic"};
    if (!userName.isEmpty()) {
        keys.push_back("user");
        values.push_back(user.constData());
    }
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(pass.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_.reset(PQconnectdbParams(keys.data(), values.data(), 1));
    if (!conn_ || PQstatus(conn_.get()) != CONNECTION_OK) throw PostgresError(conn_.get());
    // Dates in ISO form and floating-point values that read back exactly; cursors planned
    // like the statements they hold (for all their rows, not the first few).
    const PgResult r{PQexec(conn_.get(),
                            "SET DateStyle TO ISO, YMD; SET extra_float_digits TO 3; SET client_encoding TO "
                            "'UTF8'; SET cursor_tuple_fraction TO 1")};
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) throw PostgresError(conn_.get());
}

PostgresConnection::~PostgresConnection() {
    DetachResults();
}

bool PostgresConnection::Broken() const {
    // While a cursor's next batch is on its way the session is another thread's; a lost
    // session shows when that batch is asked for.
    if (prefetching()) return false;
    return PQstatus(conn_.get()) == CONNECTION_BAD;
}

bool PostgresConnection::prefetching() const {
    for (SqlResult* r : OpenResults())
        if (static_cast<PostgresResult*>(r)->Prefetching()) return true;
    return false;
}

void PostgresConnection::makeIdle() {
    for (SqlResult* r : std::vector<SqlResult*>(OpenResults())) static_cast<PostgresResult*>(r)->Drain();
}

PgResult PostgresConnection::run(const QString& sql, const std::vector<const char*>& params,
                                 const std::vector<int>& lengths, const std::vector<int>& formats) {
    const QByteArray text = sql.toUtf8();
    return PgResult{PQexecParams(conn_.get(), text.constData(), static_cast<int>(params.size()), nullptr,
                                 params.data(), lengths.empty() ? nullptr : lengths.data(),
                                 formats.empty() ? nullptr : formats.data(), 0)};
}

void PostgresConnection::Command(const char* sql) {
    const PgResult r{PQexec(conn_.get(), sql)};
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) throw PostgresError(conn_.get(), r.get());
}

void PostgresConnection::EndCursorTransaction(bool commit) {
    cursorTransaction_ = false;
    Command(commit ? "COMMIT" : "ROLLBACK");
}

void PostgresConnection::FailCursor(const PGresult* result, bool ownTransaction) {
    const EDatabaseError error = PostgresError(conn_.get(), result);
    if (ownTransaction) {
        try {
            EndCursorTransaction(false);
        } catch (...) {
        }
    }
    throw error;
}

std::unique_ptr<SqlResult> PostgresConnection::OpenQuery(const QString& sql) {
    makeIdle();
    const QByteArray text = sql.toUtf8();
    // A transaction that already failed refuses every statement, and a statement that is
    // no query needs no cursor: both run as they are, for the server's own answer.
    if (PQtransactionStatus(conn_.get()) == PQTRANS_INERROR || !looksLikeQuery(text))
        return openStreaming(text);
    if (auto result = openCursor(text)) return result;
    return openStreaming(text);
}

// A cursor needs a transaction: outside the user's, the driver begins one of its own and
// ends it with the cursor; inside the user's, a savepoint keeps a refused declaration
// from aborting it. A statement no cursor takes (not a query, or a wrong one) gives
// nullptr, and then runs as it is, so that it gets its own answer or error.
std::unique_ptr<SqlResult> PostgresConnection::openCursor(const QByteArray& sql) {
    const bool own = PQtransactionStatus(conn_.get()) == PQTRANS_IDLE;
    const QByteArray name = "zv_cursor_" + QByteArray::number(++cursors_);
    Command(own ? "BEGIN" : "SAVEPOINT zv_declare");
    cursorTransaction_ = own;
    const QByteArray declare = "DECLARE " + name + " NO SCROLL CURSOR FOR " + sql;
    const PgResult declared{
        PQexecParams(conn_.get(), declare.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)};
    if (PQresultStatus(declared.get()) != PGRES_COMMAND_OK) {
        if (own)
            EndCursorTransaction(false);
        else
            Command("ROLLBACK TO SAVEPOINT zv_declare; RELEASE SAVEPOINT zv_declare");
        return nullptr;
    }
    if (!own) Command("RELEASE SAVEPOINT zv_declare");
    const QByteArray fetch =
        "FETCH FORWARD " + QByteArray::number(PostgresResult::kFirstBatch) + " FROM " + name;
    PgResult first{PQexecParams(conn_.get(), fetch.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)};
    if (PQresultStatus(first.get()) != PGRES_TUPLES_OK) FailCursor(first.get(), own);
    return std::make_unique<PostgresResult>(*this, std::move(first), PostgresResult::Cursor{name, own});
}

std::unique_ptr<SqlResult> PostgresConnection::openStreaming(const QByteArray& text) {
    const bool inTransactionBlock = PQtransactionStatus(conn_.get()) != PQTRANS_IDLE;
    // The extended protocol runs exactly one statement, so nothing can ride along.
    if (!PQsendQueryParams(conn_.get(), text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
        throw PostgresError(conn_.get());
    PQsetSingleRowMode(conn_.get());
    PgResult r{PQgetResult(conn_.get())};
    switch (PQresultStatus(r.get())) {
        case PGRES_SINGLE_TUPLE:
        case PGRES_TUPLES_OK:
            return std::make_unique<PostgresResult>(*this, std::move(r), inTransactionBlock);
        case PGRES_COMMAND_OK:
            DiscardPostgresResults(conn_.get());
            throw EDatabaseError(QString::fromLatin1(kNoCursorMessage));
        case PGRES_EMPTY_QUERY:
            DiscardPostgresResults(conn_.get());
            throw EDatabaseError(QStringLiteral("The SQL text holds no statement"));
        default:
            RaisePostgresError(conn_.get(), r.get());
    }
}

int PostgresConnection::Execute(const QString& sql) {
    return ExecuteWith(sql, {}, {});
}

namespace {

// Statement parameters as libpq takes them: binary data in binary form, the rest as text.
struct Parameters {
    Parameters(const std::vector<std::optional<QByteArray>>& values, const std::vector<TFieldType>& types) {
        for (size_t i = 0; i < values.size(); ++i) {
            const auto& v = values[i];
            const bool binary =
                i < types.size() && (types[i] == TFieldType::ftBlob || types[i] == TFieldType::ftBytes);
            data.push_back(v ? v->constData() : nullptr);
            lengths.push_back(v ? static_cast<int>(v->size()) : 0);
            formats.push_back(binary ? 1 : 0);
        }
    }
    int count() const { return static_cast<int>(data.size()); }
    std::vector<const char*> data;
    std::vector<int> lengths, formats;
};

}  // namespace

int PostgresConnection::InsertReturning(const QString& sql, const QString&,
                                        const std::vector<std::optional<QByteArray>>& values,
                                        const std::vector<TFieldType>& types, RowStore& stored) {
    makeIdle();
    const bool inTransactionBlock = PQtransactionStatus(conn_.get()) != PQTRANS_IDLE;
    const Parameters p(values, types);
    const QByteArray text = (sql + QStringLiteral(" RETURNING *")).toUtf8();
    if (!PQsendQueryParams(conn_.get(), text.constData(), p.count(), nullptr, p.data.data(), p.lengths.data(),
                           p.formats.data(), 0))
        throw PostgresError(conn_.get());
    PQsetSingleRowMode(conn_.get());
    PgResult r{PQgetResult(conn_.get())};
    if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) {
        DiscardPostgresResults(conn_.get());
        return 0;
    }
    if (PQresultStatus(r.get()) != PGRES_SINGLE_TUPLE) RaisePostgresError(conn_.get(), r.get());
    // Read to its end, so that an error after the row (a deferred constraint) is seen
    // and the statement is never cancelled half-way.
    PostgresResult result(*this, std::move(r), inTransactionBlock);
    RowStore other(static_cast<int>(result.Columns().size()));
    RowStore& rows = other.Columns() == stored.Columns() ? stored : other;
    const int before = rows.Count();
    while (result.Fetch(rows, 16)) {
    }
    return rows.Count() - before;
}

int PostgresConnection::ExecuteWith(const QString& sql, const std::vector<std::optional<QByteArray>>& values,
                                    const std::vector<TFieldType>& types) {
    makeIdle();
    const Parameters params(values, types);
    const PgResult r = run(sql, params.data, params.lengths, params.formats);
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw PostgresError(conn_.get(), r.get());
    const char* tuples = PQcmdTuples(r.get());
    return tuples && *tuples ? std::atoi(tuples) : (status == PGRES_TUPLES_OK ? PQntuples(r.get()) : -1);
}

bool PostgresConnection::InTransaction() const {
    // A cursor's next batch is on its way (the session is busy with it): the cursor
    // lives in the user's transaction or in the driver's own.
    if (prefetching()) return !cursorTransaction_;
    switch (PQtransactionStatus(conn_.get())) {
        case PQTRANS_INTRANS:
        case PQTRANS_INERROR:
            return !cursorTransaction_;
        case PQTRANS_ACTIVE: {
            // A result is streaming; ask again once it is read.
            const_cast<PostgresConnection*>(this)->makeIdle();
            const auto s = PQtransactionStatus(conn_.get());
            return s == PQTRANS_INTRANS || s == PQTRANS_INERROR;
        }
        default:
            return false;
    }
}

void PostgresConnection::StartTransaction() {
    Execute(QStringLiteral("BEGIN"));
}
void PostgresConnection::Commit() {
    Execute(QStringLiteral("COMMIT"));
}
void PostgresConnection::Rollback() {
    Execute(QStringLiteral("ROLLBACK"));
}

std::vector<std::vector<std::optional<QString>>> PostgresConnection::select(
    const QString& sql, const std::vector<QByteArray>& params) {
    makeIdle();
    std::vector<const char*> p;
    for (const auto& v : params) p.push_back(v.constData());
    const PgResult r = run(sql, p);
    const PGresult* res = r.get();
    if (PQresultStatus(res) != PGRES_TUPLES_OK) throw PostgresError(conn_.get(), res);
    std::vector<std::vector<std::optional<QString>>> rows;
    for (int i = 0; i < PQntuples(res); ++i) {
        std::vector<std::optional<QString>> row;
        for (int c = 0; c < PQnfields(res); ++c) {
            if (PQgetisnull(res, i, c))
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(QString::fromUtf8(PQgetvalue(res, i, c), PQgetlength(res, i, c)));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}
QStringList PostgresConnection::Tables() {
    // Tables visible on the search path by their plain names, the others qualified by
    // schema; the system catalogues are included.
    const auto rows = select(
        QStringLiteral("SELECT CASE WHEN pg_catalog.pg_table_is_visible(c.oid) THEN c.relname "
                       "ELSE n.nspname || '.' || c.relname END "
                       "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                       "WHERE c.relkind IN ('r','v','m','p','f') "
                       "AND (n.nspname NOT LIKE 'pg\\_temp\\_%' OR pg_catalog.pg_table_is_visible(c.oid)) "
                       "AND n.nspname NOT LIKE 'pg\\_toast%' "
                       "ORDER BY n.nspname IN ('pg_catalog','information_schema'), n.nspname, c.relname"));
    QStringList names;
    for (const auto& r : rows) names << r[0].value_or(QString());
    return names;
}

std::vector<std::pair<QString, QString>> PostgresConnection::TableColumns(const QString& table) {
    const QByteArray name = table.toUtf8();
    auto found = select(QStringLiteral("SELECT c.oid FROM pg_catalog.pg_class c "
                                       "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                       "WHERE c.relkind IN ('r','v','m','p','f') AND "
                                       "((pg_catalog.pg_table_is_visible(c.oid) AND c.relname = $1) "
                                       "OR n.nspname || '.' || c.relname = $1) "
                                       "ORDER BY pg_catalog.pg_table_is_visible(c.oid) DESC LIMIT 1"),
                        {name});
    if (found.empty()) {
        // Not a listed name: read it as SQL would (unquoted names fold to lower case).
        found = select(QStringLiteral("SELECT pg_catalog.to_regclass($1)::oid"), {name});
        if (!found.empty() && !found[0][0]) found.clear();
    }
    if (found.empty()) throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(table));
    const auto rows =
        select(QStringLiteral("SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod) "
                              "FROM pg_catalog.pg_attribute a WHERE a.attrelid = $1 "
                              "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
               {found[0][0]->toUtf8()});
    std::vector<std::pair<QString, QString>> columns;
    for (const auto& r : rows) columns.emplace_back(r[0].value_or(QString()), r[1].value_or(QString()));
    return columns;
}
