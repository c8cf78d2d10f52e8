#include "WorkbenchFixture.h"

#include <gtest/gtest.h>
#include <QUuid>

#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Field.h"
#include "db/Query.h"
#include "framework/StdCtrls.h"
#include "framework/rtl/Exception.h"

namespace wbtest {

QString BackendName(Backend b) {
    return b == Backend::Sqlite ? QStringLiteral("Sqlite") : QStringLiteral("Postgres");
}

std::string ParamName(const ::testing::TestParamInfo<Backend>& info) {
    return BackendName(info.param).toStdString();
}

Workbench::Workbench(Backend backend) : backend_(backend) {
    QByteArray conf;
    if (backend == Backend::Sqlite) {
        conf =
            "[TEST]\nTYPE=SQLITE\nPATH=" + (testenv::Root() + "/test.db").toUtf8() + "\nDESCRIPTION=test\n";
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
    app_ = std::make_unique<TApplication>();
    app_->SetTitle(QStringLiteral("Zorvantic"));
    main_ = app_->CreateForm<TFMain>();
}

Workbench::~Workbench() {
    other_.reset();
    app_.reset();
    if (!schema_.isEmpty()) testenv::PostgresAdmin(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
}

void Workbench::show() {
    main_->Show();
}

void Workbench::selectAlias() {
    const int i = main_->DatabaseName->Items().IndexOf(QStringLiteral("TEST"));
    ASSERT_GE(i, 0) << "alias TEST not listed";
    main_->DatabaseName->SetItemIndex(i);
}

void Workbench::connect() {
    show();
    selectAlias();
    main_->BConnectClick(main_);
    ASSERT_TRUE(main_->Database->Connected());
}

void Workbench::seed(const QString& sql) {
    if (!other_) {
        other_ = std::make_unique<TComponent>();
        auto* db = new TDatabase(other_.get());
        db->SetDatabaseName(QStringLiteral("SEED"));
        db->SetAliasName(QStringLiteral("TEST"));
        db->Open();
    }
    TQuery q;
    q.SetDatabaseName(QStringLiteral("SEED"));
    q.SQL().Add(sql);
    q.ExecSQL();
}

QString Workbench::scalar(const QString& sql) {
    seed(QStringLiteral("SELECT 1"));  // makes sure the other connection exists
    TQuery q;
    q.SetDatabaseName(QStringLiteral("SEED"));
    q.SQL().Add(sql);
    q.Open();
    return q.Fields(0)->AsString();
}

}  // namespace wbtest
