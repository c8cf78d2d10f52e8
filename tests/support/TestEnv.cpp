#include "TestEnv.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <memory>

#include "rtl/SysUtils.h"

namespace testenv {

namespace {

struct State {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<platform::ScriptedDialogs> dialogs;
    QString previousCwd;
};

State& state() {
    static State s;
    return s;
}

class FreshFolderListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        State& s = state();
        s.dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zvtest-XXXXXX"));
        const QString root = s.dir->path();
        QDir(root).mkpath(QStringLiteral("home"));
        QDir(root).mkpath(QStringLiteral("work"));
        qputenv("HOME", (root + QStringLiteral("/home")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
        s.previousCwd = QDir::currentPath();
        QDir::setCurrent(root + QStringLiteral("/work"));
        s.dialogs = std::make_unique<platform::ScriptedDialogs>();
        platform::SetDialogs(s.dialogs.get());
        // The program's own separators are pinned, so that expectations hold under any
        // environment; a test that needs others sets them.
        SetDecimalSeparator(QChar('.'));
        SetThousandSeparator(QChar(','));
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        State& s = state();
        platform::SetDialogs(nullptr);
        QDir::setCurrent(s.previousCwd);
        s.dialogs.reset();
        s.dir.reset();
    }
};

}  // namespace

void InstallListener() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshFolderListener);
}

QString Root() {
    return state().dir ? state().dir->path() + QStringLiteral("/work") : QDir::currentPath();
}

platform::ScriptedDialogs& Dialogs() {
    return *state().dialogs;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    const QString full = QFileInfo(path).isAbsolute() ? path : Root() + QChar('/') + path;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << full.toStdString();
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    const QString full = QFileInfo(path).isAbsolute() ? path : Root() + QChar('/') + path;
    QFile f(full);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

QString PostgresConnectionString() {
    return qEnvironmentVariable("ZV_TEST_PG");
}

void PostgresAdmin(const QString& sql) {
    PGconn* c = PQconnectdb(PostgresConnectionString().toUtf8().constData());
    if (PQstatus(c) != CONNECTION_OK) {
        ADD_FAILURE() << "admin connection failed: " << PQerrorMessage(c);
        PQfinish(c);
        return;
    }
    PQclear(PQexec(c, "SET client_min_messages TO warning"));
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
        ADD_FAILURE() << "admin statement failed: " << PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
}

QString NoSpaceReason() {
    return QString::fromLocal8Bit(std::strerror(ENOSPC));
}

QString FileDeviceReason(int code) {
    return qt_error_string(code);
}

CLocaleScope::CLocaleScope(const char* locale) : saved_(std::setlocale(LC_ALL, nullptr)) {
    if (std::setlocale(LC_ALL, locale) == nullptr)
        ADD_FAILURE() << "the locale " << locale << " is missing (scripts/ensure-deps.sh generates it)";
}

CLocaleScope::~CLocaleScope() {
    std::setlocale(LC_ALL, saved_.constData());
}

DecimalSeparatorScope::DecimalSeparatorScope(QChar separator) : saved_(DecimalSeparator()) {
    SetDecimalSeparator(separator);
}

DecimalSeparatorScope::~DecimalSeparatorScope() {
    SetDecimalSeparator(saved_);
}

}  // namespace testenv
