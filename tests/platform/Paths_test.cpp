#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "TestEnv.h"
#include "platform/Paths.h"

namespace {

TEST(Paths, DriveLettersMapToAFolderPerDriveAndBackslashesToSlashes) {
    const QString data = testenv::Root() + "/../data/zorvantic";
    EXPECT_EQ(QFileInfo(platform::MapPath("C:\\Program Files\\Morvane\\Texts\\")).absoluteFilePath(),
              QFileInfo(data + "/drive_c/Program Files/Morvane/Texts/").absoluteFilePath());
    EXPECT_EQ(QFileInfo(platform::MapPath("d:\\x.sql")).absoluteFilePath(),
              QFileInfo(data + "/drive_d/x.sql").absoluteFilePath());
    EXPECT_EQ(platform::MapPath("/tmp/a b.txt"), "/tmp/a b.txt") << "Linux paths stand as they are";
    EXPECT_EQ(platform::MapPath("rel\\dir\\f.txt"), "rel/dir/f.txt");
}

TEST(Paths, EnsureDriveRootCreatesOnlyTheDriveFolder) {
    platform::EnsureDriveRoot("c:\\noname.sql");
    EXPECT_TRUE(QFileInfo(platform::MapPath("C:\\")).isDir());
    EXPECT_FALSE(QFileInfo(platform::MapPath("C:\\Export")).exists());
    platform::EnsureDriveRoot("/tmp/not-a-drive");  // other paths are left alone
    EXPECT_FALSE(QFileInfo(platform::MapPath("E:\\")).exists());
}

}  // namespace

namespace {

// A path built from data stays inside its base folder only when it leads there once
// drives are mapped, "." and ".." resolved and links followed, also dangling ones.
TEST(Paths, StaysInsideFollowsDotsDrivesAndLinks) {
    using platform::StaysInside;
    const QString base = "c:\\Export\\";
    QDir().mkpath(platform::MapPath(base + "In"));
    EXPECT_TRUE(StaysInside(base, "c:\\Export\\In\\a.txt"));
    EXPECT_TRUE(StaysInside(base, "C:\\EXPORT\\..\\Export\\new\\deeper\\b.txt"))
        << "missing parts as written";
    EXPECT_TRUE(StaysInside(base, "c:\\Export\\"));
    EXPECT_TRUE(StaysInside(base, "c:\\Export\\.\\In\\..\\x"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\..\\x"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\In\\..\\..\\..\\..\\..\\..\\..\\..\\.profile"));
    EXPECT_FALSE(StaysInside(base, "c:\\Exporter\\x")) << "a name that only begins like the base";
    EXPECT_FALSE(StaysInside(base, "d:\\Export\\x"));
    EXPECT_FALSE(StaysInside(base, "/etc/passwd"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\new\\..\\..\\x")) << "a missing folder climbed out of";

    const QString outside = QDir::cleanPath(testenv::Root() + "/../elsewhere");
    QDir().mkpath(outside);
    const QString in = platform::MapPath(base);
    QFile::link(outside, in + "out");
    QFile::link(outside + "/none.txt", in + "In/dangling.txt");
    QFile::link("In", in + "relative");
    QFile::link(in + "loop1", in + "loop2");
    QFile::link(in + "loop2", in + "loop1");
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\out\\a.txt"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\out"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\In\\dangling.txt"));
    EXPECT_TRUE(StaysInside(base, "c:\\Export\\relative\\a.txt"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\relative\\..\\..\\a.txt"));
    EXPECT_FALSE(StaysInside(base, "c:\\Export\\loop1\\a.txt"));
    // The base itself may be reached through a link.
    QFile::link(in, testenv::Root() + "/exportlink");
    EXPECT_TRUE(StaysInside(testenv::Root() + "/exportlink/", "c:\\Export\\In\\a.txt"));
    EXPECT_TRUE(StaysInside(base, testenv::Root() + "/exportlink/In/a.txt"));
    // A relative base is the current folder.
    EXPECT_TRUE(StaysInside("", "sub\\a.txt"));
    EXPECT_FALSE(StaysInside("", "..\\a.txt"));
    EXPECT_FALSE(StaysInside("", outside + "/a.txt"));
}

}  // namespace
