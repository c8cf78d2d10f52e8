#include "ScratchAlias.h"

#include <QUuid>

#include "TestEnv.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"

namespace testenv {

QString BackendName(Backend b) {
    return b == Backend::Sqlite ? QStringLiteral("Sqlite") : QStringLiteral("Postgres");
}

std::string ParamName(const ::testing::TestParamInfo<Backend>& info) {
    return BackendName(info.param).toStdString();
}

ScratchAlias::ScratchAlias(Backend backend) : backend_(backend) {
    QByteArray conf;
    if (backend == Backend::Sqlite) {
        conf = "[TEST]\nTYPE=SQLITE\nPATH=" + (Root() + "/test.db").toUtf8() + "\nDESCRIPTION=test\n";
    } else {
        const QString pg = PostgresConnectionString();
        if (pg.isEmpty()) {
            ADD_FAILURE() << "ZV_TEST_PG is not set: run the tests through ./test.sh";
            throw Exception(QStringLiteral("no PostgreSQL server"));
        }
        schema_ = QStringLiteral("zv_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        PostgresAdmin(QStringLiteral("CREATE SCHEMA %1").arg(schema_));
        conf = "[TEST]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg.toUtf8() +
               " options='-csearch_path=" + schema_.toUtf8() + "'\n";
    }
    WriteFile(platform::ConfigFolder() + QStringLiteral("/aliases.conf"), conf);
}

ScratchAlias::~ScratchAlias() {
    if (!schema_.isEmpty()) PostgresAdmin(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
}

}  // namespace testenv
