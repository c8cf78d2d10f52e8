#include "db/SqliteDriver.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "db/TableNames.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"
#include "rtl/Utf8.h"

namespace {

// Type mapping by the declared type of a column (letter case ignored):
//   INT, INTEGER, MEDIUMINT, NUMBER(p), NUMBER(p,0) with p <= 9   -> TIntegerField
//   SMALLINT, TINYINT                                          -> TSmallintField
//   BIGINT, INT8, NUMBER(p) / NUMBER(p,0) with p > 9           -> TLargeintField
//   REAL, FLOAT, DOUBLE [PRECISION], NUMBER                    -> TFloatField
//   MONEY, CURRENCY                                            -> TCurrencyField
//   NUMERIC, DECIMAL [(p[,s])], NUMBER(p,s) with s > 0         -> TBCDField
//   CHAR(n), VARCHAR(n), VARCHAR2(n), NCHAR(n), NVARCHAR(n)... -> TStringField of size n
//   CHAR, VARCHAR... without a size, TEXT, CLOB                -> TMemoField
//   BOOLEAN, BOOL                                              -> TBooleanField
//   DATE                                                       -> TDateField
//   DATETIME, TIMESTAMP                                        -> TDateTimeField
//   TIME                                                       -> TTimeField
//   BLOB, BINARY, VARBINARY, BYTEA                             -> TBlobField
//   anything else                                              -> TMemoField (the value as text)
// An expression has no declared type: its first value decides (integer, float, text of
// at most 255 characters, blob; NULL counts as text).
const QRegularExpression& declPattern() {
    static const QRegularExpression re(
        QStringLiteral(
            R"(^\s*([A-Za-z_][A-Za-z0-9_]*(?:\s+PRECISION)?)\s*(?:\(\s*(\d+)\s*(?:,\s*(-?\d+)\s*)?\))?)"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

bool blank(const char* tail) {
    for (; *tail; ++tail)
        if (!std::isspace(static_cast<unsigned char>(*tail))) return false;
    return true;
}

class SqliteResult : public SqlResult {
  public:
    SqliteResult(SqlConnection& connection, sqlite3* db, SqliteStatement stmt)
        : SqlResult(connection), db_(db), stmt_(std::move(stmt)) {
        step();
        const int n = sqlite3_column_count(stmt_.get());
        for (int c = 0; c < n; ++c) {
            const QString name = QString::fromUtf8(sqlite3_column_name(stmt_.get(), c));
            const char* decl = sqlite3_column_decltype(stmt_.get(), c);
            if (decl) {
                columns_.push_back(SqliteColumnFromDeclaredType(name, decl));
                continue;
            }
            ColumnInfo info{name, TFieldType::ftString, 255, 0};
            if (!done_) {
                switch (sqlite3_column_type(stmt_.get(), c)) {
                    case SQLITE_INTEGER: {
                        const sqlite3_int64 v = sqlite3_column_int64(stmt_.get(), c);
                        info = {
                            name,
                            v >= INT32_MIN && v <= INT32_MAX ? TFieldType::ftInteger : TFieldType::ftLargeint,
                            0, 0};
                        break;
                    }
                    case SQLITE_FLOAT:
                        info = {name, TFieldType::ftFloat, 0, 0};
                        break;
                    case SQLITE_BLOB:
                        info = {name, TFieldType::ftBlob, 0, 0};
                        break;
                    default:
                        break;
                }
            }
            columns_.push_back(info);
        }
    }
    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    ~SqliteResult() override { Pause(); }

    // Stops reading ahead: the statement and the session are the caller's again. The
    // rows read so far stay; reading goes on where it stopped.
    void Pause() {
        {
            const std::lock_guard lock(mutex_);
            pause_ = true;
            changed_.notify_all();
        }
        if (reader_.joinable()) reader_.join();
        pause_ = false;
    }

  protected:
    // The first rows are read here, as they are asked for; from then on a thread of its
    // own reads some batches ahead (in the cache's form) while the rows before are used,
    // until another statement needs the session.
    bool FetchRows(RowStore& rows, int maxRows) override {
        int added = 0;
        while (added < maxRows) {
            if (current_.Left() > 0) {
                added += rows.Take(current_, maxRows - added);
                continue;
            }
            if (failure_) {
                // Raised after the rows before it; the next call reads that row again.
                if (added > 0) break;
                const EDatabaseError error = *failure_;
                failure_.reset();
                throw error;
            }
            if (takeBatch()) continue;
            if (done_) break;
            if (fetched_ >= kRowsBeforeReadingAhead && !readAlone_ && startReader()) continue;
            rows.BeginRow();
            const int n = static_cast<int>(columns_.size());
            for (int c = 0; c < n; ++c) addValue(rows, c);
            rows.EndRow();
            ++fetched_;
            ++added;
            step();
        }
        const std::lock_guard lock(mutex_);
        return current_.Left() > 0 || failure_.has_value() || !ready_.empty() || reading_ || !done_;
    }

    void ReleaseSession() override {
        Pause();
        stmt_.reset();
    }

  private:
    // Rows read ahead, in batches of this many, and how many may wait unread.
    static constexpr int kRowsBeforeReadingAhead = 2000;
    static constexpr int kBatchRows = 4096;
    static constexpr int kRowsAhead = 16 * kBatchRows;

    struct Batch {
        RowBatch rows;
        std::optional<EDatabaseError> failure;  // after its rows
    };

    bool startReader() {
        {
            const std::lock_guard lock(mutex_);
            reading_ = true;
        }
        try {
            reader_ = std::thread([this] { readAhead(); });
        } catch (const std::system_error&) {
            reading_ = false;
            readAlone_ = true;  // no thread to be had: rows are read as they are asked for
            return false;
        }
        return true;
    }

    // The thread reading ahead: batch after batch, until the end, an error, a pause, or
    // enough rows waiting.
    void readAhead() {
        const int n = static_cast<int>(columns_.size());
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return pause_ || rowsAhead_ < kRowsAhead; });
                if (pause_) break;
            }
            Batch batch;
            int count = 0;
            try {
                while (count < kBatchRows && !done_) {
                    batch.rows.BeginRow();
                    for (int c = 0; c < n; ++c) addValue(batch.rows, c);
                    batch.rows.EndRow();
                    ++fetched_;
                    ++count;
                    step();
                }
            } catch (const EDatabaseError& e) {
                batch.failure = e;
            }
            batch.rows.Finish();
            const bool stop = done_ || batch.failure.has_value();
            const std::lock_guard lock(mutex_);
            rowsAhead_ += count;
            ready_.push_back(std::move(batch));
            changed_.notify_all();
            if (stop) break;
        }
        const std::lock_guard lock(mutex_);
        reading_ = false;
        changed_.notify_all();
    }

    // The next batch read ahead into current_, waiting for it while the reader runs;
    // false when there is none.
    bool takeBatch() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty() || !reading_; });
        if (ready_.empty()) {
            lock.unlock();
            if (reader_.joinable()) reader_.join();
            return false;
        }
        Batch batch = std::move(ready_.front());
        ready_.pop_front();
        rowsAhead_ -= batch.rows.Count();
        changed_.notify_all();
        current_ = std::move(batch.rows);
        if (batch.failure) {
            failure_ = std::move(batch.failure);
            // A row that cannot be read is read again, here, when it is asked for next.
            readAlone_ = true;
        }
        return true;
    }

    void step() {
        const int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_ROW) return;
        done_ = true;
        if (rc != SQLITE_DONE) RaiseSqliteError(db_);
    }

    template <class Rows>
    void addValue(Rows& rows, int c) {
        switch (sqlite3_column_type(stmt_.get(), c)) {
            case SQLITE_NULL:
                rows.AddNull();
                return;
            case SQLITE_INTEGER: {
                // The same decimal text SQLite would make, without its conversion and copy.
                char buf[24];
                const auto res = std::to_chars(buf, buf + sizeof buf, sqlite3_column_int64(stmt_.get(), c));
                rows.AddValue(buf, static_cast<size_t>(res.ptr - buf));
                return;
            }
            case SQLITE_FLOAT: {
                // Shortest text that reads back as the same double, so that the live
                // query finds the row again by this value.
                char buf[32];
                const auto res = std::to_chars(buf, buf + sizeof buf, sqlite3_column_double(stmt_.get(), c));
                rows.AddValue(buf, static_cast<size_t>(res.ptr - buf));
                return;
            }
            case SQLITE_BLOB: {
                const void* p = sqlite3_column_blob(stmt_.get(), c);
                rows.AddValue(static_cast<const char*>(p),
                              static_cast<size_t>(sqlite3_column_bytes(stmt_.get(), c)));
                return;
            }
            case SQLITE_TEXT: {
                const unsigned char* p = sqlite3_column_text(stmt_.get(), c);
                const auto len = static_cast<size_t>(sqlite3_column_bytes(stmt_.get(), c));
                const TFieldType t = columns_[static_cast<size_t>(c)].type;
                if (t != TFieldType::ftBlob && t != TFieldType::ftBytes) {
                    // Text reaches the program as QString: a NUL or broken UTF-8 would be
                    // silently cut or replaced, so it is refused with a clear error instead.
                    if (std::memchr(p, 0, len))
                        throw EDatabaseError(
                            QStringLiteral("Column %1, row %2: the text holds a NUL character")
                                .arg(columns_[static_cast<size_t>(c)].name)
                                .arg(fetched_ + 1));
                    if (!IsValidUtf8(reinterpret_cast<const char*>(p), len))
                        throw EDatabaseError(QStringLiteral("Column %1, row %2: the text is not valid UTF-8")
                                                 .arg(columns_[static_cast<size_t>(c)].name)
                                                 .arg(fetched_ + 1));
                }
                rows.AddValue(reinterpret_cast<const char*>(p), len);
                return;
            }
            default: {
                const unsigned char* p = sqlite3_column_text(stmt_.get(), c);
                rows.AddValue(reinterpret_cast<const char*>(p),
                              static_cast<size_t>(sqlite3_column_bytes(stmt_.get(), c)));
            }
        }
    }

    sqlite3* db_;
    SqliteStatement stmt_;
    std::vector<ColumnInfo> columns_;
    // The statement's place: the reading thread's while it runs, this one's otherwise.
    bool done_ = false;
    int fetched_ = 0;

    RowBatch current_;  // rows read ahead, being handed on
    std::optional<EDatabaseError> failure_;
    bool readAlone_ = false;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> ready_;
    int rowsAhead_ = 0;
    bool reading_ = false;
    bool pause_ = false;
};

}  // namespace

ColumnInfo SqliteColumnFromDeclaredType(const QString& name, const char* declaredType) {
    const QString decl = QString::fromUtf8(declaredType).toUpper();
    const auto m = declPattern().match(decl);
    const QString base = m.hasMatch() ? m.captured(1).simplified() : decl.simplified();
    const bool hasSize = m.hasMatch() && !m.captured(2).isEmpty();
    const int p = hasSize ? m.captured(2).toInt() : 0;
    const int s = m.hasMatch() && !m.captured(3).isEmpty() ? m.captured(3).toInt() : 0;
    auto info = [&](TFieldType t, int size = 0, int precision = 0) {
        return ColumnInfo{name, t, size, precision};
    };

    if (base == QLatin1String("NUMBER")) {
        if (!hasSize) return info(TFieldType::ftFloat);
        if (s > 0) return info(TFieldType::ftBCD, s, p);
        return info(p <= 9 ? TFieldType::ftInteger : TFieldType::ftLargeint);
    }
    if (base == QLatin1String("INT") || base == QLatin1String("INTEGER") ||
        base == QLatin1String("MEDIUMINT"))
        return info(TFieldType::ftInteger);
    if (base == QLatin1String("SMALLINT") || base == QLatin1String("TINYINT") ||
        base == QLatin1String("INT2"))
        return info(TFieldType::ftSmallint);
    if (base == QLatin1String("BIGINT") || base == QLatin1String("INT8")) return info(TFieldType::ftLargeint);
    if (base == QLatin1String("REAL") || base == QLatin1String("FLOAT") || base == QLatin1String("DOUBLE") ||
        base == QLatin1String("DOUBLE PRECISION") || base == QLatin1String("FLOAT8"))
        return info(TFieldType::ftFloat);
    if (base == QLatin1String("MONEY") || base == QLatin1String("CURRENCY"))
        return info(TFieldType::ftCurrency);
    if (base == QLatin1String("NUMERIC") || base == QLatin1String("DECIMAL"))
        return info(TFieldType::ftBCD, s, p);
    if (base == QLatin1String("CHAR") || base == QLatin1String("VARCHAR") ||
        base == QLatin1String("VARCHAR2") || base == QLatin1String("NCHAR") ||
        base == QLatin1String("NVARCHAR") || base == QLatin1String("NVARCHAR2") ||
        base == QLatin1String("CHARACTER") || base == QLatin1String("CHARACTER VARYING"))
        return hasSize && p > 0 ? info(TFieldType::ftString, p) : info(TFieldType::ftMemo);
    if (base == QLatin1String("TEXT") || base == QLatin1String("CLOB")) return info(TFieldType::ftMemo);
    if (base == QLatin1String("BOOLEAN") || base == QLatin1String("BOOL")) return info(TFieldType::ftBoolean);
    // A DATE column keeps "YYYY-MM-DD" texts: a value written back in another form
    // would no longer equal the dates the table's other rows are compared with.
    if (base == QLatin1String("DATE")) return info(TFieldType::ftDate);
    if (base == QLatin1String("DATETIME") || base == QLatin1String("TIMESTAMP"))
        return info(TFieldType::ftDateTime);
    if (base == QLatin1String("TIME")) return info(TFieldType::ftTime);
    if (base == QLatin1String("BLOB") || base == QLatin1String("BINARY") ||
        base == QLatin1String("VARBINARY") || base == QLatin1String("BYTEA"))
        return info(TFieldType::ftBlob);
    return info(TFieldType::ftMemo);
}

void RaiseSqliteError(sqlite3* db) {
    throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)),
                         QString::number(sqlite3_extended_errcode(db)));
}

SqliteConnection::SqliteConnection(const QString& path) {
    platform::EnsureDriveRoot(path);
    const QString file = platform::MapPath(path);
    const QString folder = QFileInfo(file).absolutePath();
    // A missing file is created, as SQLite does; a missing folder is a mistyped path,
    // except for the program's own data folder, where the default alias keeps its file.
    if (!QFileInfo(folder).isDir()) {
        if (QDir::cleanPath(folder) != QDir::cleanPath(platform::DataFolder()) || !QDir().mkpath(folder))
            throw EDatabaseError(
                QStringLiteral("Cannot open database %1: the folder %2 does not exist").arg(file, folder));
    }
    // One thread uses a connection: no locking around every call.
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteHandle handle(db);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        throw EDatabaseError(QStringLiteral("Cannot open database %1: %2").arg(file, message),
                             QString::number(db ? sqlite3_extended_errcode(db) : rc));
    }
    db_ = std::move(handle);
    sqlite3_extended_result_codes(db_.get(), 1);
    sqlite3_busy_timeout(db_.get(), 5000);
}

SqliteConnection::~SqliteConnection() {
    DetachResults();
}

void SqliteConnection::pauseReading() const {
    for (SqlResult* r : OpenResults()) static_cast<SqliteResult*>(r)->Pause();
}

SqliteStatement SqliteConnection::prepare(const QString& sql) {
    // Results reading ahead stop first: the session serves one thread at a time.
    pauseReading();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_.get(), text.constData(), static_cast<int>(text.size()), &raw, &tail);
    SqliteStatement stmt(raw);
    if (rc != SQLITE_OK) RaiseSqliteError(db_.get());
    if (!stmt) throw EDatabaseError(QStringLiteral("The SQL text holds no statement"));
    // One statement at a time: whatever follows the first is refused rather than ignored
    // or run unseen.
    if (tail && !blank(tail)) {
        sqlite3_stmt* next = nullptr;
        const int nextRc = sqlite3_prepare_v2(db_.get(), tail, -1, &next, nullptr);
        const SqliteStatement second(next);
        if (nextRc != SQLITE_OK || second)
            throw EDatabaseError(QStringLiteral("Only one SQL statement can be run at a time"));
    }
    return stmt;
}

std::unique_ptr<SqlResult> SqliteConnection::OpenQuery(const QString& sql) {
    SqliteStatement stmt = prepare(sql);
    if (sqlite3_column_count(stmt.get()) == 0) {
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) RaiseSqliteError(db_.get());
        throw EDatabaseError(QString::fromLatin1(kNoCursorMessage));
    }
    return std::make_unique<SqliteResult>(*this, db_.get(), std::move(stmt));
}

int SqliteConnection::Execute(const QString& sql) {
    return ExecuteWith(sql, {}, {});
}

int SqliteConnection::ExecuteWith(const QString& sql, const std::vector<std::optional<QByteArray>>& values,
                                  const std::vector<TFieldType>& types) {
    const SqliteStatement statement = prepare(sql);
    sqlite3_stmt* stmt = statement.get();
    for (size_t i = 0; i < values.size(); ++i) {
        const int idx = static_cast<int>(i) + 1;
        const auto& v = values[i];
        if (!v) {
            sqlite3_bind_null(stmt, idx);
            continue;
        }
        const TFieldType t = i < types.size() ? types[i] : TFieldType::ftString;
        bool bound = false;
        switch (t) {
            case TFieldType::ftSmallint:
            case TFieldType::ftInteger:
            case TFieldType::ftWord:
            case TFieldType::ftAutoInc:
            case TFieldType::ftLargeint:
            case TFieldType::ftBoolean: {
                bool ok = false;
                const qlonglong n = v->toLongLong(&ok);
                if (ok) bound = sqlite3_bind_int64(stmt, idx, n) == SQLITE_OK;
                break;
            }
            case TFieldType::ftFloat:
            case TFieldType::ftCurrency: {
                bool ok = false;
                const double d = v->toDouble(&ok);
                if (ok) bound = sqlite3_bind_double(stmt, idx, d) == SQLITE_OK;
                break;
            }
            case TFieldType::ftBlob:
            case TFieldType::ftBytes:
                bound = sqlite3_bind_blob(stmt, idx, v->constData(), static_cast<int>(v->size()),
                                          SQLITE_TRANSIENT) == SQLITE_OK;
                break;
            default:
                break;
        }
        // Values that do not read as their column's type (SQLite stores anything in any
        // column) go back as the text they were.
        if (!bound)
            sqlite3_bind_text(stmt, idx, v->constData(), static_cast<int>(v->size()), SQLITE_TRANSIENT);
    }
    // A statement with rows answers with their number, any other with the rows it changed.
    const bool givesRows = sqlite3_column_count(stmt) > 0;
    int rc;
    int rowCount = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) ++rowCount;
    if (rc != SQLITE_DONE) RaiseSqliteError(db_.get());
    return givesRows ? rowCount : sqlite3_changes(db_.get());
}

int SqliteConnection::InsertReturning(const QString& sql, const QString& table,
                                      const std::vector<std::optional<QByteArray>>& values,
                                      const std::vector<TFieldType>& types, RowStore& stored) {
    const int added = ExecuteWith(sql, values, types);
    if (added != 1) return added;
    // The row is found by its rowid; a table without one keeps the values as they were sent.
    try {
        auto result =
            OpenQuery(QStringLiteral("SELECT * FROM %1 WHERE rowid = last_insert_rowid()").arg(table));
        if (static_cast<int>(result->Columns().size()) == stored.Columns())
            while (result->Fetch(stored, 2)) {
            }
    } catch (const EDatabaseError&) {
    }
    return added;
}

bool SqliteConnection::InTransaction() const {
    // A flag only statements that begin or end a transaction change: it may be read while
    // a result reads ahead.
    return sqlite3_get_autocommit(db_.get()) == 0;
}
void SqliteConnection::StartTransaction() {
    Execute(QStringLiteral("BEGIN"));
}
void SqliteConnection::Commit() {
    Execute(QStringLiteral("COMMIT"));
}
void SqliteConnection::Rollback() {
    Execute(QStringLiteral("ROLLBACK"));
}

QStringList SqliteConnection::Tables() {
    auto result = OpenQuery(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type IN ('table','view') UNION ALL SELECT 'sqlite_master' "
        "ORDER BY 1 COLLATE NOCASE"));
    RowStore rows(1);
    while (result->Fetch(rows, 1000)) {
    }
    QStringList names;
    for (int r = 0; r < rows.Count(); ++r) {
        const auto v = rows.Value(r, 0);
        names << (v ? QString::fromUtf8(v->data(), static_cast<qsizetype>(v->size())) : QString());
    }
    return names;
}

std::vector<std::pair<QString, QString>> SqliteConnection::TableColumns(const QString& table) {
    auto literal = [](const QString& text) {
        return QChar(u'\'') + QString(text).replace(QChar(u'\''), QStringLiteral("''")) + QChar(u'\'');
    };
    // The table a line names, as the statements on it find it (a quoted or qualified name).
    const std::optional<QStringList> found = FindTable(table);
    QString arguments = literal(table);
    if (found)
        arguments = found->size() == 2 ? literal(found->at(1)) + QStringLiteral(", ") + literal(found->at(0))
                                       : literal(found->at(0));
    auto result = OpenQuery(QStringLiteral("SELECT name, type FROM pragma_table_info(%1)").arg(arguments));
    RowStore rows(2);
    while (result->Fetch(rows, 1000)) {
    }
    std::vector<std::pair<QString, QString>> columns;
    for (int r = 0; r < rows.Count(); ++r) {
        const auto n = rows.Value(r, 0);
        const auto t = rows.Value(r, 1);
        columns.emplace_back(n ? QString::fromUtf8(n->data(), static_cast<qsizetype>(n->size())) : QString(),
                             t ? QString::fromUtf8(t->data(), static_cast<qsizetype>(t->size())) : QString());
    }
    if (columns.empty()) throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(table));
    return columns;
}

namespace {

QString sqlLiteral(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// The parts of a table name as a statement writes it (plain or double-quoted, joined by
// points), unquoted; empty when it is no such name.
QStringList nameParts(const QString& name) {
    QStringList parts;
    QString part;
    bool quoted = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (quoted) {
            if (c != u'"') {
                part += c;
            } else if (i + 1 < name.size() && name[i + 1] == u'"') {
                part += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'.') {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    if (quoted) return {};
    parts << part;
    return parts;
}

QString text(const RowStore& rows, int row, int col) {
    const auto v = rows.Value(row, col);
    return v ? QString::fromUtf8(v->data(), static_cast<qsizetype>(v->size())) : QString();
}

}  // namespace

std::optional<QStringList> SqliteConnection::FindTable(const QString& line) {
    // Names compare without letter case here, as SQLite itself reads them. Ranked: the
    // line as a whole name, then as SQL reads a (schema-qualified) name; temp, then main,
    // then attached schemas, the order in which SQLite looks a bare name up.
    const std::optional<SqlName> sql = ParseSqlName(line, false);
    const QString l = sqlLiteral(line);
    QString asSql = QStringLiteral("0");
    if (sql)
        asSql = QStringLiteral("name = %1 COLLATE NOCASE AND (%2 = '' OR schema = %2 COLLATE NOCASE)")
                    .arg(sqlLiteral(sql->table), sqlLiteral(sql->schema));
    auto result = OpenQuery(
        QStringLiteral("SELECT schema, name, k FROM (SELECT schema, name, CASE "
                       "WHEN name = %1 COLLATE NOCASE THEN 0 "
                       "WHEN %1 = 'sqlite_master' COLLATE NOCASE AND name = 'sqlite_schema' THEN 0 "
                       "WHEN %2 THEN 1 END AS k FROM pragma_table_list) "
                       "WHERE k IS NOT NULL ORDER BY k, schema = 'temp' DESC, schema = 'main' DESC LIMIT 1")
            .arg(l, asSql));
    RowStore rows(3);
    while (result->Fetch(rows, 10)) {
    }
    if (rows.Count() == 0) return std::nullopt;
    auto text = [&rows](int col) {
        const auto v = rows.Value(0, col);
        return v ? QString::fromUtf8(v->data(), static_cast<qsizetype>(v->size())) : QString();
    };
    const bool qualified = text(2) == QLatin1String("1") && sql && !sql->schema.isEmpty();
    return qualified ? QStringList{text(0), text(1)} : QStringList{text(1)};
}

QString SqliteConnection::NameInSql(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const QByteArray utf8 = name.toUtf8();
    if (plain.match(name).hasMatch() &&
        sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) == 0)
        return name;
    return QuoteIdentifier(name);
}

std::vector<LiveColumn> SqliteConnection::LiveColumns(const QString& table) {
    const QStringList parts = nameParts(table);
    if (parts.isEmpty() || parts.size() > 2) return {};
    const auto quote = [](const QString& v) {
        return QChar(u'\'') + QString(v).replace(u'\'', QStringLiteral("''")) + QChar(u'\'');
    };
    const QString schema = parts.size() == 2 ? quote(parts[0]) : QStringLiteral("'main'");
    const auto read = [this](const QString& sql, RowStore& rows) {
        auto result = OpenQuery(sql);
        while (result->Fetch(rows, 1000)) {
        }
    };
    // name, type, not null, position in the primary key
    RowStore info(4);
    read(QStringLiteral("SELECT name, upper(type), \"notnull\", pk FROM pragma_table_info(%1, %2)")
             .arg(quote(parts.last()), schema),
         info);
    std::vector<LiveColumn> columns;
    QStringList primary;
    bool primaryNotNull = true;
    for (int r = 0; r < info.Count(); ++r) {
        columns.push_back({text(info, r, 0), false, false});
        if (text(info, r, 3) != QLatin1String("0")) {
            primary << text(info, r, 0);
            primaryNotNull = primaryNotNull && text(info, r, 2) == QLatin1String("1");
        }
    }
    // An INTEGER PRIMARY KEY is the row's id, never NULL; any other primary key may hold
    // NULL unless declared NOT NULL.
    for (int r = 0; r < info.Count(); ++r)
        if (primary.size() == 1 && text(info, r, 0) == primary[0] &&
            text(info, r, 1) == QLatin1String("INTEGER"))
            primaryNotNull = true;
    QStringList key = primaryNotNull ? primary : QStringList();
    if (key.isEmpty()) {
        RowStore indexes(4);
        read(QStringLiteral(
                 "SELECT l.name, i.name, i.cid, t.\"notnull\" FROM pragma_index_list(%1, %2) l, "
                 "pragma_index_info(l.name, %2) i LEFT JOIN pragma_table_info(%1, %2) t ON t.cid = i.cid "
                 "WHERE l.\"unique\" AND NOT l.partial ORDER BY l.seq, i.seqno")
                 .arg(quote(parts.last()), schema),
             indexes);
        QString index;
        QStringList candidate;
        bool usable = true;
        for (int r = 0; r <= indexes.Count(); ++r) {
            const QString name = r < indexes.Count() ? text(indexes, r, 0) : QString();
            if (name != index) {
                if (!index.isEmpty() && usable && !candidate.isEmpty()) break;
                index = name;
                candidate.clear();
                usable = true;
            }
            if (r == indexes.Count()) break;
            candidate << text(indexes, r, 1);
            usable = usable && text(indexes, r, 2).toInt() >= 0 && text(indexes, r, 3) == QLatin1String("1");
        }
        if (usable) key = candidate;
    }
    for (LiveColumn& c : columns) c.key = key.contains(c.name);
    return columns;
}
