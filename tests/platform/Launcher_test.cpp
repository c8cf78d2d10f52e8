#include <gtest/gtest.h>

#include <vector>

#include "platform/Launcher.h"
#include "platform/Paths.h"

using namespace platform;

namespace {

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCommandRunner([this](const ProcessRequest& r) {
            started.push_back(r);
            return true;
        });
    }
    void TearDown() override { SetCommandRunner(nullptr); }

    std::vector<ProcessRequest> started;
};

}  // namespace

TEST_F(LauncherTest, NotepadOpensTheMappedFileWithXdgOpen) {
    for (const QString& program : {QStringLiteral("NotePad.exe"), QStringLiteral("notepad.EXE"),
                                   QStringLiteral("C:\\Windows\\NOTEPAD.EXE")}) {
        ShellExecute(program, QStringLiteral("C:\\My Exports\\out \"1\".txt"), QString(), SW_SHOWMAXIMIZED);
    }
    // A name in quotes is that name.
    ShellExecute(QStringLiteral("notepad.exe"), QStringLiteral("\"/tmp/a b.txt\""), QString(), SW_SHOW);
    ASSERT_EQ(started.size(), 4u);
    for (const auto& r : started) EXPECT_EQ(r.program, QStringLiteral("xdg-open"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(started[i].arguments,
                  QStringList{MapPath(QStringLiteral("C:\\My Exports\\out \"1\".txt"))});
    EXPECT_EQ(started[3].arguments, QStringList{QStringLiteral("/tmp/a b.txt")});
}

TEST_F(LauncherTest, OtherProgramGetsParamsAsOneArgumentAndMappedFolder) {
    ShellExecute(QStringLiteral("/usr/bin/editor"), QStringLiteral("a b; rm -rf \"x\""),
                 QStringLiteral("C:\\work"), SW_SHOW);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].program, QStringLiteral("/usr/bin/editor"));
    EXPECT_EQ(started[0].arguments, QStringList{QStringLiteral("a b; rm -rf \"x\"")});
    EXPECT_EQ(started[0].workingFolder, MapPath(QStringLiteral("C:\\work")));
    ShellExecute(QStringLiteral("C:\\tools\\run.exe"), QString(), QString(), SW_SHOW);
    EXPECT_EQ(started[1].program, MapPath(QStringLiteral("C:\\tools\\run.exe")));
    EXPECT_TRUE(started[1].arguments.isEmpty());
    EXPECT_TRUE(started[1].workingFolder.isEmpty());
}
