#include "db/PostgresDriver.h"

#include "rtl/Exception.h"

namespace {

// Type mapping by type OID:
//   int2 (21)                          -> TSmallintField
//   int4 (23)                          -> TIntegerField
//   int8 (20), oid (26)                -> TLargeintField
//   float4 (700), float8 (701)         -> TFloatField
//   money (790)                        -> TCurrencyField (value without symbol and grouping)
//   numeric (1700) [(p,s)]             -> TBCDField
//   bpchar(n) (1042), varchar(n) (1043)-> TStringField of size n
//   char (18)                          -> TStringField of size 1; name (19) of size 63
//   text (25), varchar/bpchar without n-> TMemoField
//   bool (16)                          -> TBooleanField
//   date (1082)                        -> TDateField
//   time (1083), timetz (1266)         -> TTimeField
//   timestamp (1114), timestamptz(1184)-> TDateTimeField
//   bytea (17)                         -> TBlobField (the bytes themselves)
//   anything else                      -> TMemoField (the server's text form)
constexpr Oid kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25,
              kOid = 26, kFloat4 = 700, kFloat8 = 701, kMoney = 790, kBpchar = 1042, kVarchar = 1043,
              kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestamptz = 1184, kTimetz = 1266,
              kNumeric = 1700;

QString trimmedMessage(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void consumeAll(PGconn* conn) {
    while (PGresult* r = PQgetResult(conn)) PQclear(r);
}

}  // namespace

ColumnInfo PostgresColumn(const QString& name, Oid type, int typmod) {
    auto info = [&](TFieldType t, int size = 0, int precision = 0) {
        return ColumnInfo{name, t, size, precision};
    };
    switch (type) {
        case kInt2:
            return info(TFieldType::ftSmallint);
        case kInt4:
            return info(TFieldType::ftInteger);
        case kInt8:
        case kOid:
            return info(TFieldType::ftLargeint);
        case kFloat4:
        case kFloat8:
            return info(TFieldType::ftFloat);
        case kMoney:
            return info(TFieldType::ftCurrency);
        case kNumeric:
            if (typmod >= 4)
                return info(TFieldType::ftBCD, (typmod - 4) & 0xFFFF, ((typmod - 4) >> 16) & 0xFFFF);
            return info(TFieldType::ftBCD);
        case kBpchar:
        case kVarchar:
            return typmod >= 4 ? info(TFieldType::ftString, typmod - 4) : info(TFieldType::ftMemo);
        case kChar:
            return info(TFieldType::ftString, 1);
        case kName:
            return info(TFieldType::ftString, 63);
        case kText:
            return info(TFieldType::ftMemo);
        case kBool:
            return info(TFieldType::ftBoolean);
        case kDate:
            return info(TFieldType::ftDate);
        case kTime:
        case kTimetz:
            return info(TFieldType::ftTime);
        case kTimestamp:
        case kTimestamptz:
            return info(TFieldType::ftDateTime);
        case kBytea:
            return info(TFieldType::ftBlob);
        default:
            return info(TFieldType::ftMemo);
    }
}

// ---- result -----------------------------------------------------------------------

class PostgresResult : public SqlResult {
  public:
    PostgresResult(PostgresConnection* conn, PGresult* first, bool streaming, bool inTransactionBlock)
        : conn_(conn), first_(first), streaming_(streaming), inTransactionBlock_(inTransactionBlock) {
        const int n = PQnfields(first);
        for (int c = 0; c < n; ++c) {
            columns_.push_back(
                PostgresColumn(QString::fromUtf8(PQfname(first, c)), PQftype(first, c), PQfmod(first, c)));
            kinds_.push_back(PQftype(first, c));
        }
        buffer_.Reset(n);
        if (PQresultStatus(first) != PGRES_SINGLE_TUPLE) {
            PQclear(first_);
            first_ = nullptr;
        }
    }

    ~PostgresResult() override {
        if (first_) PQclear(first_);
        if (streaming_) {
            // Closed before its end: ask the server to stop sending, then skip the rest.
            // Inside a transaction block the statement is read to its end instead: a
            // cancelled statement would abort the block and its COMMIT would roll back.
            PGcancel* cancel = inTransactionBlock_ ? nullptr : PQgetCancel(conn_->Handle());
            if (cancel) {
                char err[256];
                PQcancel(cancel, err, sizeof err);
                PQfreeCancel(cancel);
            }
            consumeAll(conn_->Handle());
            conn_->StreamingEnded(this);
        }
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    bool Fetch(RowStore& rows, int maxRows) override {
        int added = 0;
        if (first_ && added < maxRows) {
            addRow(rows, first_);
            PQclear(first_);
            first_ = nullptr;
            ++added;
        }
        while (added < maxRows && bufferNext_ < buffer_.Count()) {
            rows.BeginRow();
            for (int c = 0; c < buffer_.Columns(); ++c) {
                const auto v = buffer_.Value(bufferNext_, c);
                if (v)
                    rows.AddValue(*v);
                else
                    rows.AddNull();
            }
            rows.EndRow();
            ++bufferNext_;
            ++added;
        }
        if (bufferNext_ > 0 && bufferNext_ == buffer_.Count()) {
            buffer_.Reset(buffer_.Columns());
            bufferNext_ = 0;
        }
        while (added < maxRows && streaming_) {
            if (next(rows)) ++added;
        }
        return first_ || bufferNext_ < buffer_.Count() || streaming_;
    }

    // Reads every row still on the wire into the buffer, freeing the session.
    void Drain() {
        while (streaming_) next(buffer_);
    }

  private:
    // Reads one result from the wire; true when it was a row (appended to `rows`).
    bool next(RowStore& rows) {
        PGresult* r = PQgetResult(conn_->Handle());
        if (!r) {
            finish();
            return false;
        }
        switch (PQresultStatus(r)) {
            case PGRES_SINGLE_TUPLE:
                addRow(rows, r);
                PQclear(r);
                return true;
            case PGRES_TUPLES_OK:
                PQclear(r);
                consumeAll(conn_->Handle());
                finish();
                return false;
            default: {
                QString message = trimmedMessage(PQresultErrorMessage(r));
                if (message.isEmpty()) message = trimmedMessage(PQerrorMessage(conn_->Handle()));
                PQclear(r);
                consumeAll(conn_->Handle());
                finish();
                throw EDatabaseError(message);
            }
        }
    }

    void finish() {
        if (!streaming_) return;
        streaming_ = false;
        conn_->StreamingEnded(this);
    }

    void addRow(RowStore& rows, const PGresult* r) {
        rows.BeginRow();
        const int n = static_cast<int>(columns_.size());
        for (int c = 0; c < n; ++c) {
            if (PQgetisnull(r, 0, c)) {
                rows.AddNull();
                continue;
            }
            const char* v = PQgetvalue(r, 0, c);
            const auto len = static_cast<size_t>(PQgetlength(r, 0, c));
            switch (kinds_[static_cast<size_t>(c)]) {
                case kBytea:
                    addBytea(rows, v, len);
                    break;
                case kMoney:
                    addMoney(rows, v, len);
                    break;
                default:
                    rows.AddValue(v, len);
            }
        }
        rows.EndRow();
    }

    // The server sends bytea as "\x" and hexadecimal digits; the cache keeps the bytes.
    void addBytea(RowStore& rows, const char* v, size_t len) {
        scratch_.clear();
        if (len >= 2 && v[0] == '\\' && v[1] == 'x') {
            for (size_t i = 2; i + 1 < len; i += 2)
                scratch_.push_back(static_cast<char>(hexDigit(v[i]) * 16 + hexDigit(v[i + 1])));
        } else {
            size_t n = 0;
            unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &n);
            if (bytes) scratch_.assign(reinterpret_cast<char*>(bytes), reinterpret_cast<char*>(bytes) + n);
            PQfreemem(bytes);
        }
        rows.AddValue(scratch_.data(), scratch_.size());
    }

    // Money comes in the server's monetary format ("$1,234.50", "-$3.00"); the cache keeps
    // the plain number.
    void addMoney(RowStore& rows, const char* v, size_t len) {
        scratch_.clear();
        bool negative = false;
        for (size_t i = 0; i < len; ++i) {
            const char ch = v[i];
            if (ch == '-' || ch == '(') negative = true;
            if ((ch >= '0' && ch <= '9') || ch == '.') scratch_.push_back(ch);
        }
        if (negative) scratch_.insert(scratch_.begin(), '-');
        rows.AddValue(scratch_.data(), scratch_.size());
    }

    PostgresConnection* conn_;
    PGresult* first_;
    bool streaming_;
    bool inTransactionBlock_;
    std::vector<ColumnInfo> columns_;
    std::vector<Oid> kinds_;
    RowStore buffer_;
    int bufferNext_ = 0;
    std::vector<char> scratch_;
};

// ---- connection ----------------------------------------------------------------------

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
    conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString message =
            conn_ ? trimmedMessage(PQerrorMessage(conn_)) : QStringLiteral("out of memory");
        PQfinish(conn_);
        conn_ = nullptr;
        throw EDatabaseError(message);
    }
    // Dates in ISO form and floating-point values that read back exactly.
    PGresult* r = PQexec(
        conn_, "SET DateStyle TO ISO, YMD; SET extra_float_digits TO 3; SET client_encoding TO 'UTF8'");
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    if (!ok) {
        const QString message = trimmedMessage(PQerrorMessage(conn_));
        PQfinish(conn_);
        conn_ = nullptr;
        throw EDatabaseError(message);
    }
}

// Results are always destroyed before their connection (the database closes its
// datasets first), so nothing streams any more here.
PostgresConnection::~PostgresConnection() {
    PQfinish(conn_);
}

bool PostgresConnection::Broken() const {
    return PQstatus(conn_) == CONNECTION_BAD;
}

void PostgresConnection::Fail(const PGresult* res) const {
    QString message = res ? trimmedMessage(PQresultErrorMessage(res)) : QString();
    if (message.isEmpty()) message = trimmedMessage(PQerrorMessage(conn_));
    if (message.isEmpty()) message = QStringLiteral("The database server did not answer");
    throw EDatabaseError(message);
}

void PostgresConnection::StreamingEnded(PostgresResult* result) {
    if (streaming_ == result) streaming_ = nullptr;
}

void PostgresConnection::makeIdle() {
    if (streaming_) streaming_->Drain();
}

std::unique_ptr<SqlResult> PostgresConnection::OpenQuery(const QString& sql) {
    makeIdle();
    const bool inTransactionBlock = PQtransactionStatus(conn_) != PQTRANS_IDLE;
    const QByteArray text = sql.toUtf8();
    // The extended protocol runs exactly one statement, so nothing can ride along.
    if (!PQsendQueryParams(conn_, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)) Fail();
    PQsetSingleRowMode(conn_);
    PGresult* r = PQgetResult(conn_);
    switch (PQresultStatus(r)) {
        case PGRES_SINGLE_TUPLE: {
            auto result = std::make_unique<PostgresResult>(this, r, true, inTransactionBlock);
            streaming_ = result.get();
            return result;
        }
        case PGRES_TUPLES_OK: {
            consumeAll(conn_);
            return std::make_unique<PostgresResult>(this, r, false, inTransactionBlock);
        }
        case PGRES_COMMAND_OK:
            PQclear(r);
            consumeAll(conn_);
            throw EDatabaseError(QString::fromLatin1(kNoCursorMessage));
        case PGRES_EMPTY_QUERY:
            PQclear(r);
            consumeAll(conn_);
            throw EDatabaseError(QStringLiteral("The SQL text holds no statement"));
        default: {
            QString message = trimmedMessage(PQresultErrorMessage(r));
            if (message.isEmpty()) message = trimmedMessage(PQerrorMessage(conn_));
            PQclear(r);
            consumeAll(conn_);
            throw EDatabaseError(message);
        }
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
    const bool inTransactionBlock = PQtransactionStatus(conn_) != PQTRANS_IDLE;
    const Parameters p(values, types);
    const QByteArray text = (sql + QStringLiteral(" RETURNING *")).toUtf8();
    if (!PQsendQueryParams(conn_, text.constData(), p.count(), nullptr, p.data.data(), p.lengths.data(),
                           p.formats.data(), 0))
        Fail();
    PQsetSingleRowMode(conn_);
    PGresult* r = PQgetResult(conn_);
    if (PQresultStatus(r) != PGRES_SINGLE_TUPLE) {
        const bool ok = PQresultStatus(r) == PGRES_TUPLES_OK;
        QString message = ok ? QString() : trimmedMessage(PQresultErrorMessage(r));
        if (!ok && message.isEmpty()) message = trimmedMessage(PQerrorMessage(conn_));
        PQclear(r);
        consumeAll(conn_);
        if (!ok) throw EDatabaseError(message);
        return 0;
    }
    // Read to its end, so that an error after the row (a deferred constraint) is seen
    // and the statement is never cancelled half-way.
    PostgresResult result(this, r, true, inTransactionBlock);
    streaming_ = &result;
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
    const QByteArray text = sql.toUtf8();
    PGresult* r = PQexecParams(conn_, text.constData(), params.count(), nullptr, params.data.data(),
                               params.lengths.data(), params.formats.data(), 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        QString message = trimmedMessage(PQresultErrorMessage(r));
        if (message.isEmpty()) message = trimmedMessage(PQerrorMessage(conn_));
        PQclear(r);
        throw EDatabaseError(message);
    }
    const char* tuples = PQcmdTuples(r);
    const int affected =
        tuples && *tuples ? std::atoi(tuples) : (status == PGRES_TUPLES_OK ? PQntuples(r) : -1);
    PQclear(r);
    return affected;
}

bool PostgresConnection::InTransaction() const {
    switch (PQtransactionStatus(conn_)) {
        case PQTRANS_INTRANS:
        case PQTRANS_INERROR:
            return true;
        case PQTRANS_ACTIVE: {
            // A result is streaming; ask again once it is read.
            const_cast<PostgresConnection*>(this)->makeIdle();
            const auto s = PQtransactionStatus(conn_);
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
    const QByteArray text = sql.toUtf8();
    PGresult* r = PQexecParams(conn_, text.constData(), static_cast<int>(p.size()), nullptr, p.data(),
                               nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        QString message = trimmedMessage(PQresultErrorMessage(r));
        PQclear(r);
        throw EDatabaseError(message.isEmpty() ? trimmedMessage(PQerrorMessage(conn_)) : message);
    }
    std::vector<std::vector<std::optional<QString>>> rows;
    for (int i = 0; i < PQntuples(r); ++i) {
        std::vector<std::optional<QString>> row;
        for (int c = 0; c < PQnfields(r); ++c) {
            if (PQgetisnull(r, i, c))
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(QString::fromUtf8(PQgetvalue(r, i, c), PQgetlength(r, i, c)));
        }
        rows.push_back(std::move(row));
    }
    PQclear(r);
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
