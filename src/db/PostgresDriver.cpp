#include "db/PostgresDriver.h"

#include <QRegularExpression>

#include "db/PostgresBinary.h"
#include "db/PostgresResult.h"
#include "db/TableNames.h"

#include <cctype>
#include <cstring>

namespace {

QString trimmedMessage(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

// Index of the first character at or after `i` that is neither blank nor inside a comment.
qsizetype skipBlanksAndComments(const QByteArray& sql, qsizetype i = 0) {
    const qsizetype n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const qsizetype end = sql.indexOf("*/", i + 2);
            if (end < 0) return n;
            i = end + 2;
        } else {
            break;
        }
    }
    return i;
}

// The keyword at `i` (after blanks and comments), upper-cased; `i` moves past it.
QByteArray nextKeyword(const QByteArray& sql, qsizetype& i) {
    i = skipBlanksAndComments(sql, i);
    const qsizetype n = sql.size();
    qsizetype j = i;
    while (j < n && ((sql[j] >= 'A' && sql[j] <= 'Z') || (sql[j] >= 'a' && sql[j] <= 'z'))) ++j;
    const QByteArray word = sql.mid(i, j - i).toUpper();
    i = j;
    return word;
}

// Whether the statement begins like a query a cursor can hold (SELECT, VALUES, WITH,
// TABLE or a parenthesis), after blanks and comments; anything else runs as it is at once.
bool looksLikeQuery(const QByteArray& sql) {
    qsizetype i = skipBlanksAndComments(sql);
    if (i < sql.size() && sql[i] == '(') return true;
    const QByteArray word = nextKeyword(sql, i);
    return word == "SELECT" || word == "VALUES" || word == "WITH" || word == "TABLE";
}

// Statements that begin, end or mark a transaction, or set its mode: under a savepoint
// of the driver's they would end or release it, or be refused, so they run as they are.
bool controlsTransaction(const QByteArray& sql) {
    qsizetype i = 0;
    const QByteArray word = nextKeyword(sql, i);
    if (word == "BEGIN" || word == "START" || word == "COMMIT" || word == "END" || word == "ROLLBACK" ||
        word == "ABORT" || word == "SAVEPOINT" || word == "RELEASE")
        return true;
    return (word == "SET" || word == "PREPARE") && nextKeyword(sql, i) == "TRANSACTION";
}

bool isCommit(const QByteArray& sql) {
    qsizetype i = 0;
    const QByteArray word = nextKeyword(sql, i);
    return word == "COMMIT" || word == "END";
}

// Each statement inside the user's transaction runs under this savepoint, so that one
// the server refuses undoes only itself and the transaction goes on.
constexpr const char* kSavepoint = "SAVEPOINT zv_statement";
constexpr const char* kRelease = "RELEASE SAVEPOINT zv_statement";
constexpr const char* kRollBackTo = "ROLLBACK TO SAVEPOINT zv_statement; RELEASE SAVEPOINT zv_statement";

bool statementSavepoints = true;

// libpq may put the same line into its message more than once when a session is lost.
QString withoutRepeatedLines(const QString& message) {
    QStringList kept;
    for (const QString& line : message.split(QChar(u'\n')))
        if (!kept.contains(line)) kept << line;
    return kept.join(QChar(u'\n'));
}

// Reads a pipeline's results up to its synchronisation point: the last result of each
// statement, in the order sent (nullptr for one that gave none).
std::vector<PgResult> pipelineResults(PGconn* conn) {
    std::vector<PgResult> results;
    PgResult current;
    bool afterEnd = false;
    for (;;) {
        PGresult* r = PQgetResult(conn);
        if (!r) {
            // The end of one statement's results; two in a row: nothing more is coming.
            if (afterEnd || PQstatus(conn) == CONNECTION_BAD) break;
            results.push_back(std::move(current));
            current.reset();
            afterEnd = true;
            continue;
        }
        afterEnd = false;
        if (PQresultStatus(r) == PGRES_PIPELINE_SYNC) {
            PQclear(r);
            break;
        }
        current.reset(r);
    }
    if (current) results.push_back(std::move(current));
    return results;
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

void PostgresConnection::SetStatementSavepoints(bool on) {
    statementSavepoints = on;
}

bool PostgresConnection::beginStatement(const QByteArray& sql) {
    makeIdle();
    // Idle again, so a transaction still open is the user's (the driver's own for a
    // cursor ended with the cursor).
    const PGTransactionStatusType status = PQtransactionStatus(conn_.get());
    userTransaction_ = status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
    return statementSavepoints && status == PQTRANS_INTRANS && !controlsTransaction(sql);
}

EDatabaseError PostgresConnection::Error(const PGresult* result) {
    EDatabaseError error = PostgresError(conn_.get(), result);
    if (PQstatus(conn_.get()) != CONNECTION_BAD) return error;
    // The server is gone, and with it any transaction: the next action connects anew.
    const bool lostTransaction = userTransaction_;
    userTransaction_ = savepoint_ = cursorTransaction_ = false;
    const QString detail = withoutRepeatedLines(error.Message());
    QString message = lostTransaction ? QStringLiteral(
                                            "The connection to the database server was lost during a "
                                            "transaction: nothing of the transaction was committed")
                                      : QStringLiteral("The connection to the database server was lost");
    if (!detail.isEmpty()) message += QStringLiteral(" (") + detail + QChar(u')');
    if (lostTransaction) TransactionEnded();
    return EDatabaseError(message, error.NativeCode());
}

void PostgresConnection::Command(const char* sql) {
    const PgResult r{PQexec(conn_.get(), sql)};
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) throw Error(r.get());
}

void PostgresConnection::EndStatement(bool succeeded) {
    if (!savepoint_) return;
    savepoint_ = false;
    if (PQstatus(conn_.get()) == CONNECTION_BAD) return;
    Command(succeeded ? kRelease : kRollBackTo);
}

void PostgresConnection::FailStatement(const PGresult* result) {
    const EDatabaseError error = Error(result);
    if (PQstatus(conn_.get()) != CONNECTION_BAD) {
        DiscardPostgresResults(conn_.get());
        try {
            EndStatement(false);
        } catch (...) {
        }
    }
    savepoint_ = false;
    throw error;
}

void PostgresConnection::checkCommitted(const QByteArray& sql, const PGresult* result) {
    if (std::strcmp(PQcmdStatus(const_cast<PGresult*>(result)), "ROLLBACK") != 0 || !isCommit(sql)) return;
    // The transaction had failed: the server ended it and kept nothing of it.
    TransactionEnded();
    throw EDatabaseError(
        QStringLiteral("The transaction was rolled back by the server: nothing was committed"));
}

PgResult PostgresConnection::runGuarded(const QByteArray& sql, int count, const char* const* values,
                                        const int* lengths, const int* formats) {
    // The savepoint, the statement and the release go out together and come back in
    // one round trip; a refused statement skips the release, and only then does a
    // second round trip roll back to the savepoint.
    PGconn* conn = conn_.get();
    if (!PQenterPipelineMode(conn)) throw Error();
    const bool sent = PQsendQueryParams(conn, kSavepoint, 0, nullptr, nullptr, nullptr, nullptr, 0) &&
                      PQsendQueryParams(conn, sql.constData(), count, nullptr, values, lengths, formats, 0) &&
                      PQsendQueryParams(conn, kRelease, 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (!sent) {
        const EDatabaseError error = Error();
        if (PQstatus(conn) != CONNECTION_BAD && PQpipelineSync(conn)) pipelineResults(conn);
        PQexitPipelineMode(conn);
        throw error;
    }
    std::vector<PgResult> results;
    if (PQpipelineSync(conn)) results = pipelineResults(conn);
    PQexitPipelineMode(conn);
    results.resize(3);
    const auto ok = [](const PgResult& r) {
        const ExecStatusType s = PQresultStatus(r.get());
        return r && (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK);
    };
    if (ok(results[0]) && ok(results[1]) && ok(results[2])) return std::move(results[1]);
    savepoint_ = ok(results[0]) && !ok(results[2]);
    const PGresult* failed = !ok(results[0])   ? results[0].get()
                             : !ok(results[1]) ? results[1].get()
                                               : results[2].get();
    FailStatement(failed);
}

std::unique_ptr<SqlResult> PostgresConnection::OpenQuery(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    const bool guarded = beginStatement(text);
    // A transaction that already failed refuses every statement, and a statement that is
    // no query needs no cursor: both run as they are, for the server's own answer.
    const PGTransactionStatusType status = PQtransactionStatus(conn_.get());
    if (status == PQTRANS_INERROR || !looksLikeQuery(text)) return openStreaming(text, guarded);
    if (status == PQTRANS_IDLE)
        if (auto result = openCopy(text)) return result;
    if (auto result = openCursor(text, guarded)) return result;
    return openStreaming(text, guarded);
}

// A cursor needs a transaction: outside the user's, the driver begins one of its own and
// ends it with the cursor; inside the user's, the statement's savepoint lasts as long as
// the cursor, so that a refused declaration or a failing FETCH undoes only the cursor.
// A statement no cursor takes (not a query, or a wrong one) gives nullptr, and then runs
// as it is, so that it gets its own answer or error.
std::unique_ptr<SqlResult> PostgresConnection::openCursor(const QByteArray& sql, bool guarded) {
    const bool own = PQtransactionStatus(conn_.get()) == PQTRANS_IDLE;
    const QByteArray name = "zv_cursor_" + QByteArray::number(++cursors_);
    Command(own ? "BEGIN" : guarded ? kSavepoint : "SAVEPOINT zv_declare");
    cursorTransaction_ = own;
    savepoint_ = guarded && !own;
    const QByteArray declare = "DECLARE " + name + " NO SCROLL CURSOR FOR " + sql;
    const PgResult declared{
        PQexecParams(conn_.get(), declare.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)};
    if (PQresultStatus(declared.get()) != PGRES_COMMAND_OK) {
        if (own)
            EndCursorTransaction(false);
        else if (guarded)
            Command("ROLLBACK TO SAVEPOINT zv_statement");  // kept for the statement's own run
        else
            Command("ROLLBACK TO SAVEPOINT zv_declare; RELEASE SAVEPOINT zv_declare");
        return nullptr;
    }
    if (!own && !guarded) Command("RELEASE SAVEPOINT zv_declare");
    const QByteArray fetch =
        "FETCH FORWARD " + QByteArray::number(PostgresResult::kFirstBatch) + " FROM " + name;
    PgResult first{PQexecParams(conn_.get(), fetch.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)};
    if (PQresultStatus(first.get()) != PGRES_TUPLES_OK) FailCursor(first.get(), own);
    return std::make_unique<PostgresResult>(*this, std::move(first), PostgresResult::Cursor{name, own});
}

void PostgresConnection::EndCursorTransaction(bool commit) {
    cursorTransaction_ = false;
    Command(commit ? "COMMIT" : "ROLLBACK");
}

void PostgresConnection::EndCursor(const QByteArray& name, bool ownTransaction, bool complete) {
    if (ownTransaction) {
        EndCursorTransaction(complete);
        return;
    }
    if (PQtransactionStatus(conn_.get()) != PQTRANS_INTRANS) return;
    // A cursor closes without disturbing the transaction; what its query did is kept.
    QByteArray sql = "CLOSE " + name;
    if (savepoint_) sql += QByteArray("; ") + kRelease;
    savepoint_ = false;
    Command(sql.constData());
}

void PostgresConnection::FailCursor(const PGresult* result, bool ownTransaction) {
    const EDatabaseError error = Error(result);
    try {
        if (ownTransaction)
            EndCursorTransaction(false);
        else
            EndStatement(false);
    } catch (...) {
    }
    throw error;
}

std::unique_ptr<SqlResult> PostgresConnection::openStreaming(const QByteArray& text, bool guarded) {
    if (guarded && !savepoint_) {
        Command(kSavepoint);
        savepoint_ = true;
    }
    const bool inTransactionBlock = PQtransactionStatus(conn_.get()) != PQTRANS_IDLE;
    // The extended protocol runs exactly one statement, so nothing can ride along.
    if (!PQsendQueryParams(conn_.get(), text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
        FailStatement(nullptr);
    PQsetSingleRowMode(conn_.get());
    PgResult r{PQgetResult(conn_.get())};
    switch (PQresultStatus(r.get())) {
        case PGRES_SINGLE_TUPLE:
        case PGRES_TUPLES_OK:
            return std::make_unique<PostgresResult>(*this, std::move(r), inTransactionBlock);
        case PGRES_COMMAND_OK:
            DiscardPostgresResults(conn_.get());
            EndStatement(true);
            checkCommitted(text, r.get());
            throw EDatabaseError(QString::fromLatin1(kNoCursorMessage));
        case PGRES_EMPTY_QUERY:
            DiscardPostgresResults(conn_.get());
            EndStatement(true);
            throw EDatabaseError(QStringLiteral("The SQL text holds no statement"));
        default:
            FailStatement(r.get());
    }
}

// Outside a transaction a query whose every column reads in binary form needs no
// cursor: its rows are copied out in binary form, those after the first few read ahead
// by threads of their own. The server then sends them straight from the
// query, as fast as it makes them, where a cursor first stores each batch it sends. A
// query closed before its end is cancelled, as a cursor in the driver's own transaction
// would be rolled back. The statement is described first, for the names and types COPY
// does not send; a statement COPY cannot hold (or a wrong one) gives nullptr.
std::unique_ptr<SqlResult> PostgresConnection::openCopy(const QByteArray& text) {
    PGconn* conn = conn_.get();
    const PgResult prepared{PQprepare(conn, "", text.constData(), 0, nullptr)};
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) {
        if (PQstatus(conn) == CONNECTION_BAD) throw Error(prepared.get());
        return nullptr;
    }
    PgResult described{PQdescribePrepared(conn, "")};
    if (PQresultStatus(described.get()) != PGRES_COMMAND_OK) throw Error(described.get());
    const int columns = PQnfields(described.get());
    if (columns == 0) return nullptr;
    for (int c = 0; c < columns; ++c)
        if (!PostgresBinaryReadable(PQftype(described.get(), c))) return nullptr;
    // The statement as it is, in parentheses; a line of its own for the closing one, so
    // that a comment on its last line ends before it.
    QByteArray statement = text;
    while (!statement.isEmpty() &&
           (std::isspace(static_cast<unsigned char>(statement.back())) != 0 || statement.back() == ';'))
        statement.chop(1);
    const QByteArray copy = "COPY (" + statement + "\n) TO STDOUT (FORMAT binary)";
    if (!PQsendQuery(conn, copy.constData())) throw Error();
    const PgResult started{PQgetResult(conn)};
    if (PQresultStatus(started.get()) == PGRES_COPY_OUT)
        return std::make_unique<PostgresResult>(*this, described.get(), PostgresResult::CopyOut{});
    // Refused before its first row: the statement runs in a cursor instead, for its own
    // rows or error.
    DiscardPostgresResults(conn);
    if (PQstatus(conn) == CONNECTION_BAD) throw Error(started.get());
    return nullptr;
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
    const QByteArray text = (sql + QStringLiteral(" RETURNING *")).toUtf8();
    if (beginStatement(text)) {
        Command(kSavepoint);
        savepoint_ = true;
    }
    const bool inTransactionBlock = PQtransactionStatus(conn_.get()) != PQTRANS_IDLE;
    const Parameters p(values, types);
    if (!PQsendQueryParams(conn_.get(), text.constData(), p.count(), nullptr, p.data.data(), p.lengths.data(),
                           p.formats.data(), 0))
        FailStatement(nullptr);
    PQsetSingleRowMode(conn_.get());
    PgResult r{PQgetResult(conn_.get())};
    if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) {
        DiscardPostgresResults(conn_.get());
        EndStatement(true);
        return 0;
    }
    if (PQresultStatus(r.get()) != PGRES_SINGLE_TUPLE) FailStatement(r.get());
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

PgResult PostgresConnection::run(const QByteArray& sql, const std::vector<const char*>& params,
                                 const std::vector<int>& lengths, const std::vector<int>& formats) {
    const int count = static_cast<int>(params.size());
    const int* lens = lengths.empty() ? nullptr : lengths.data();
    const int* fmts = formats.empty() ? nullptr : formats.data();
    if (beginStatement(sql)) return runGuarded(sql, count, params.data(), lens, fmts);
    PgResult r{PQexecParams(conn_.get(), sql.constData(), count, nullptr, params.data(), lens, fmts, 0)};
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw Error(r.get());
    return r;
}

int PostgresConnection::ExecuteWith(const QString& sql, const std::vector<std::optional<QByteArray>>& values,
                                    const std::vector<TFieldType>& types) {
    const Parameters params(values, types);
    const QByteArray text = sql.toUtf8();
    const PgResult r = run(text, params.data, params.lengths, params.formats);
    checkCommitted(text, r.get());
    const char* tuples = PQcmdTuples(r.get());
    return tuples && *tuples ? std::atoi(tuples)
                             : (PQresultStatus(r.get()) == PGRES_TUPLES_OK ? PQntuples(r.get()) : -1);
}

bool PostgresConnection::InTransaction() const {
    // Rows are read ahead (the session is busy with them): a cursor lives in the user's
    // transaction or in the driver's own; a query is copied out only outside a transaction.
    if (prefetching()) return userTransaction_ && !cursorTransaction_;
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
    std::vector<const char*> p;
    for (const auto& v : params) p.push_back(v.constData());
    const PgResult r = run(sql.toUtf8(), p);
    const PGresult* res = r.get();
    if (PQresultStatus(res) != PGRES_TUPLES_OK) throw Error(res);
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

std::vector<LiveColumn> PostgresConnection::LiveColumns(const QString& table) {
    // The table as the statement resolves it; its primary key, or else its first unique
    // key of not-null plain columns; and the columns whose type (a domain's base type; an
    // array's element type) has no default btree operator class, so no equality: json,
    // xml, point and the like.
    const auto rows = select(
        QStringLiteral(
            "WITH rel AS (SELECT pg_catalog.to_regclass($1) AS oid), "
            "k AS (SELECT (SELECT pg_catalog.array_agg(u.n) FROM pg_catalog.unnest(i.indkey) WITH ORDINALITY "
            "AS u(n, o) WHERE u.o <= i.indnkeyatts) AS cols FROM pg_catalog.pg_index i, rel "
            "WHERE i.indrelid = rel.oid AND i.indisunique AND i.indpred IS NULL AND i.indexprs IS NULL "
            "AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_attribute n WHERE n.attrelid = rel.oid "
            "AND n.attnum = ANY (i.indkey) AND NOT n.attnotnull) "
            "ORDER BY i.indisprimary DESC, i.indnkeyatts, i.indexrelid LIMIT 1), "
            "c AS (SELECT a.attname, a.attnum, COALESCE(NULLIF(t.typbasetype, 0), t.oid) AS base "
            "FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_type t ON t.oid = a.atttypid, rel "
            "WHERE a.attrelid = rel.oid AND a.attnum > 0 AND NOT a.attisdropped) "
            "SELECT c.attname, COALESCE(c.attnum = ANY (k.cols), false), "
            "NOT EXISTS (SELECT 1 FROM pg_catalog.pg_type b, pg_catalog.pg_type e, pg_catalog.pg_opclass oc "
            "JOIN pg_catalog.pg_am am ON am.oid = oc.opcmethod "
            "WHERE b.oid = c.base AND e.oid = CASE WHEN b.typcategory = 'A' THEN b.typelem ELSE b.oid END "
            "AND am.amname = 'btree' AND oc.opcdefault AND (oc.opcintype = e.oid "
            "OR oc.opcintype IN (SELECT ca.casttarget FROM pg_catalog.pg_cast ca "
            "WHERE ca.castsource = e.oid AND ca.castmethod = 'b' AND ca.castcontext = 'i') "
            "OR (oc.opcintype = 'pg_catalog.anyenum'::pg_catalog.regtype AND e.typtype = 'e') "
            "OR (oc.opcintype = 'pg_catalog.anyrange'::pg_catalog.regtype AND e.typtype = 'r'))) "
            "FROM c LEFT JOIN k ON true ORDER BY c.attnum"),
        {table.toUtf8()});
    std::vector<LiveColumn> columns;
    for (const auto& r : rows)
        columns.push_back(
            {r[0].value_or(QString()), r[1] == QStringLiteral("t"), r[2] == QStringLiteral("t")});
    return columns;
}
