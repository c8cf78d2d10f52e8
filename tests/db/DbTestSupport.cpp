#include "DbTestSupport.h"

#include <gtest/gtest.h>
#include <QUuid>

#include "db/Aliases.h"
#include "framework/rtl/Exception.h"
#include "support/TestEnv.h"

namespace dbtest {

QString BackendName(Backend b) {
    return b == Backend::Sqlite ? QStringLiteral("Sqlite") : QStringLiteral("Postgres");
}

Scratch::Scratch(Backend backend) : backend_(backend), owner_(std::make_unique<TComponent>()) {
    QByteArray conf;
    if (backend == Backend::Sqlite) {
        conf = "[TEST]\nTYPE=SQLITE\nPATH=" + (testenv::Root() + "/test.db").toUtf8() + "\n";
    } else {
        const QString pg = testenv::PostgresConnectionString();
        if (pg.isEmpty()) {
            ADD_FAILURE() << "ZV_TEST_PG is not set: run the tests through ./test.sh";
            throw Exception(QStringLiteral("no PostgreSQL server"));
        }
        schema_ = QStringLiteral("zv_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        testenv::PostgresAdmin(QStringLiteral("CREATE SCHEMA %1").arg(schema_));
        conf = "[TEST]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg.toUtf8() +
               " options='-csearch_path=" + schema_.toUtf8() + "'\n";
    }
    testenv::WriteFile(AliasFilePath(), conf);
    db_ = new TDatabase(owner_.get());
    db_->SetDatabaseName(QStringLiteral("X"));
    db_->SetAliasName(QStringLiteral("TEST"));
    db_->Open();
}

Scratch::~Scratch() {
    owner_.reset();
    if (!schema_.isEmpty()) testenv::PostgresAdmin(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
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
