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

void Scratch::admin(const QString& sql) {
    testenv::PostgresAdmin(sql);
}

}  // namespace dbtest
