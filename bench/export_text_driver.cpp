// The text export as a program of its own, so that a benchmark measures the whole
// process (start, connection, walk, exit) as it does for the unattended SQL export:
//   export_text_driver ALIAS "SELECT ..." OUTPUT
// Writes through the Export button's writer, every column under its own name, values
// in double quotes, "," between them. Exit code 1 with the error on stderr.
#include <QApplication>
#include <cstdio>

#include "BenchExport.h"
#include "db/Database.h"
#include "rtl/Exception.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: export_text_driver ALIAS SQL OUTPUT\n");
        return 2;
    }
    QApplication app(argc, argv);
    try {
        TDatabase db;
        db.SetDatabaseName(QStringLiteral("X"));
        db.SetAliasName(QString::fromLocal8Bit(argv[1]));
        db.Open();
        writeTextExport(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        QStringLiteral(","));
    } catch (const Exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
