#include "ExportTestSupport.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <QFile>
#include <QUuid>

#include "db/Aliases.h"
#include "db/DataSource.h"
#include "db/Database.h"
#include "export/Eksport.h"
#include "framework/DBGrids.h"
#include "framework/rtl/Exception.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"

namespace exporttest {

std::string ParamName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

namespace {

void adminExec(const QString& sql) {
    PGconn* c = PQconnectdb(testenv::PostgresConnectionString().toUtf8().constData());
    if (PQstatus(c) != CONNECTION_OK) {
        ADD_FAILURE() << "admin connection failed: " << PQerrorMessage(c);
        PQfinish(c);
        return;
    }
    PQclear(PQexec(c, "SET client_min_messages TO warning"));
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        ADD_FAILURE() << "admin statement failed: " << PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
}

}  // namespace

Source::Source(Backend backend) {
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
        adminExec(QStringLiteral("CREATE SCHEMA %1").arg(schema_));
        conf = "[TEST]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg.toUtf8() +
               " options='-csearch_path=" + schema_.toUtf8() + "'\n";
    }
    testenv::WriteFile(AliasFilePath(), conf);
    app_ = std::make_unique<TApplication>();
    app_->SetTitle(QStringLiteral("Zorvantic"));
    // The export window is never the main window: one stands before it.
    auto* mainForm = app_->CreateForm<TForm>();
    app_->CreateForm<TFEksport>();
    ExportRunning = false;  // a flag of the program run, fresh for every test
    db_ = new TDatabase(mainForm);
    db_->SetDatabaseName(QStringLiteral("X"));
    db_->SetAliasName(QStringLiteral("TEST"));
    db_->Open();
    query_ = new TQuery(mainForm);
    query_->SetDatabaseName(QStringLiteral("X"));
    source_ = new TDataSource(mainForm);
    source_->SetDataSet(query_);
    grid_ = new TDBGrid(mainForm);
    grid_->SetDataSource(source_);
}

Source::~Source() {
    app_.reset();
    if (!schema_.isEmpty()) adminExec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
}

void Source::exec(const QString& sql) {
    TQuery q;
    q.SetDatabaseName(QStringLiteral("X"));
    q.SQL().Add(sql);
    q.ExecSQL();
}

void Source::open(const QString& sql) {
    query_->SQL().SetText(sql);
    query_->Open();
}

QByteArray FileBytes(const QString& fileName) {
    QFile f(platform::MapPath(fileName));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

bool FileExists(const QString& fileName) {
    return QFile::exists(platform::MapPath(fileName));
}

QByteArray Cp(const QString& text) {
    return platform::ToCp1250(text);
}

}  // namespace exporttest
