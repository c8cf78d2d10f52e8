#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"

using namespace platform;

TEST(Files, MaskMatching) {
    EXPECT_TRUE(MatchesMask(QStringLiteral("Zorvantic.FMain.cfg"), QStringLiteral("zorvantic.*.CFG")));
    EXPECT_TRUE(MatchesMask(QStringLiteral("Zorvantic..cfg"), QStringLiteral("Zorvantic.*.cfg")));
    EXPECT_FALSE(MatchesMask(QStringLiteral("Zorvantic.cfg"), QStringLiteral("Zorvantic.*.cfg")));
    EXPECT_FALSE(MatchesMask(QStringLiteral("Zorvantic.FMain.cfg.bak"), QStringLiteral("Zorvantic.*.cfg")));
    EXPECT_TRUE(MatchesMask(QStringLiteral("a.b.c.cfg"), QStringLiteral("a.*.cfg")));
    EXPECT_TRUE(MatchesMask(QStringLiteral("ab"), QStringLiteral("a?")));
    EXPECT_FALSE(MatchesMask(QStringLiteral("a"), QStringLiteral("a?")));
    EXPECT_TRUE(MatchesMask(QStringLiteral("noext"), QStringLiteral("*.*")));
    EXPECT_TRUE(MatchesMask(QStringLiteral("[x]"), QStringLiteral("[x]")));
    EXPECT_FALSE(MatchesMask(QStringLiteral("x"), QStringLiteral("[x]")));
    EXPECT_TRUE(MatchesMask(QStringLiteral("ŁÓDŹ.txt"), QStringLiteral("łódź.*")));
}

TEST(Files, DeleteFilesKeepsFoldersNonMatchingAndReadOnlyFiles) {
    const QString folder = MapPath(QStringLiteral("C:\\cfg"));
    for (const char* name : {"Zorvantic.FMain.cfg", "zorvantic.x.CFG", ".Zorvantic.h.cfg", "Zorvantic.cfg",
                             "Other.FMain.cfg", "Zorvantic.a.rap"})
        testenv::WriteFile(folder + QChar('/') + QLatin1String(name), "x");
    testenv::WriteFile(folder + QStringLiteral("/Zorvantic.ro.cfg"), "x");
    QFile::setPermissions(folder + QStringLiteral("/Zorvantic.ro.cfg"), QFileDevice::ReadOwner);
    QDir().mkpath(folder + QStringLiteral("/Zorvantic.dir.cfg"));

    DeleteFiles(QStringLiteral("C:\\cfg\\"), QStringLiteral("Zorvantic.*.cfg"));

    QStringList left =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(
        left.join(QChar(' ')).toStdString(),
        ".Zorvantic.h.cfg Other.FMain.cfg Zorvantic.a.rap Zorvantic.cfg Zorvantic.dir.cfg Zorvantic.ro.cfg");
}

TEST(Files, DeleteFilesTreatsDirAsAPlainPrefix) {
    const QString drive = MapPath(QStringLiteral("D:\\"));
    testenv::WriteFile(drive + QStringLiteral("cfgZorvantic.F.cfg"), "x");
    testenv::WriteFile(drive + QStringLiteral("cfg/Zorvantic.F.cfg"), "x");
    DeleteFiles(QStringLiteral("D:\\cfg"), QStringLiteral("Zorvantic.*.cfg"));
    EXPECT_FALSE(QFile::exists(drive + QStringLiteral("cfgZorvantic.F.cfg")));
    EXPECT_TRUE(QFile::exists(drive + QStringLiteral("cfg/Zorvantic.F.cfg")));
    // A folder that does not exist: nothing happens.
    EXPECT_NO_THROW(DeleteFiles(QStringLiteral("C:\\nowhere\\"), QStringLiteral("*.*")));
}

TEST(Files, CurrentDirHasNoFinalSlashExceptRoot) {
    EXPECT_EQ(CurrentDir(), QDir::currentPath());
    EXPECT_FALSE(CurrentDir().endsWith(QChar('/')));
    const QString before = QDir::currentPath();
    QDir::setCurrent(QStringLiteral("/"));
    EXPECT_EQ(CurrentDir(), QStringLiteral("/"));
    QDir::setCurrent(before);
}

TEST(Files, ApplicationTitleFromName) {
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Zorvantic"));
    const QString saved = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("zORVANTIC.exe.old"));
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Zorvantic"));
    QCoreApplication::setApplicationName(saved);
}
