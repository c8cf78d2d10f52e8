#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "platform/FileEmptier.h"

namespace {

int threadsOfThisProcess() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

QString fileOf(const QTemporaryDir& dir, const char* name, qsizetype bytes) {
    const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
    return path;
}

}  // namespace

// A file with data is emptied on a thread that ends with the emptier; an empty file and
// a device need no thread and are left as they are.
TEST(FileEmptier, EmptiesAFileWithDataAndLeavesOthersAlone) {
    QTemporaryDir dir;
    const int before = threadsOfThisProcess();
    const QString full = fileOf(dir, "full", 4 << 20);
    {
        const int fd = ::open(full.toLocal8Bit().constData(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        platform::FileEmptier emptier(fd);
        EXPECT_EQ(emptier.Wait(), 0);
        EXPECT_TRUE(emptier.Done());
        EXPECT_EQ(QFile(full).size(), 0);
        ::close(fd);
    }
    EXPECT_EQ(threadsOfThisProcess(), before);

    const QString empty = fileOf(dir, "empty", 0);
    for (const QString& path : {empty, QStringLiteral("/dev/null")}) {
        const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        platform::FileEmptier emptier(fd);
        EXPECT_TRUE(emptier.Done());
        EXPECT_EQ(threadsOfThisProcess(), before);
        EXPECT_EQ(emptier.Wait(), 0);
        ::close(fd);
    }
}

// A file that cannot be emptied says why, and keeps its data.
TEST(FileEmptier, ReportsAFileItCannotEmpty) {
    QTemporaryDir dir;
    const QString full = fileOf(dir, "full", 1000);
    const int fd = ::open(full.toLocal8Bit().constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    platform::FileEmptier emptier(fd);
    EXPECT_NE(emptier.Wait(), 0);
    EXPECT_TRUE(emptier.Done());
    EXPECT_EQ(QFile(full).size(), 1000);
    ::close(fd);
}
