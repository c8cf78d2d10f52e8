#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"
#include "support/TestEnv.h"

using namespace platform;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

TEST(TextFiles, WriteThenReadThroughDriveMapping) {
    QDir().mkpath(MapPath(QStringLiteral("C:\\out")));
    WriteTextFile(QStringLiteral("C:\\out\\a.txt"), QStringLiteral("Zażółć\r\ngęślą"));
    EXPECT_EQ(testenv::ReadFile(MapPath(QStringLiteral("C:\\out\\a.txt"))),
              QByteArray("Za\xBF\xF3\xB3\xE6\r\ng\xEA\x9Cl\xB9"));
    EXPECT_EQ(ReadTextFile(QStringLiteral("c:\\out\\a.txt")), QStringLiteral("Zażółć\r\ngęślą"));
    // A shorter text replaces the longer file whole.
    WriteTextFile(QStringLiteral("C:\\out\\a.txt"), QStringLiteral("ab"));
    EXPECT_EQ(testenv::ReadFile(MapPath(QStringLiteral("C:\\out\\a.txt"))), QByteArray("ab"));
}

TEST(TextFiles, ErrorsNameTheFileAndRaiseInOutError) {
    EXPECT_THAT([] { ReadTextFile(QStringLiteral("C:\\missing\\x.txt")); },
                ThrowsMessage<EInOutError>(HasSubstr("C:\\missing\\x.txt")));
    EXPECT_THROW(WriteTextFile(QStringLiteral("C:\\no such folder\\x.txt"), QStringLiteral("x")),
                 EInOutError);
}

// A file of megabytes is read in parts side by side: every byte comes back in its place.
TEST(TextFiles, LargeFileReadsWhole) {
    QByteArray bytes(9 * 1024 * 1024 + 3, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 5);
    const QString path = MapPath(QStringLiteral("C:\\large.bin"));
    testenv::WriteFile(path, bytes);
    EXPECT_TRUE(ReadLocalFile(path) == bytes);
}

namespace {

// Turns the injected write failure off again whatever the test does.
struct WriteFailure {
    explicit WriteFailure(qint64 afterBytes) { FailWritesAfter(afterBytes); }
    ~WriteFailure() { FailWritesAfter(-1); }
};

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

// The system's reason for a full disk, in the language of the user's locale.
std::string noSpaceReason() {
    return QString::fromLocal8Bit(std::strerror(ENOSPC)).toStdString();
}

}  // namespace

// A write that fails part-way (a full disk) leaves the old content, no temporary file,
// and gives the system's reason; both the plain replacement and the Windows-named one.
TEST(TextFiles, FailedWriteKeepsTheOldFileWholeAndSaysWhy) {
    const QString path = testenv::Root() + QStringLiteral("/keep.txt");
    testenv::WriteFile(path, "old content");
    for (const qint64 after : {qint64(0), qint64(5), qint64(4095)}) {
        WriteFailure full(after);
        EXPECT_THAT([&] { ReplaceFile(path, QByteArray(10000, 'x')); },
                    ThrowsMessage<EInOutError>(HasSubstr(noSpaceReason())))
            << "after " << after << " bytes";
        EXPECT_THROW(WriteTextFile(QStringLiteral("keep.txt"), QStringLiteral("new")), EInOutError);
        EXPECT_EQ(testenv::ReadFile(path), QByteArray("old content"));
        EXPECT_EQ(filesIn(testenv::Root()), QStringList{QStringLiteral("keep.txt")});
    }
    ReplaceFile(path, "new");
    EXPECT_EQ(testenv::ReadFile(path), QByteArray("new"));
    EXPECT_EQ(filesIn(testenv::Root()), QStringList{QStringLiteral("keep.txt")});  // no temporary left
}

// The settings folder holds the user name and stored SQL: readable by the owner only.
// Elsewhere a replaced file keeps its permissions.
TEST(TextFiles, FilesInTheSettingsFolderAreOwnerOnly) {
    QDir().mkpath(ConfigFolder());
    const QString own = ConfigFolder() + QStringLiteral("/a.reg");
    ReplaceFile(own, "x");
    EXPECT_EQ(modeOf(own), mode_t(0600));
    const QString shared = testenv::Root() + QStringLiteral("/shared.txt");
    testenv::WriteFile(shared, "x");
    ::chmod(QFile::encodeName(shared).constData(), 0644);
    ReplaceFile(shared, "y");
    EXPECT_EQ(modeOf(shared), mode_t(0644));
}

// A real full disk: a 1 MB tmpfs, where the test may mount one (root).
TEST(TextFiles, RealFullDiskKeepsTheOldFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const QString mount = testenv::Root() + QStringLiteral("/small");
    QDir().mkpath(mount);
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=1m"), QStringLiteral("tmpfs"), mount}) != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    const QString path = mount + QStringLiteral("/settings.reg");
    testenv::WriteFile(path, QByteArray(400 * 1024, 'o'));
    try {
        ReplaceFile(path, QByteArray(800 * 1024, 'n'));
        ADD_FAILURE() << "a 800 kB file beside a 400 kB one fitted in 1 MB";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.Message().contains(QString::fromStdString(noSpaceReason())))
            << e.Message().toStdString();
    }
    EXPECT_EQ(testenv::ReadFile(path), QByteArray(400 * 1024, 'o'));
    EXPECT_EQ(filesIn(mount), QStringList{QStringLiteral("settings.reg")});
    QProcess::execute(QStringLiteral("umount"), {mount});
}

namespace {

struct Owner {
    uid_t uid;
    gid_t gid;
};

Owner ownerOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {st.st_uid, st.st_gid};
}

}  // namespace

// Whatever permissions a replaced file had, it keeps: owner-only stays owner-only, a
// shared or executable file stays so, in the settings folder as elsewhere. A link is
// followed: the file it names is replaced and the link stays a link.
TEST(TextFiles, AReplacedFileKeepsItsPermissionsOwnerAndLinks) {
    QDir().mkpath(ConfigFolder());
    const QString own = ConfigFolder() + QStringLiteral("/own.reg");
    testenv::WriteFile(own, "x");
    ::chmod(QFile::encodeName(own).constData(), 0600);
    ReplaceFile(own, "y");
    EXPECT_EQ(modeOf(own), mode_t(0600));
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0755), mode_t(0444), mode_t(0604)}) {
        const QString path = testenv::Root() + QStringLiteral("/f%1.txt").arg(mode, 0, 8);
        testenv::WriteFile(path, "old");
        ::chmod(QFile::encodeName(path).constData(), mode);
        WriteTextFile(path, QStringLiteral("new"));
        EXPECT_EQ(modeOf(path), mode) << std::oct << mode;
        EXPECT_EQ(testenv::ReadFile(path), QByteArray("new"));
    }
    // A new file outside the settings folder gets the user's default.
    const mode_t mask = ::umask(022);
    ReplaceFile(testenv::Root() + QStringLiteral("/fresh.txt"), "x");
    ::umask(mask);
    EXPECT_EQ(modeOf(testenv::Root() + QStringLiteral("/fresh.txt")), mode_t(0644));

    const QString real = testenv::Root() + QStringLiteral("/real.txt");
    const QString link = testenv::Root() + QStringLiteral("/link.txt");
    testenv::WriteFile(real, "old");
    ::chmod(QFile::encodeName(real).constData(), 0640);
    QFile::link(real, link);
    ReplaceFile(link, "through the link");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testenv::ReadFile(real), QByteArray("through the link"));
    EXPECT_EQ(modeOf(real), mode_t(0640));

    // A group that shares a file keeps it (only root may hand a file to another group
    // it is not in, so the test needs root to set one up).
    if (::geteuid() != 0) return;
    const QString shared = testenv::Root() + QStringLiteral("/group.txt");
    testenv::WriteFile(shared, "x");
    ::chmod(QFile::encodeName(shared).constData(), 0660);
    ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), 65534, 65534), 0);
    ReplaceFile(shared, "y");
    EXPECT_EQ(ownerOf(shared).uid, uid_t(65534));
    EXPECT_EQ(ownerOf(shared).gid, gid_t(65534));
    EXPECT_EQ(modeOf(shared), mode_t(0660));
}
