#include <gtest/gtest.h>
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
