#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "db/Database.h"
#include "db/Query.h"
#include "support/ScratchAlias.h"

// A database "X" on a fresh, empty database of one backend: an SQLite file in the
// test's folder, or a schema of its own on the throwaway PostgreSQL server.
namespace dbtest {

using Backend = testenv::Backend;
using testenv::BackendName;

class Scratch {
  public:
    explicit Scratch(Backend backend);
    ~Scratch();

    Backend backend() const { return alias_.backend(); }
    TDatabase& db() { return *db_; }
    // Runs one statement without result set.
    void exec(const QString& sql);
    // First field of the first row as text.
    QString scalar(const QString& sql);
    // A query on "X" with the given SQL (owned by the scratch database's owner).
    TQuery* query(const QString& sql, bool live = false);
    // A query giving the integers 1..n (n >= 1) in a column X, on either backend.
    QString series(int n) const;
    // A table of n rows: ID 1..n, NAME 'row<ID>'.
    void numbers(const QString& table, int n);
    // Runs SQL on a separate administrative session (PostgreSQL only).
    void admin(const QString& sql);

  private:
    testenv::ScratchAlias alias_;
    std::unique_ptr<TComponent> owner_;
    TDatabase* db_ = nullptr;
};

}  // namespace dbtest
