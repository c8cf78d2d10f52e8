#include <gtest/gtest.h>

#include <QFile>

#include "TestEnv.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"
#include "workbench/ScriptFile.h"

namespace {

const QString kPolish = QString::fromUtf8("zażółć gęślą jaźń ZAŻÓŁĆ");

TEST(ScriptFile, LoneCrAndLoneLfReadAsCrLf) {
    testenv::WriteFile("mixed.sql", "a\rb\nc\r\nd\n\re\r\r\n");
    EXPECT_EQ(script::ReadScriptFile(testenv::Root() + "/mixed.sql"), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n");
}

TEST(ScriptFile, WritesTheTextExactlyInWindows1250) {
    const QString text = kPolish + "\r\nselect 1;\r\n\r\nlast";
    script::WriteScriptFile(testenv::Root() + "/out.sql", text);
    const QByteArray bytes = testenv::ReadFile("out.sql");
    EXPECT_EQ(bytes, platform::ToCp1250(text));
    EXPECT_TRUE(bytes.startsWith("za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9"));
    EXPECT_TRUE(bytes.endsWith("\r\n\r\nlast")) << "nothing added after the last line";
    EXPECT_EQ(script::ReadScriptFile(testenv::Root() + "/out.sql"), text);
}

TEST(ScriptFile, ADriveNameMapsUnderItsDriveFolderWhichIsMadeWhenMissing) {
    script::WriteScriptFile("c:\\noname.sql", "x");
    EXPECT_EQ(testenv::ReadFile(platform::DataFolder() + "/drive_c/noname.sql"), "x");
    EXPECT_EQ(script::ReadScriptFile("C:\\noname.sql"), "x");
    // Only the drive itself is made: a missing folder on it is still an error.
    EXPECT_THROW(script::WriteScriptFile("c:\\no such folder\\a.sql", "x"), EInOutError);
    EXPECT_FALSE(QFile::exists(platform::DataFolder() + "/drive_c/no such folder"));
}

TEST(ScriptFile, FailuresRaiseAndLeaveTheOldFileAsItWas) {
    testenv::WriteFile("keep.sql", "old text");
    // A character Windows-1250 cannot hold would come back as "?": refused instead.
    // The first and the last character too.
    for (const char* text : {"select 'ñ'", "ñ", "ñ select 1", "select 1 ñ"}) {
        try {
            script::WriteScriptFile(testenv::Root() + "/keep.sql", QString::fromUtf8(text));
            ADD_FAILURE() << "no error for " << text;
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8("ñ"))) << e.Message().toStdString();
        }
    }
    EXPECT_EQ(testenv::ReadFile("keep.sql"), "old text");
    EXPECT_THROW(script::ReadScriptFile(testenv::Root() + "/missing.sql"), EInOutError);
    EXPECT_THROW(script::ReadScriptFile(testenv::Root()), EInOutError) << "a folder is no script";
}

}  // namespace
