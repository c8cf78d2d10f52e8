#include <gtest/gtest.h>
#include <QFile>

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"
#include "support/TestEnv.h"

using namespace platform;

TEST(IniFile, BareNameLivesInSettingsFolderWithIniExtension) {
    EXPECT_EQ(IniFilePath(QStringLiteral("Konwerter")), ConfigFolder() + QStringLiteral("/Konwerter.ini"));
    EXPECT_EQ(IniFilePath(QStringLiteral("aliases.conf")), ConfigFolder() + QStringLiteral("/aliases.conf"));
    EXPECT_EQ(IniFilePath(QStringLiteral("C:\\x\\a.ini")), MapPath(QStringLiteral("C:\\x\\a.ini")));
    TIniFile ini(QStringLiteral("Konwerter"));
    ini.WriteString(QStringLiteral("FKonwerter"), QStringLiteral("Left"), QStringLiteral("10"));
    EXPECT_TRUE(QFile::exists(ConfigFolder() + QStringLiteral("/Konwerter.ini")));
}

TEST(IniFile, ReadsAndWritesWithoutLetterCase) {
    TIniFile ini(QStringLiteral("Konwerter"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("def")),
              QStringLiteral("def"));
    ini.WriteString(QStringLiteral("Main"), QStringLiteral("Caption"), QStringLiteral("Źródło"));
    ini.WriteString(QStringLiteral("MAIN"), QStringLiteral("CAPTION"), QStringLiteral("Cel"));
    ini.WriteString(QStringLiteral("main"), QStringLiteral("Width"), QStringLiteral("300"));
    ini.WriteString(QStringLiteral("Other"), QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("main"), QStringLiteral("caption"), QString()),
              QStringLiteral("Cel"));
    EXPECT_EQ(ini.ReadSections(), (QStringList{"Main", "Other"}));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("MAIN")), (QStringList{"Caption", "Width"}));
    EXPECT_EQ(testenv::ReadFile(ini.FileName()),
              QByteArray("[Main]\nCaption=Cel\nWidth=300\n[Other]\na=b\n"));
    ini.EraseSection(QStringLiteral("main"));  // only that section goes
    EXPECT_EQ(ini.ReadSections(), QStringList{QStringLiteral("Other")});
    EXPECT_EQ(ini.ReadString(QStringLiteral("Other"), QStringLiteral("a"), QString()), QStringLiteral("b"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Main"), QStringLiteral("Width"), QStringLiteral("gone")),
              QStringLiteral("gone"));
}

TEST(IniFile, KeepsCommentsAndUnknownLinesAndReadsCp1250) {
    testenv::WriteFile(ConfigFolder() + QStringLiteral("/k.ini"),
                       "; settings\r\n[A]\r\nx = \xB3\xF3\x64\xBC\r\nnoise line\r\n\r\n[B]\r\ny=1\r\n");
    TIniFile ini(QStringLiteral("k.ini"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("a"), QStringLiteral("X"), QString()), QStringLiteral("łódĽ"));
    ini.WriteString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("2"));
    EXPECT_EQ(testenv::ReadFile(ini.FileName()),
              QByteArray("; settings\n[A]\nx = \xB3\xF3\x64\xBC\nnoise line\nz=2\n\n[B]\ny=1\n"));
}

TEST(IniFile, StrictParseNamesTheFirstBadLine) {
    const QString path = testenv::Root() + QStringLiteral("/aliases.conf");
    TIniFile ini(path);
    EXPECT_FALSE(ini.FirstMalformedLine().has_value());  // missing file
    testenv::WriteFile(path,
                       "# aliases\n[ORCL]\nDRIVER=SQLITE\n\n[PG]\nPATH=x\nthis line is wrong\nlast=1\n");
    auto bad = ini.FirstMalformedLine();
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(bad->number, 7);
    EXPECT_EQ(bad->text, QStringLiteral("this line is wrong"));
    testenv::WriteFile(path, "KEY=before any section\n[A]\n");
    EXPECT_EQ(ini.FirstMalformedLine()->number, 1);
    testenv::WriteFile(path, "[A]\n=no key\n");
    EXPECT_EQ(ini.FirstMalformedLine()->number, 2);
    testenv::WriteFile(path, "[A]\r\nk=v\r\n; fine\r\n");
    EXPECT_FALSE(ini.FirstMalformedLine().has_value());
}

TEST(IniFile, UnwritableFileRaisesAndKeepsItsContent) {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    testenv::WriteFile(config, "not a folder");
    TIniFile ini(QStringLiteral("Konwerter"));
    EXPECT_THROW(ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")), EInOutError);
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
}
