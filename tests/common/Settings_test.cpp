#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include "common/MessageBoxes.h"
#include "common/Settings.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "rtl/Exception.h"
#include "support/TestEnv.h"

namespace {

const QString kFirstRunText = QStringLiteral(
    "Jest to pierwsze uruchomienie aplikacji \"Zorvantic\" w wersji \"09.01.2002\" na tym komputerze. "
    "Zostaną utworzone nowe pliki konfiguracyjne");

QString settingsFolder() {
    return platform::MapPath(QStringLiteral("C:\\Program Files\\Morvane\\Texts"));
}

QString hiveText() {
    return platform::FromCp1250(testenv::ReadFile(platform::HiveFileName(platform::RootKey::LocalMachine)));
}

void writeHive(const QString& valueLines) {
    testenv::WriteFile(
        platform::HiveFileName(platform::RootKey::LocalMachine),
        platform::ToCp1250(
            QStringLiteral("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zorvantic]\n") + valueLines));
}

QString stored(const QString& name) {
    platform::TRegistry reg(platform::RootKey::LocalMachine);
    reg.OpenKey(QStringLiteral("SOFTWARE\\Morvane\\Zorvantic"), false);
    return reg.ReadString(name);
}

class Configuration : public ::testing::Test {
  protected:
    void SetUp() override {
        StringsPath.clear();
        ProgramVersion.clear();
        ProgramCaption.clear();
        KeyViolationCaption = QStringLiteral("ey violation");
        WarningCaption = QStringLiteral("Uwaga");
        InformationCaption = QStringLiteral("Informacja");
        ErrorCaption = QStringLiteral("Błąd");
        QuestionCaption = QStringLiteral("Pytanie");
        AfterEditMessage = QStringLiteral("Edycja pliku konfiguracyjnego została zakończona");
    }
    platform::ScriptedDialogs& dialogs() { return testenv::Dialogs(); }
};

}  // namespace

TEST_F(Configuration, FirstRunStoresDefaultsAsksOnceAndCleansSettingsFolderTheSecondDoesNot) {
    for (const char* name : {"Zorvantic.FMain.cfg", "Zorvantic.FEksport.rap", "zorvantic.x.CFG",
                             "Zorvantic.keep.txt", "Other.FMain.cfg", "Zorvantic.cfg"})
        testenv::WriteFile(settingsFolder() + QChar('/') + QLatin1String(name), "x");

    InitializeConfiguration();

    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Informacja"));
    EXPECT_EQ(dialogs().boxes[0].text, kFirstRunText);
    EXPECT_EQ(dialogs().boxes[0].icon, platform::BoxIcon::Information);
    EXPECT_TRUE(dialogs().boxes[0].taskModal);

    const QString hive = hiveText();
    EXPECT_TRUE(hive.contains(QStringLiteral("\"Version\"=\"09.01.2002\""))) << hive.toStdString();
    EXPECT_TRUE(
        hive.contains(QStringLiteral("\"STRINGSPATH\"=\"C:\\\\Program Files\\\\Morvane\\\\Texts\\\\\"")))
        << hive.toStdString();
    EXPECT_EQ(StringsPath, QStringLiteral("C:\\Program Files\\Morvane\\Texts\\"));
    EXPECT_EQ(ProgramVersion, QStringLiteral("09.01.2002"));
    EXPECT_EQ(ProgramCaption, QStringLiteral("Zorvantic (09.01.2002)"));

    const QStringList left = QDir(settingsFolder()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left.join(QChar(' ')).toStdString(), "Other.FMain.cfg Zorvantic.cfg Zorvantic.keep.txt");

    // The second run shows nothing and deletes nothing.
    FinalizeConfiguration();
    testenv::WriteFile(settingsFolder() + QStringLiteral("/Zorvantic.FMain.cfg"), "x");
    dialogs().clear();
    SetUp();
    InitializeConfiguration();
    EXPECT_TRUE(dialogs().boxes.empty());
    EXPECT_TRUE(QFile::exists(settingsFolder() + QStringLiteral("/Zorvantic.FMain.cfg")));
}

TEST_F(Configuration, AnyOtherStoredVersionCountsAsFirstRun) {
    for (const QString& version : {QStringLiteral("09.01.2001"), QStringLiteral("09.01.2002 "), QString()}) {
        writeHive(QStringLiteral("\"Version\"=\"%1\"\n").arg(version));
        dialogs().clear();
        InitializeConfiguration();
        EXPECT_EQ(dialogs().boxTexts(), QStringList{kFirstRunText}) << version.toStdString();
        EXPECT_EQ(stored(QStringLiteral("Version")), QStringLiteral("09.01.2002"));
    }
}

TEST_F(Configuration, FirstRunBoxKeepsDefaultCaptionWhateverIsStored) {
    writeHive(QStringLiteral("\"Common\\\\Information\"=\"Info\"\n"));
    InitializeConfiguration();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Informacja"));
    EXPECT_EQ(InformationCaption, QStringLiteral("Info"));
}

TEST_F(Configuration, CaptionsAreWrittenBackAtFinalisation) {
    InitializeConfiguration();
    EXPECT_EQ(stored(QStringLiteral("Common\\Error")), QString());
    ErrorCaption = QStringLiteral("Kłopot");
    FinalizeConfiguration();
    EXPECT_EQ(stored(QStringLiteral("Common\\KeyViolation")), QStringLiteral("ey violation"));
    EXPECT_EQ(stored(QStringLiteral("Common\\Warning")), QStringLiteral("Uwaga"));
    EXPECT_EQ(stored(QStringLiteral("Common\\Information")), QStringLiteral("Informacja"));
    EXPECT_EQ(stored(QStringLiteral("Common\\Error")), QStringLiteral("Kłopot"));
    EXPECT_EQ(stored(QStringLiteral("Common\\Question")), QStringLiteral("Pytanie"));
    EXPECT_EQ(stored(QStringLiteral("Common\\AfterEdit")),
              QStringLiteral("Edycja pliku konfiguracyjnego została zakończona"));
    // The next run uses the stored caption.
    SetUp();
    InitializeConfiguration();
    EXPECT_EQ(ErrorCaption, QStringLiteral("Kłopot"));
}

TEST_F(Configuration, StoredSettingsFolderWithoutFinalBackslashIsAPlainPrefix) {
    writeHive(QStringLiteral("\"StringsPATH\"=\"D:\\\\cfg\"\n"));
    const QString drive = platform::MapPath(QStringLiteral("D:\\"));
    testenv::WriteFile(drive + QStringLiteral("cfgZorvantic.FMain.cfg"), "x");
    testenv::WriteFile(drive + QStringLiteral("cfgZorvantic.FMain.rap"), "x");
    testenv::WriteFile(drive + QStringLiteral("cfg/Zorvantic.FMain.cfg"), "x");
    InitializeConfiguration();
    EXPECT_EQ(StringsPath, QStringLiteral("D:\\cfg"));
    EXPECT_FALSE(QFile::exists(drive + QStringLiteral("cfgZorvantic.FMain.cfg")));
    EXPECT_FALSE(QFile::exists(drive + QStringLiteral("cfgZorvantic.FMain.rap")));
    EXPECT_TRUE(QFile::exists(drive + QStringLiteral("cfg/Zorvantic.FMain.cfg")));
}

TEST_F(Configuration, BlankSettingsFolderIsReplacedByTheDefault) {
    writeHive(QStringLiteral("\"StringsPATH\"=\"   \"\n"));
    InitializeConfiguration();
    EXPECT_EQ(StringsPath, QStringLiteral("C:\\Program Files\\Morvane\\Texts\\"));
    EXPECT_EQ(stored(QStringLiteral("StringsPath")), QStringLiteral("C:\\Program Files\\Morvane\\Texts\\"));
}

TEST_F(Configuration, EmptyCaptionGivesDefaultAndLongOneIsCut) {
    const QString longCaption = QString(300, QChar(u'ż'));
    writeHive(QStringLiteral("\"Common\\\\Error\"=\"\"\n\"Common\\\\Question\"=\"%1\"\n").arg(longCaption));
    LoadMessageCaptions();
    EXPECT_EQ(ErrorCaption, QStringLiteral("Błąd"));
    EXPECT_EQ(QuestionCaption, longCaption.left(230));
}

TEST_F(Configuration, UnreadableCaptionReportsAndLeavesNoCaptionEmpty) {
    writeHive(
        QStringLiteral("\"Version\"=\"09.01.2002\"\n\"Common\\\\Warning\"=\"\"\n"
                       "\"Common\\\\Information\"=\"Info\"\n\"Common\\\\Error\"=dword:00000001\n"));
    InitializeConfiguration();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_TRUE(dialogs().boxes[0].text.startsWith(QStringLiteral(
        "Pojawił się nieoczekiwany błąd podczas próby odczytania parametrów konfiguracyjnych. Proszę "
        "sprawdzić, czy zmienna środowiskowa StringsPATH jest prawidłowo ustawiona. Ma ona wartość: ")));
    EXPECT_EQ(dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(InformationCaption, QStringLiteral("Info"));
    EXPECT_EQ(WarningCaption, QStringLiteral("Uwaga"));
    EXPECT_EQ(ErrorCaption, QStringLiteral("Błąd"));
}

TEST_F(Configuration, CleanUpErrorWithLongFolderIsCutTo255) {
    const QString folder = QStringLiteral("D:\\") + QString(240, QChar('x')) + QChar('\\');
    QString escaped = folder;
    escaped.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    writeHive(QStringLiteral("\"StringsPATH\"=\"%1\"\n\"Version\"=hex:01\n").arg(escaped));
    InitializeConfiguration();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    const QString expected =
        QStringLiteral("Nie powidło się usunięcie plików. Sprawdź, czy możesz usuwać pliki z folderu:") +
        folder + QStringLiteral(" Jeśli nie, to zgłoś się do administratora.");
    EXPECT_EQ(dialogs().boxes[0].text, expected.left(255));
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Błąd"));
}

TEST_F(Configuration, SettingsStoreThatCannotBeWrittenDoesNotStopStartUp) {
    testenv::WriteFile(qEnvironmentVariable("XDG_CONFIG_HOME"), "not a folder");
    EXPECT_NO_THROW(InitializeConfiguration());
    EXPECT_EQ(StringsPath, CurrentDir() + QChar('\\'));
    // The user hears of it: the version cannot be stored, so the clean-up error follows.
    ASSERT_EQ(dialogs().boxes.size(), 2u);
    EXPECT_EQ(dialogs().boxes[0].text, kFirstRunText);
    EXPECT_TRUE(dialogs().boxes[1].text.startsWith(QStringLiteral("Nie powidło się usunięcie plików.")));
    EXPECT_EQ(InformationCaption, QStringLiteral("Informacja"));
    EXPECT_NO_THROW(FinalizeConfiguration());
    EXPECT_THROW(WriteSetting(QStringLiteral("x"), QStringLiteral("y")), ERegistryException);
    EXPECT_EQ(ReadSetting(QStringLiteral("Version")), QString());
}

TEST(Settings, NamesIgnoreLetterCaseAndBuiltInDefaultsAreWrittenOnlyWhenEmpty) {
    WriteSetting(QStringLiteral("FInfo"), QStringLiteral("Restore"));
    EXPECT_EQ(ReadSetting(QStringLiteral("FINFO")), QStringLiteral("Restore"));
    EXPECT_TRUE(hiveText().contains(QStringLiteral("\"FInfo\"=\"Restore\"")));
    EXPECT_EQ(ReadSetting(QStringLiteral("pre_uppercase")), QStringLiteral("UPPER("));
    EXPECT_EQ(ReadSetting(QStringLiteral("PRE_UPPERCASE_TEXT")), QStringLiteral("DUŻE("));
    EXPECT_EQ(ReadSetting(QStringLiteral("DateFormat")),
              QStringLiteral("Daty wprowadzać w formacie RRRR.MM.DD"));
    EXPECT_EQ(ReadSetting(QStringLiteral("POST_DATEFORMAT")), QStringLiteral("','YYYY.MM.DD')"));
    EXPECT_EQ(ReadSetting(QStringLiteral("PRE_DATEFORMAT_TEXT")), QStringLiteral(" "));
    EXPECT_TRUE(hiveText().contains(QStringLiteral("\"PRE_UPPERCASE\"=\"UPPER(\"")));
    WriteSetting(QStringLiteral("ODBC"), QStringLiteral("Tak"));
    EXPECT_EQ(ReadSetting(QStringLiteral("odbc")), QStringLiteral("Tak"));
    // Only the exact names have defaults.
    EXPECT_EQ(ReadSetting(QStringLiteral("ANY_CHARS ")), QString());
    EXPECT_EQ(ReadSetting(QStringLiteral("ANY_CHARS")), QStringLiteral("%"));
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST(Settings, SaveResourcesAsksOnceAndStoresTheOppositeAnswer) {
    testenv::Dialogs().answers = {platform::IDYES};
    EXPECT_EQ(ReadSetting(QStringLiteral("SaveResources")), QStringLiteral("No"));
    EXPECT_EQ(ReadSetting(QStringLiteral("SAVERESOURCES")), QStringLiteral("No"));
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].buttons, platform::BoxButtons::YesNo);
    EXPECT_EQ(testenv::Dialogs().boxes[0].caption, QuestionCaption);
    WriteSetting(QStringLiteral("SAVERESOURCES"), QStringLiteral("  "));
    testenv::Dialogs().answers = {platform::IDNO};
    EXPECT_EQ(ReadSetting(QStringLiteral("saveresources")), QStringLiteral("Yes"));
    EXPECT_EQ(testenv::Dialogs().boxes.size(), 2u);
}

TEST(Settings, LongNamesAndValuesAreCutTo255) {
    const QString longValue = QString(300, QChar('v'));
    WriteSetting(QStringLiteral("Long"), longValue);
    EXPECT_EQ(stored(QStringLiteral("Long")), longValue.left(255));
    writeHive(QStringLiteral("\"Long\"=\"%1\"\n").arg(longValue));
    EXPECT_EQ(ReadSetting(QStringLiteral("long")), longValue.left(255));
    EXPECT_EQ(stored(QStringLiteral("Long")), longValue);  // reading does not shorten what is stored
    const QString longName = QString(260, QChar('n'));
    WriteSetting(longName, QStringLiteral("x"));
    EXPECT_EQ(ReadSetting(longName), QStringLiteral("x"));
    EXPECT_EQ(stored(longName.left(255)), QStringLiteral("x"));
}

TEST(MessageBoxes, CaptionsIconsButtonsAndAnswers) {
    auto& d = testenv::Dialogs();
    ShowInfo(QStringLiteral("i"));
    ShowError(QStringLiteral("e"));
    d.answers = {platform::IDNO, platform::IDYES, platform::IDCANCEL};
    EXPECT_EQ(AskYesNo(QStringLiteral("q")), 7);
    EXPECT_EQ(AskYesNo(QStringLiteral("q")), 6);
    EXPECT_EQ(AskYesNo(QStringLiteral("q")), 7);
    ASSERT_EQ(d.boxes.size(), 5u);
    EXPECT_EQ(d.boxes[0].caption, InformationCaption);
    EXPECT_EQ(d.boxes[0].icon, platform::BoxIcon::Information);
    EXPECT_EQ(d.boxes[0].buttons, platform::BoxButtons::Ok);
    EXPECT_EQ(d.boxes[1].caption, ErrorCaption);
    EXPECT_EQ(d.boxes[1].icon, platform::BoxIcon::Error);
    EXPECT_EQ(d.boxes[2].caption, QuestionCaption);
    EXPECT_EQ(d.boxes[2].icon, platform::BoxIcon::Question);
    EXPECT_EQ(d.boxes[2].buttons, platform::BoxButtons::YesNo);
    EXPECT_EQ(d.boxes[2].defaultAnswer, platform::IDYES) << "Enter answers Yes";
    for (const auto& b : d.boxes) EXPECT_TRUE(b.taskModal);
    const QString saved = ErrorCaption;
    ErrorCaption = QStringLiteral("Kłopot");
    ShowError(QStringLiteral("x"));
    EXPECT_EQ(d.boxes.back().caption, QStringLiteral("Kłopot"));
    ErrorCaption = saved;
}
