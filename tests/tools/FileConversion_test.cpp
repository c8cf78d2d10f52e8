#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QFile>
#include <QFileInfo>

#include <csignal>

#include "TestEnv.h"
#include "rtl/Exception.h"
#include "tools/FileConversion.h"

namespace {

QByteArray bytes(int size) {
    QByteArray b(size, 0);
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>(i * 7 + 3);
    return b;
}

// The sizes of the blocks a conversion passes on, the last empty one included.
std::vector<int> convert(const QString& source, const QString& dest, const ByteRules& rules) {
    std::vector<int> sizes;
    ConvertFile(source, dest, rules, [&](const char*, int size) { sizes.push_back(size); });
    return sizes;
}

TEST(ConvertFile, ReadsBlocksOf2048UntilAnEmptyRead) {
    const QString root = testenv::Root();
    testenv::WriteFile("empty", "");
    testenv::WriteFile("exact", bytes(2048));
    testenv::WriteFile("longer", bytes(3000));
    ByteRules none;
    EXPECT_EQ(convert(root + "/empty", root + "/empty.out", none), std::vector<int>({0}));
    EXPECT_EQ(convert(root + "/exact", root + "/exact.out", none), std::vector<int>({2048, 0}));
    EXPECT_EQ(convert(root + "/longer", root + "/longer.out", none), std::vector<int>({2048, 952, 0}));
    EXPECT_EQ(testenv::ReadFile("empty.out"), QByteArray());
    EXPECT_EQ(testenv::ReadFile("exact.out"), bytes(2048));
    EXPECT_EQ(testenv::ReadFile("longer.out"), bytes(3000));
}

TEST(ConvertFile, MapsEveryByteOfEveryBlock) {
    const QString root = testenv::Root();
    QByteArray source = bytes(5000);
    source[0] = 'a';
    source[2047] = 'a';
    source[2048] = 'a';
    source[4999] = 'b';
    testenv::WriteFile("in", source);
    ByteRules rules;
    rules.Add('a', 'b');
    rules.Add('b', 'c');
    convert(root + "/in", root + "/out", rules);
    QByteArray expected = source;
    for (auto& c : expected)
        if (c == 'a' || c == 'b') c = 'c';
    EXPECT_EQ(testenv::ReadFile("out"), expected);
}

TEST(ConvertFile, RefusesTheSourceAsDestinationBeforeOpeningIt) {
    const QString root = testenv::Root();
    testenv::WriteFile("data/src.txt", "keep me");
    ASSERT_TRUE(QFile::link(root + "/data/src.txt", root + "/link.txt"));
    ByteRules none;
    for (const QString& dest :
         {root + "/data/src.txt", root + "/data/./src.txt", root + "/data/../data/src.txt",
          root + "/link.txt", QStringLiteral("data/src.txt")})
        EXPECT_THROW(convert(root + "/data/src.txt", dest, none), EInOutError) << dest.toStdString();
    EXPECT_EQ(testenv::ReadFile("data/src.txt"), "keep me");
}

TEST(ConvertFile, BadFilesRaiseAndKeepWhatWasWritten) {
    const QString root = testenv::Root();
    testenv::WriteFile("in", bytes(100));
    ByteRules none;
    EXPECT_THROW(convert(root + "/missing", root + "/out1", none), EInOutError);
    EXPECT_THROW(convert(root, root + "/out2", none), EInOutError);
    EXPECT_FALSE(QFileInfo::exists(root + "/out2"));
    EXPECT_THROW(convert(root + "/in", root + "/no/such/folder/out", none), EInOutError);
    // A full disk is a failure, not a shorter copy reported as done.
    EXPECT_THROW(convert(root + "/in", "/dev/full", none), EInOutError);
}

// A file-size limit makes the system take only part of a write: that is a failure too,
// and what was written stays.
TEST(ConvertFile, AShortWriteIsAFailure) {
    const QString root = testenv::Root();
    testenv::WriteFile("in", bytes(120000));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    ByteRules none;
    EXPECT_THROW(convert(root + "/in", root + "/out", none), EInOutError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(testenv::ReadFile("out"), bytes(120000).left(100000));
}

}  // namespace
