#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "db/Aliases.h"
#include "seam/DialogSeam.h"

// Points HOME and the configuration and data folders into `root`, a throwaway folder,
// so that a run starts with a new user's settings and leaves the real ones alone; the
// windows draw offscreen. Called before the QApplication is made.
inline void useScratchHome(const QString& root) {
    for (const char* sub : {"/home", "/config/zorvantic", "/data"}) QDir().mkpath(root + sub);
    qputenv("HOME", (root + "/home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + "/data").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Writes the alias file of the scratch home: `sections` such as "[X]\nTYPE=SQLITE\n...".
inline bool writeAliases(const QByteArray& sections) {
    QDir().mkpath(QFileInfo(AliasFilePath()).path());
    QFile file(AliasFilePath());
    return file.open(QIODevice::WriteOnly) && file.write(sections) == sections.size();
}

// The scratch home of an unattended-run benchmark: the alias BENCH over the SQLite file
// `dbFile`, BENCHPG over the PostgreSQL server `pg` when one is given, and a settings hive
// that already holds the program's version, so no first-run box stops the program.
inline bool writeUnattendedSettings(const QString& root, const QString& dbFile, const QString& pg) {
    QByteArray aliases = "[BENCH]\nTYPE=SQLITE\nPATH=" + dbFile.toUtf8() + "\n";
    if (!pg.isEmpty()) aliases += "[BENCHPG]\nTYPE=POSTGRESQL\nSERVER NAME=" + pg.toUtf8() + "\n";
    if (!writeAliases(aliases)) return false;
    QFile hive(root + "/config/zorvantic/HKEY_LOCAL_MACHINE.reg");
    const QByteArray text =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n\"Version\"=\"09.01."
        "2002\"\r\n";
    return hive.open(QIODevice::WriteOnly) && hive.write(text) == text.size();
}

// The Qt application of a benchmark that makes windows, named as the program is, with
// every message box and dialog answered by `dialogs`. Made after useScratchHome.
struct BenchApplication {
    BenchApplication(int& argc, char** argv) : qt(argc, argv) {
        QCoreApplication::setApplicationName(QStringLiteral("zorvantic"));
        platform::SetDialogs(&dialogs);
    }
    ~BenchApplication() { platform::SetDialogs(nullptr); }
    BenchApplication(const BenchApplication&) = delete;
    BenchApplication& operator=(const BenchApplication&) = delete;

    QApplication qt;
    platform::ScriptedDialogs dialogs;
};
