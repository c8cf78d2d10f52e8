#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <vector>

#include "platform/WriteBehind.h"

namespace {

int threadsOfThisProcess() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// Writes `megabytes` of a repeated pattern, telling the write-back after each megabyte.
void writeThrough(QFile& file, platform::WriteBehind& behind, int megabytes) {
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
    int64_t written = 0;
    for (int i = 0; i < megabytes; ++i) {
        ASSERT_EQ(::write(file.handle(), block.data(), block.size()), static_cast<ssize_t>(block.size()));
        written += static_cast<int64_t>(block.size());
        behind.Written(written);
    }
}

}  // namespace

// A small file costs no thread; a large one gets one, which ends with the writer, and the
// file holds every byte written.
TEST(WriteBehind, StartsAThreadOnlyForALargeFileAndEndsIt) {
    QTemporaryDir dir;
    const int before = threadsOfThisProcess();
    {
        QFile small(QDir(dir.path()).filePath(QStringLiteral("small")));
        ASSERT_TRUE(small.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        platform::WriteBehind behind(small.handle());
        writeThrough(small, behind, 3);
        EXPECT_EQ(threadsOfThisProcess(), before);
        behind.Finish();
        behind.Finish();  // twice is harmless
    }
    QFile large(QDir(dir.path()).filePath(QStringLiteral("large")));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    {
        platform::WriteBehind behind(large.handle());
        writeThrough(large, behind, 40);
        EXPECT_EQ(threadsOfThisProcess(), before + 1);
    }  // the destructor waits for the thread
    EXPECT_EQ(threadsOfThisProcess(), before);
    large.close();
    EXPECT_EQ(QFile(large.fileName()).size(), int64_t{40} << 20);
}
