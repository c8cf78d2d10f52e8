#include "DbTestSupport.h"

#include <gtest/gtest.h>

#include "db/Aliases.h"
#include "rtl/Exception.h"
#include "support/TestEnv.h"

namespace dbtest {

Scratch::Scratch(Backend backend) : alias_(backend), owner_(std::make_unique<TComponent>()) {
    db_ = new TDatabase(owner_.get());
    db_->SetDatabaseName(QStringLiteral("X"));
    db_->SetAliasName(QStringLiteral("TEST"));
    db_->Open();
}

Scratch::~Scratch() {
    owner_.reset();
}

void Scratch::exec(const QString& sql) {
    TQuery q;
    q.SetDatabaseName(QStringLiteral("X"));
    q.SQL().Add(sql);
    q.ExecSQL();
}

QString Scratch::scalar(const QString& sql) {
    TQuery q;
    q.SetDatabaseName(QStringLiteral("X"));
    q.SQL().Add(sql);
    q.Open();
    return q.Fields(0)->AsString();
}

TQuery* Scratch::query(const QString& sql, bool live) {
    auto* q = new TQuery(owner_.get());
    q->SetDatabaseName(QStringLiteral("X"));
    q->SetRequestLive(live);
    q->SQL().SetText(sql);
    return q;
}

QString Scratch::series(int n) const {
    return backend() == Backend::Postgres
               ? QStringLiteral("SELECT g AS X FROM generate_series(1, %1) g").arg(n)
               : QStringLiteral(
                     "WITH RECURSIVE g(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM g WHERE X < %1) "
                     "SELECT X FROM g")
                     .arg(n);
}

void Scratch::numbers(const QString& table, int n) {
    exec(QStringLiteral("CREATE TABLE %1 (ID INTEGER, NAME VARCHAR(20))").arg(table));
    if (n == 0) return;  // the SQLite series always has its first row
    exec(QStringLiteral("INSERT INTO %1 SELECT X, 'row' || X FROM (%2) s").arg(table, series(n)));
}

void Scratch::admin(const QString& sql) {
    testenv::PostgresAdmin(sql);
}

}  // namespace dbtest
