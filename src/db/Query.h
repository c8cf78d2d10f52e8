#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "db/DataSet.h"

class SqlResult;
class SqlConnection;
class LiveTable;
class TDatabase;

// An SQL statement on a named database. Opening it gives a lazily fetched result;
// ExecSQL runs a statement that gives none. With RequestLive, a SELECT * of one table
// (optionally with WHERE and ORDER BY) gives an editable result written back at once.
class TQuery : public TDataSet {
  public:
    explicit TQuery(TComponent* owner = nullptr);
    ~TQuery() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    // The statement as lines; any change closes the query.
    TStrings& SQL() { return sql_; }
    bool RequestLive() const { return requestLive_; }
    void SetRequestLive(bool live);
    void ExecSQL();
    // Rows the last ExecSQL changed (-1 when unknown).
    int RowsAffected() const { return rowsAffected_; }

    bool CanModify() const override;
    // A live result with an edit not yet posted, or with all its rows read, stays open
    // and writes to the next session.
    bool OutliveSession() override;
    // Why an open result cannot be edited (a result asked for live says what keeps it
    // read-only); empty when it can, or when it is closed.
    QString ReadOnlyReason() const override;

  protected:
    void OpenCursor() override;
    void CloseCursor() override;
    bool FetchRows(RowStore& rows, int maxRows) override;
    void WriteRecord(int row, std::vector<std::optional<QByteArray>>& values) override;
    void DeleteRecord(int row) override;

  private:
    class SqlLines : public TStringList {
      public:
        explicit SqlLines(TQuery* q) : query_(q) {}

      protected:
        void Changed() override;

      private:
        TQuery* query_;
    };

    QString statement() const;
    SqlConnection& liveConnection();
    void readToEnd();
    // Runs a write; when it fails because the session was lost, says that `what` was not done.
    void write(const std::function<void()>& action, const char* what);

    QString databaseName_;
    SqlLines sql_{this};
    bool requestLive_ = false;
    int rowsAffected_ = -1;
    std::unique_ptr<SqlResult> result_;
    std::unique_ptr<LiveTable> live_;
    TDatabase* database_ = nullptr;
};
