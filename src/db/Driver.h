#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "db/Field.h"
#include "db/RowStore.h"

struct AliasInfo;

// A column of a result as a driver describes it; CreateField turns it into a field.
struct ColumnInfo {
    QString name;
    TFieldType type = TFieldType::ftUnknown;
    int size = 0;       // characters (string), scale (BCD)
    int precision = 0;  // BCD
};

std::unique_ptr<TField> CreateField(TDataSet* dataSet, const ColumnInfo& column);

class SqlConnection;

// What the live query needs to know of a column of its table to find a row again.
struct LiveColumn {
    QString name;
    bool key = false;     // in the primary key, or else in one unique key of not-null columns
    bool asText = false;  // its type has no equality: rows are compared by its text form
};

// An open result set. Rows go into a RowStore in canonical form (see RowStore.h).
// A result is listed with its connection for as long as both live: a connection that
// closes first detaches it, and the result then lets go of the session's handles.
class SqlResult {
  public:
    virtual ~SqlResult();
    SqlResult(const SqlResult&) = delete;
    SqlResult& operator=(const SqlResult&) = delete;

    virtual const std::vector<ColumnInfo>& Columns() const = 0;
    // Appends up to maxRows rows; returns false once the result has no further rows.
    // Raises EDatabaseError once the result's connection has closed.
    bool Fetch(RowStore& rows, int maxRows);

  protected:
    explicit SqlResult(SqlConnection& connection);
    bool Detached() const { return connection_ == nullptr; }
    // Fetch of a result whose connection is still open.
    virtual bool FetchRows(RowStore& rows, int maxRows) = 0;
    // The connection is closing: release every handle that belongs to the session,
    // without talking to the server.
    virtual void ReleaseSession() = 0;

  private:
    friend class SqlConnection;
    SqlConnection* connection_;
};

// One session with a database server or file. A backend is one subclass of this
// and one of SqlResult; everything above them is backend-neutral.
class SqlConnection {
  public:
    SqlConnection() = default;
    virtual ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    // Runs a statement that must give rows; one without rows is executed and then
    // answered with EDatabaseError "Error creating cursor handle".
    virtual std::unique_ptr<SqlResult> OpenQuery(const QString& sql) = 0;
    // Runs a statement that gives no rows; returns the rows it changed (-1: unknown).
    virtual int Execute(const QString& sql) = 0;
    // Runs a statement with positional parameters ($1 style is written by the caller
    // through Placeholder); values in canonical form, nullopt for NULL.
    virtual int ExecuteWith(const QString& sql, const std::vector<std::optional<QByteArray>>& values,
                            const std::vector<TFieldType>& types) = 0;
    // Runs an INSERT into `table` as ExecuteWith does and appends to `stored` the row it
    // added as "SELECT * FROM table" reads it (defaults and serials filled in), when the
    // database can tell which row that is and `stored` has its columns; returns the rows
    // the statement added.
    virtual int InsertReturning(const QString& sql, const QString& table,
                                const std::vector<std::optional<QByteArray>>& values,
                                const std::vector<TFieldType>& types, RowStore& stored);
    virtual QString Placeholder(int index) const = 0;  // index from 1
    virtual QString QuoteIdentifier(const QString& name) const;
    // "column equals placeholder" where two NULLs count as equal.
    virtual QString NullSafeEquals(const QString& quotedColumn, const QString& placeholder) const = 0;
    // The columns of `table` (named as a statement names it) as the live query finds
    // rows by them; empty when the database cannot tell (every column, compared as it is).
    virtual std::vector<LiveColumn> LiveColumns(const QString& table);
    // True once the session is lost (server gone); the connection must then be reopened.
    virtual bool Broken() const { return false; }

    virtual bool InTransaction() const = 0;
    // Told when the user's transaction ends by the server's doing (a lost session, a
    // COMMIT answered with ROLLBACK), so that whatever shows its state can follow.
    std::function<void()> OnTransactionEnd;
    virtual void StartTransaction() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;

    // Catalogue: table names (system tables included) and the columns of one table
    // (name and physical type, in column order).
    virtual QStringList Tables() = 0;
    virtual std::vector<std::pair<QString, QString>> TableColumns(const QString& table) = 0;
    // The table a line of a table list names, each part of its name as the catalogue
    // spells it (schema first when the line needs one): the listed name itself, else the
    // line read as an SQL name, else a listed name that differs only in letter case.
    // nullopt when the line names no table. The line is only ever compared, never run.
    virtual std::optional<QStringList> FindTable(const QString& line) = 0;
    // A name as a statement writes it: bare where that reads back as exactly this name
    // (a plain identifier in the letter case the database folds to, no keyword),
    // otherwise in double quotes.
    virtual QString NameInSql(const QString& name) = 0;

  protected:
    void TransactionEnded() {
        if (OnTransactionEnd) OnTransactionEnd();
    }
    // The results open on this connection, oldest first.
    const std::vector<SqlResult*>& OpenResults() const { return results_; }
    // Detaches every open result; a backend calls it before it closes its session.
    void DetachResults();

  private:
    friend class SqlResult;
    std::vector<SqlResult*> results_;
};

// Opens a session for an alias with the login's user name and password.
std::unique_ptr<SqlConnection> ConnectAlias(const AliasInfo& alias, const QString& userName,
                                            const QString& password);

// The error every driver raises for a statement without a result set opened as a query.
extern const char* const kNoCursorMessage;
