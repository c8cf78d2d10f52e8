#include <gtest/gtest.h>

#include "platform/RegistryHive.h"

using platform::RegistryHive;

namespace {

// A hive's keys are found when it is parsed and their lines read when a key is first
// looked up; either way the file comes back line for line: a key written twice is one
// key, a continued value takes the lines after it whatever they hold (up to one that
// does not go on), and a CR LF file loses its CR on value lines only.
TEST(RegistryHive, KeysReadWhenLookedUpFormatAsTheyWereWritten) {
    const QString text = QStringLiteral(
        "REGEDIT4\r\n"
        "\r\n"
        "; before the keys\r\n"
        "[HKEY_CURRENT_USER\\A]\r\n"
        "\"N\"=\"v\"\r\n"
        "garbage line\r\n"
        "\"B\"=hex:01,02,\\\r\n"
        "\r\n"
        "  03\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\B]\r\n"
        "\"x\"=dword:1\r\n"
        "[hkey_current_user\\a]\r\n"
        "\"M\"=\"second \\\"quoted\\\" \\\\ \\n\"\r\n"
        "\"C\"=hex:01,\\\r\n"
        "[HKEY_CURRENT_USER\\NotAKey]\r\n"
        "\"N\"=\"last\"");
    const QString expected = QStringLiteral(
        "REGEDIT4\n\n"
        "; before the keys\r\n\n"
        "[HKEY_CURRENT_USER\\A]\n"
        "\"N\"=\"v\"\n"
        "garbage line\r\n"
        "\"B\"=hex:01,02,\\\n"
        "\n"
        "  03\r\n"
        "\"M\"=\"second \\\"quoted\\\" \\\\ \\n\"\n"
        "\"C\"=hex:01,\\\n"
        "[HKEY_CURRENT_USER\\NotAKey]\n"
        "\"N\"=\"last\"\n"
        "\n"
        "[HKEY_CURRENT_USER\\B]\n"
        "\"x\"=dword:1\n"
        "\n");
    RegistryHive hive = RegistryHive::Parse(text);
    EXPECT_EQ(hive.Format(), expected);
    EXPECT_TRUE(hive.HasKey("HKEY_CURRENT_USER"));
    EXPECT_FALSE(hive.HasKey("HKEY_CURRENT_USER\\NotAKey"));

    const platform::HiveKey* a = hive.FindKey("HKEY_CURRENT_USER\\a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(RegistryHive::ValueNames(*a), QStringList({"N", "B", "M", "C"}));
    EXPECT_EQ(RegistryHive::FindValue(*a, "n")->text, "last");  // the last of a name is in force
    EXPECT_EQ(RegistryHive::FindValue(*a, "M")->text, "second \"quoted\" \\ \n");
    EXPECT_FALSE(RegistryHive::FindValue(*a, "B")->isString);
    EXPECT_EQ(RegistryHive::FindValue(*a, "B")->lines, QStringList({"\"B\"=hex:01,02,\\", ""}));
    EXPECT_EQ(hive.Format(), expected);

    // A copy reads its keys from its own text; a change shows in the format.
    RegistryHive copy = hive;
    platform::HiveKey* b = copy.FindKey("HKEY_CURRENT_USER\\B");
    ASSERT_NE(b, nullptr);
    RegistryHive::SetString(*b, "y", "z");
    EXPECT_TRUE(copy.Format().endsWith("\"x\"=dword:1\n\"y\"=\"z\"\n\n"));
    EXPECT_EQ(hive.Format(), expected);
}

// Blanks around a key line or after the backslash of a continued value change nothing
// of what the lines mean, however the parser skips over the plain lines.
TEST(RegistryHive, BlanksAroundKeyLinesAndContinuationsKeepTheirMeaning) {
    const QString text = QStringLiteral(
        "REGEDIT4\n\n"
        "\t [HKEY_CURRENT_USER\\Indented]  \n"
        "\"H\"=hex:01,\\ \t\n"
        "[HKEY_CURRENT_USER\\NotAKey]\n"
        "\"N\"=\"v\"\n");
    RegistryHive hive = RegistryHive::Parse(text);
    EXPECT_FALSE(hive.HasKey("HKEY_CURRENT_USER\\NotAKey"));
    const platform::HiveKey* key = hive.FindKey("HKEY_CURRENT_USER\\indented");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegistryHive::ValueNames(*key), QStringList({"H", "N"}));
    EXPECT_EQ(hive.Format(), QStringLiteral("REGEDIT4\n\n"
                                            "\t [HKEY_CURRENT_USER\\Indented]  \n"
                                            "\"H\"=hex:01,\\ \t\n"
                                            "[HKEY_CURRENT_USER\\NotAKey]\n"
                                            "\"N\"=\"v\"\n\n"));
}

}  // namespace
