#include "ExportTestSupport.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include "db/Aliases.h"
#include "db/DataSource.h"
#include "db/Database.h"
#include "db/Field.h"
#include "export/Eksport.h"
#include "framework/Controls.h"
#include "framework/DBGrids.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"

namespace exporttest {

Source::Source(Backend backend) : alias_(backend) {
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

void PressEscape(TWinControl* control, QWidget* editor) {
    control->SetFocus();
    QTest::keyClick(editor, Qt::Key_Escape);
}

void SaveInsertConfiguration(const QString& fileName, const QString& output, const QString& table,
                             const std::vector<ExportConfiguration::Row>& columns) {
    ExportConfiguration c;
    c.rows = {{"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"}};
    c.rows.insert(c.rows.end(), columns.begin(), columns.end());
    c.fileName = output;
    c.tableName = table;
    c.lineBreakCount = "0";
    c.emptyValue = "NULL";
    c.runAfter = false;
    c.createTable = false;
    SaveExportConfiguration(fileName, c);
}

HostileName::HostileName(Source& src) : src_(src) {
    role_ = QStringLiteral("zv_mallory_%1").arg(QCoreApplication::applicationPid());
    testenv::PostgresAdmin("DROP ROLE IF EXISTS " + role_);
    testenv::PostgresAdmin("CREATE ROLE " + role_ + " NOSUPERUSER NOLOGIN");
    src.exec("CREATE FUNCTION evil() RETURNS integer LANGUAGE plpgsql AS $$ BEGIN EXECUTE 'ALTER ROLE " +
             role_ + " SUPERUSER'; RETURN 1; END $$");
    src.exec("CREATE TABLE t (id INTEGER)");
    src.exec("INSERT INTO t VALUES (1)");
    src.exec("CREATE TABLE \"" + name + "\" (id INTEGER)");
    src.exec("INSERT INTO \"" + name + "\" VALUES (1)");
    src.exec("INSERT INTO \"" + name + "\" VALUES (2)");
}

HostileName::~HostileName() {
    testenv::PostgresAdmin("DROP ROLE IF EXISTS " + role_);
}

bool HostileName::roleIsSuperuser() {
    src_.open(
        "SELECT CASE WHEN rolsuper THEN 'yes' ELSE 'no' END FROM pg_catalog.pg_roles WHERE rolname = '" +
        role_ + "'");
    return src_.query()->Fields(0)->AsString() != QLatin1String("no");
}

}  // namespace exporttest
