#include <gtest/gtest.h>
#include <QDir>

#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"
#include "support/TestEnv.h"

using namespace platform;

TEST(TextFiles, WriteThenReadThroughDriveMapping) {
    QDir().mkpath(MapPath(QStringLiteral("C:\\out")));
    WriteTextFile(QStringLiteral("C:\\out\\a.txt"), QStringLiteral("Zażółć\r\ngęślą"));
    EXPECT_EQ(testenv::ReadFile(MapPath(QStringLiteral("C:\\out\\a.txt"))),
              QByteArray("Za\xBF\xF3\xB3\xE6\r\ng\xEA\x9Cl\xB9"));
    EXPECT_EQ(ReadTextFile(QStringLiteral("c:\\out\\a.txt")), QStringLiteral("Zażółć\r\ngęślą"));
}

TEST(TextFiles, WritingTruncatesALongerFile) {
    testenv::WriteFile("f.txt", "0123456789");
    WriteTextFile(QStringLiteral("f.txt"), QStringLiteral("ab"));
    EXPECT_EQ(testenv::ReadFile("f.txt"), QByteArray("ab"));
}

TEST(TextFiles, ErrorsNameTheFileAndRaiseInOutError) {
    try {
        ReadTextFile(QStringLiteral("C:\\missing\\x.txt"));
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("C:\\missing\\x.txt"))) << e.Message().toStdString();
    }
    EXPECT_THROW(WriteTextFile(QStringLiteral("C:\\no such folder\\x.txt"), QStringLiteral("x")),
                 EInOutError);
}

TEST(TextFiles, ReplaceFileLeavesNoTemporaryBehind) {
    ReplaceFile(testenv::Root() + QStringLiteral("/r.txt"), "one");
    ReplaceFile(testenv::Root() + QStringLiteral("/r.txt"), "two");
    EXPECT_EQ(testenv::ReadFile("r.txt"), QByteArray("two"));
    EXPECT_EQ(QDir(testenv::Root()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("r.txt")});
    EXPECT_THROW(ReplaceFile(testenv::Root() + QStringLiteral("/nofolder/r.txt"), "x"), EInOutError);
}
