#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <vector>

#include "common/Helpers.h"
#include "framework/Application.h"
#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"

TEST(TableNameFromSQL, TableOfResults) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("select * from emp"), QStringLiteral("EMP")},
        {QStringLiteral("SELECT *\r\nFROM EMP\r\nWHERE X = 1"), QStringLiteral("EMP")},
        {QStringLiteral("SELECT A, B FROM EMP E, DEPT D"), QStringLiteral("EMP")},
        {QStringLiteral("SELECT * FROM SALES.ORDERS"), QStringLiteral("SALES.ORDERS")},
        {QStringLiteral("select * from emp,dept"), QStringLiteral("EMP")},
        {QStringLiteral("SELECT * FROM (SELECT * FROM EMP)"), QStringLiteral("(SELECT")},
        {QStringLiteral("SELECT (SELECT MAX(X) FROM T2) FROM T1"), QStringLiteral("T2)")},
        {QStringLiteral("  select * from   żółw  \r\n"), QStringLiteral("żółW")},  // a..z only
        {QStringLiteral("select * from emp\t"), QStringLiteral("EMP")},
        // No FROM between blanks: an empty name.
        {QStringLiteral("SELECT *\nFROM EMP"), QString()},  // LF alone is no blank
        {QStringLiteral("SELECT *\tFROM EMP"), QString()},
        {QStringLiteral("select sysdate"), QString()},
        {QStringLiteral("FROM EMP"), QString()},
        {QString(), QString()},
        {QStringLiteral("select * from "), QString()},
    };
    for (const auto& [sql, table] : cases) EXPECT_EQ(TableNameFromSQL(sql), table) << sql.toStdString();
}

TEST(RunProgram, PassesLongPathsWhole) {
    std::vector<platform::ProcessRequest> started;
    platform::SetCommandRunner([&](const platform::ProcessRequest& r) {
        started.push_back(r);
        return true;
    });
    const QString file =
        QStringLiteral("C:\\") + QString(120, QChar('d')) + QStringLiteral("\\export file.txt");
    RunProgram(QStringLiteral("NotePad.exe"), file, QString(), 3);
    RunProgram(QStringLiteral("/usr/bin/true"), file, QStringLiteral("C:\\") + QString(100, QChar('w')), 5);
    platform::SetCommandRunner(nullptr);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].program, QStringLiteral("xdg-open"));
    EXPECT_EQ(started[0].arguments, QStringList{platform::MapPath(file)});
    EXPECT_EQ(started[1].arguments, QStringList{file});
    EXPECT_EQ(started[1].workingFolder, platform::MapPath(QStringLiteral("C:\\") + QString(100, QChar('w'))));
}

TEST(CopyTextToClipboard, WithoutMainWindowShowsErrorAndCopiesNothing) {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    CopyTextToClipboard(QStringLiteral("'A','B'"));
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList{QStringLiteral(
                  "Aplikacja bez formularza główego, nie można wykonać CopyToClipBoard S='A','B'")});
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    TApplication app;  // an application without any window yet
    CopyTextToClipboard(QStringLiteral("x"));
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 2u);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}
