#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"
#include "support/TestEnv.h"

using namespace platform;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Morvane\\Zorvantic");

QByteArray hiveBytes() {
    return testenv::ReadFile(HiveFileName(RootKey::LocalMachine));
}
void writeHive(const QByteArray& bytes) {
    testenv::WriteFile(HiveFileName(RootKey::LocalMachine), bytes);
}

TRegistry openedMachineKey() {
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_TRUE(reg.OpenKey(kKey, true));
    return reg;
}

}  // namespace

TEST(Registry, WritesReadableRegedit4File) {
    TRegistry reg = openedMachineKey();
    reg.WriteString(QStringLiteral("Common\\Error"), QStringLiteral("Błąd \"x\" C:\\y"));
    EXPECT_EQ(hiveBytes(), QByteArray("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\n"
                                      "\"Common\\\\Error\"=\"B\xB3\xB9"
                                      "d \\\"x\\\" C:\\\\y\"\n\n"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("common\\ERROR")), QStringLiteral("Błąd \"x\" C:\\y"));
    EXPECT_TRUE(QFile::exists(ConfigFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg")));
    EXPECT_FALSE(QFile::exists(ConfigFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg")));
    // A backslash in a value name is part of the name, not a subkey.
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Common")));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Error")));
}

TEST(Registry, NamesCompareWithoutCaseAndKeepTheirFirstCase) {
    TRegistry reg = openedMachineKey();
    reg.WriteString(QStringLiteral("STRINGSPATH"), QStringLiteral("a"));
    reg.WriteString(QStringLiteral("StringsPATH"), QStringLiteral("b"));
    EXPECT_EQ(reg.GetValueNames(), QStringList{QStringLiteral("STRINGSPATH")});
    EXPECT_EQ(reg.ReadString(QStringLiteral("stringspath")), QStringLiteral("b"));
    TRegistry other(RootKey::LocalMachine);
    EXPECT_TRUE(other.OpenKey(QStringLiteral("software\\MORVANE\\zorvantic"), false));
    EXPECT_EQ(other.ReadString(QStringLiteral("StringsPath")), QStringLiteral("b"));
}

TEST(Registry, MissingValueOrKeyReadsEmptyAndWritesNeedAnOpenKey) {
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_THAT([&] { reg.WriteString(QStringLiteral("Version"), QStringLiteral("1")); },
                ThrowsMessage<ERegistryException>(StrEq("Failed to set data for 'Version'")));
    EXPECT_FALSE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Version")), QString());
    EXPECT_FALSE(QFile::exists(HiveFileName(RootKey::LocalMachine)));
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Version")), QString());
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Version")));
}

TEST(Registry, TwoObjectsNeverLoseEachOthersValues) {
    TRegistry a = openedMachineKey();
    TRegistry b = openedMachineKey();
    a.WriteString(QStringLiteral("A"), QStringLiteral("1"));
    b.WriteString(QStringLiteral("B"), QStringLiteral("2"));
    a.WriteString(QStringLiteral("C"), QStringLiteral("3"));
    EXPECT_EQ(b.ReadString(QStringLiteral("A")), QStringLiteral("1"));
    EXPECT_EQ(a.ReadString(QStringLiteral("B")), QStringLiteral("2"));
    EXPECT_EQ(b.GetValueNames(), (QStringList{"A", "B", "C"}));
}

TEST(Registry, OtherTypesAreKeptAndRefuseStringReads) {
    writeHive(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\n\"x\"=dword:0000002a\n"
        "\"bin\"=hex:01,02,\\\n  03,04\n\"s\"=\"v\"\n");
    TRegistry reg = openedMachineKey();
    EXPECT_THAT([&] { reg.ReadString(QStringLiteral("X")); },
                ThrowsMessage<ERegistryException>(StrEq("Invalid data type for 'X'")));
    EXPECT_TRUE(reg.ValueExists(QStringLiteral("bin")));
    reg.WriteString(QStringLiteral("s"), QStringLiteral("w"));
    EXPECT_EQ(hiveBytes(),
              QByteArray("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\n"
                         "\"x\"=dword:0000002a\n\"bin\"=hex:01,02,\\\n  03,04\n\"s\"=\"w\"\n\n"));
    // Writing a string over another type replaces it.
    reg.WriteString(QStringLiteral("x"), QStringLiteral("42"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("x")), QStringLiteral("42"));
}

TEST(Registry, UnparsableAndTruncatedLinesAreKept) {
    const QByteArray original(
        "REGEDIT4\r\n\r\n; a comment\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\r\n"
        "\"Version\"=\"09.01.2002\"\r\nthis is not a value\r\n\"StringsPATH\"=\"C:\\\\Progr");
    writeHive(original);
    TRegistry reg = openedMachineKey();
    EXPECT_EQ(reg.ReadString(QStringLiteral("Version")), QStringLiteral("09.01.2002"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("StringsPATH")), QString());  // truncated: not a value
    reg.WriteString(QStringLiteral("New"), QStringLiteral("n"));
    const QByteArray now = hiveBytes();
    EXPECT_TRUE(now.contains("; a comment")) << now.constData();
    EXPECT_TRUE(now.contains("this is not a value")) << now.constData();
    EXPECT_TRUE(now.contains("\"StringsPATH\"=\"C:\\\\Progr")) << now.constData();
    EXPECT_EQ(reg.ReadString(QStringLiteral("Version")), QStringLiteral("09.01.2002"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("New")), QStringLiteral("n"));
}

TEST(Registry, EmptyAndBinaryFilesDoNotBreakOrVanish) {
    writeHive(QByteArray());
    {
        TRegistry reg = openedMachineKey();
        reg.WriteString(QStringLiteral("A"), QStringLiteral("1"));
        EXPECT_EQ(reg.ReadString(QStringLiteral("A")), QStringLiteral("1"));
    }
    QByteArray binary;
    for (int i = 0; i < 512; ++i) binary.append(static_cast<char>((i * 37 + 11) % 256));
    writeHive(binary);
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_FALSE(reg.OpenKey(kKey, false));
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    EXPECT_EQ(reg.ReadString(QStringLiteral("A")), QString());
    reg.WriteString(QStringLiteral("A"), QStringLiteral("2"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("A")), QStringLiteral("2"));
    // The bytes that were there are still in the file, so a user can recover them.
    const QByteArray now = hiveBytes();
    const QByteArray firstLine = binary.left(binary.indexOf('\n'));
    EXPECT_TRUE(now.contains(firstLine));
}

TEST(Registry, UnwritableSettingsFolderFailsWritesAndReadsEmpty) {
    // A file where the settings folder should be: the folder cannot be created.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    testenv::WriteFile(config, "not a folder");
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_FALSE(reg.OpenKey(kKey, true));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Version")), QString());
    EXPECT_THROW(reg.WriteString(QStringLiteral("Version"), QStringLiteral("1")), ERegistryException);
}

TEST(Registry, NewlinesInValuesStayOnOneLine) {
    TRegistry reg = openedMachineKey();
    reg.WriteString(QStringLiteral("m"), QStringLiteral("a\r\nb"));
    reg.WriteString(QStringLiteral("after"), QStringLiteral("z"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("m")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"m", "after"}));
}

TEST(Registry, KeysRelativePathsAndDeletion) {
    TRegistry reg(RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Morvane"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("FMain"), true));  // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Morvane\\FMain"));
    reg.WriteString(QStringLiteral("Left"), QStringLiteral("10"));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Morvane\\FMain\\Sub"), true));
    reg.WriteString(QStringLiteral("x"), QStringLiteral("y"));
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("SOFTWARE")));  // parent of listed keys
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("software\\morvane\\fmain\\sub")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software\\Morv")));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("Software\\Morvane\\FMain")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("Software\\Morvane\\FMain\\Sub")));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("Software\\Morvane")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("Software\\Morvane\\FMain")));
    EXPECT_FALSE(QFile::exists(HiveFileName(RootKey::LocalMachine)));
}

TEST(Registry, DeleteValueRemovesEveryDuplicate) {
    writeHive(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\n\"a\"=\"1\"\n\"A\"=\"2\"\n\"b\"="
        "\"3\"\n");
    TRegistry reg = openedMachineKey();
    EXPECT_EQ(reg.ReadString(QStringLiteral("a")), QStringLiteral("2"));  // the later one is in force
    EXPECT_TRUE(reg.DeleteValue(QStringLiteral("a")));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("a")));
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("a")));
    EXPECT_EQ(reg.GetValueNames(), QStringList{QStringLiteral("b")});
}

TEST(Registry, HiveThatCannotBeReadIsNeverOverwritten) {
    QDir().mkpath(HiveFileName(RootKey::LocalMachine));  // a folder where the file should be
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_FALSE(reg.OpenKey(kKey, true));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Version")), QString());
    EXPECT_TRUE(QFileInfo(HiveFileName(RootKey::LocalMachine)).isDir());
}

// Another instance (or an editor) changing the file is seen at the next read, even at
// the same size; a write the disk refuses changes neither the file nor what is read.
// A write that fails (a full disk) names the file and the system's reason, also when it
// is the key that could not be created.
TEST(Registry, AFailedWriteSaysWhichFileAndWhy) {
    TRegistry reg = openedMachineKey();
    const QString why =
        ": Cannot write file \"" + HiveFileName(RootKey::LocalMachine) + "\": " + testenv::NoSpaceReason();
    FailWritesAfter(0);
    EXPECT_THAT(
        [&] { reg.WriteString(QStringLiteral("Top"), QStringLiteral("1")); },
        ThrowsMessage<ERegistryException>(StrEq(("Failed to set data for 'Top'" + why).toStdString())));
    TRegistry other(RootKey::LocalMachine);
    EXPECT_FALSE(other.OpenKey(QStringLiteral("\\SOFTWARE\\New"), true));
    EXPECT_THAT(
        [&] { other.WriteString(QStringLiteral("Top"), QStringLiteral("1")); },
        ThrowsMessage<ERegistryException>(StrEq(("Failed to set data for 'Top'" + why).toStdString())));
    FailWritesAfter(-1);
}

TEST(Registry, ChangesOnDiskAreSeenAndAFailedWriteChangesNothing) {
    TRegistry reg = openedMachineKey();
    reg.WriteString(QStringLiteral("User"), QStringLiteral("adam"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("User")), QStringLiteral("adam"));
    writeHive("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\n\"User\"=\"ewa_\"\n");
    EXPECT_EQ(reg.ReadString(QStringLiteral("User")), QStringLiteral("ewa_"));
    const QByteArray before = hiveBytes();
    FailWritesAfter(3);
    EXPECT_THROW(reg.WriteString(QStringLiteral("User"), QStringLiteral("lost")), ERegistryException);
    FailWritesAfter(-1);
    EXPECT_EQ(hiveBytes(), before);
    EXPECT_EQ(reg.ReadString(QStringLiteral("User")), QStringLiteral("ewa_"));
}

// A large hive of the user is read on a thread of its own as soon as the machine's hive is
// used (at start-up the windows are made meanwhile); the program still reads and writes
// the file as it stands, also when it changed after it was read ahead.
TEST(Registry, ALargeUserHiveReadAheadIsTheFileAsItStands) {
    QByteArray others = "REGEDIT4\n\n";
    for (int i = 0; i < 30000; ++i)
        others +=
            "[HKEY_CURRENT_USER\\Software\\Other\\Key" + QByteArray::number(i) + "]\n\"Name\"=\"v\"\n\n";
    const auto withUser = [&](const QByteArray& name) {
        return others + "[HKEY_CURRENT_USER\\Software\\Morvane]\n\"User\"=\"" + name + "\"\n";
    };
    const QString userHive = HiveFileName(RootKey::CurrentUser);
    TRegistry machine(RootKey::LocalMachine);
    TRegistry user(RootKey::CurrentUser);
    testenv::WriteFile(userHive, withUser("adam"));
    machine.KeyExists(kKey);
    ASSERT_TRUE(user.OpenKey(QStringLiteral("Software\\Morvane"), false));
    EXPECT_EQ(user.ReadString(QStringLiteral("User")), QStringLiteral("adam"));

    // A hive read when its file was missing is read ahead again once the file is there.
    QFile::remove(userHive);
    EXPECT_EQ(user.ReadString(QStringLiteral("User")), QString());
    testenv::WriteFile(userHive, withUser("ewa"));
    machine.KeyExists(kKey);
    QThread::msleep(100);  // (long enough for it to be read before the next change)
    testenv::WriteFile(userHive, withUser("ola"));
    EXPECT_EQ(user.ReadString(QStringLiteral("User")), QStringLiteral("ola"));

    user.WriteString(QStringLiteral("User"), QStringLiteral("zofia"));
    const RegistryHive written = RegistryHive::ParseBytes(testenv::ReadFile(userHive));
    EXPECT_TRUE(written.HasKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Other\\Key29999")));
    const HiveKey* key = written.FindKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Morvane"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegistryHive::FindValue(*key, QStringLiteral("User"))->text, QStringLiteral("zofia"));
}
