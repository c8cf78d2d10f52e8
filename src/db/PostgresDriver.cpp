#include "db/PostgresDriver.h"

#include <QRegularExpression>

#include "db/PostgresResult.h"
#include "db/TableNames.h"

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
    return PQstatus(conn_.get()) == CONNECTION_BAD;
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
    switch (PQtransactionStatus(conn_.get())) {
        case PQTRANS_INTRANS:
        case PQTRANS_INERROR:
            return !cursorTransaction_;
        case PQTRANS_ACTIVE: {
            // A cursor's next batch is on its way: the cursor lives in the user's
            // transaction or in the driver's own.
            for (SqlResult* r : OpenResults())
                if (static_cast<PostgresResult*>(r)->Prefetching()) return !cursorTransaction_;
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
    const auto found = findTable(table);
    if (!found) throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(table));
    const auto rows =
        select(QStringLiteral("SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod) "
                              "FROM pg_catalog.pg_attribute a WHERE a.attrelid = $1 "
                              "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
               {found->oid});
    std::vector<std::pair<QString, QString>> columns;
    for (const auto& r : rows) columns.emplace_back(r[0].value_or(QString()), r[1].value_or(QString()));
    return columns;
}

std::optional<PostgresConnection::FoundTable> PostgresConnection::findTable(const QString& line) {
    // Ranked: the listed name (plain when visible on the search path, else qualified),
    // the line read as SQL reads a name, then a listed name in another letter case.
    const std::optional<SqlName> sql = ParseSqlName(line, true);
    const QString ranked = QStringLiteral(
        "SELECT s, r, o, k FROM (SELECT n.nspname AS s, c.relname AS r, c.oid AS o, CASE "
        "WHEN v AND c.relname::text = p.l THEN 0 "
        "WHEN n.nspname || '.' || c.relname = p.l THEN 1 "
        "WHEN p.t <> '' AND c.relname::text = p.t AND (n.nspname::text = p.s OR (p.s = '' AND v)) THEN 2 "
        "WHEN v AND lower(c.relname) = lower(p.l) THEN 3 "
        "WHEN lower(n.nspname || '.' || c.relname) = lower(p.l) THEN 4 END AS k, v "
        "FROM (SELECT $1::text AS l, $2::text AS s, $3::text AS t) p, pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace, "
        "LATERAL (SELECT pg_catalog.pg_table_is_visible(c.oid) AS v) vis "
        "WHERE c.relkind IN ('r','v','m','p','f') "
        "AND (n.nspname NOT LIKE 'pg\\_temp\\_%' OR v) AND n.nspname NOT LIKE 'pg\\_toast%' AND %1"
        ") t WHERE k IS NOT NULL ORDER BY k, NOT v, s, r LIMIT 1");
    const std::vector<QByteArray> params{line.toUtf8(), sql ? sql->schema.toUtf8() : QByteArray(),
                                         sql ? sql->table.toUtf8() : QByteArray()};
    // The names spelt exactly come through the catalogue's index; only a line in another
    // letter case needs the walk over every table.
    auto rows = select(
        ranked.arg(QStringLiteral("c.relname = ANY (ARRAY[p.l, p.t, substr(p.l, strpos(p.l, '.') + 1), "
                                  "regexp_replace(p.l, '^.*\\.', '')]::name[])")),
        params);
    if (rows.empty())
        rows = select(ranked.arg(QStringLiteral("(lower(c.relname) IN (lower(p.l), lower(p.t)) "
                                                "OR lower(n.nspname || '.' || c.relname) = lower(p.l))")),
                      params);
    if (rows.empty()) return std::nullopt;
    const QString schema = rows[0][0].value_or(QString());
    const QString table = rows[0][1].value_or(QString());
    // A name found visible on the search path by its own name is written as it is read.
    const QString rank = rows[0][3].value_or(QString());
    const bool plain = rank == QLatin1String("0") || rank == QLatin1String("3") ||
                       (rank == QLatin1String("2") && sql->schema.isEmpty());
    FoundTable found;
    found.parts = plain ? QStringList{table} : QStringList{schema, table};
    found.oid = rows[0][2].value_or(QString()).toUtf8();
    return found;
}

std::optional<QStringList> PostgresConnection::FindTable(const QString& line) {
    const auto found = findTable(line);
    if (!found) return std::nullopt;
    return found->parts;
}

QString PostgresConnection::NameInSql(const QString& name) {
    if (!keywords_) {
        // Unreserved keywords serve as names; the others would read as syntax.
        keywords_.emplace();
        for (const auto& r : select(QStringLiteral("SELECT word FROM pg_catalog.pg_get_keywords() "
                                                   "WHERE catcode <> 'U'")))
            keywords_->insert(r[0].value_or(QString()));
    }
    static const QRegularExpression plain(QStringLiteral("^[a-z_][a-z0-9_$]*$"));
    if (plain.match(name).hasMatch() && !keywords_->contains(name)) return name;
    return QuoteIdentifier(name);
}
