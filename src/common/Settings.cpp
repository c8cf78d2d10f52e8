#include "common/Settings.h"

#include <QDir>
#include <array>

#include "common/MessageBoxes.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "rtl/SysUtils.h"

namespace {

const QString kDefaultKeyViolation = QStringLiteral("ey violation");
const QString kDefaultWarning = QStringLiteral("Uwaga");
const QString kDefaultInformation = QStringLiteral("Informacja");
const QString kDefaultError = QStringLiteral("Błąd");
const QString kDefaultQuestion = QStringLiteral("Pytanie");
const QString kDefaultAfterEdit = QStringLiteral("Edycja pliku konfiguracyjnego została zakończona");

const QString kVersion = QStringLiteral("09.01.2002");
const QString kDefaultStringsPath = QStringLiteral("C:\\Program Files\\Morvane\\Texts\\");

struct CaptionSetting {
    QString valueName;
    QString* variable;
    const QString* defaultText;
};

std::array<CaptionSetting, 6> captionSettings() {
    return {{
        {QStringLiteral("Common\\KeyViolation"), &KeyViolationCaption, &kDefaultKeyViolation},
        {QStringLiteral("Common\\Warning"), &WarningCaption, &kDefaultWarning},
        {QStringLiteral("Common\\Information"), &InformationCaption, &kDefaultInformation},
        {QStringLiteral("Common\\Error"), &ErrorCaption, &kDefaultError},
        {QStringLiteral("Common\\Question"), &QuestionCaption, &kDefaultQuestion},
        {QStringLiteral("Common\\AfterEdit"), &AfterEditMessage, &kDefaultAfterEdit},
    }};
}

// Settings that get a value of their own the first time they are asked for empty.
struct DefaultSetting {
    const char* name;  // upper case
    const char* value;
};

const DefaultSetting kPlainDefaults[] = {
    {"PRE_UPPERCASE", "UPPER("},
    {"POST_UPPERCASE", ")"},
    {"PRE_UPPERCASE_TEXT", "DUŻE("},
    {"POST_UPPERCASE_TEXT", ")"},
    {"ANY_CHARS", "%"},
    {"ANY_CHAR", "_"},
    {"DATEFORMAT", "Daty wprowadzać w formacie RRRR.MM.DD"},
    {"PRE_DATEFORMAT", "TO_DATE('"},
    {"POST_DATEFORMAT", "','YYYY.MM.DD')"},
    {"PRE_DATEFORMAT_TEXT", " "},
    {"POST_DATEFORMAT_TEXT", " "},
    {"ODBC", "Nie"},
};

void createDefaultSettingsFolder() {
    // Each folder in turn; one that exists or cannot be made is passed over.
    for (const char* folder :
         {"C:\\Program Files", "C:\\Program Files\\Morvane", "C:\\Program Files\\Morvane\\Texts"})
        QDir().mkpath(platform::MapPath(QString::fromUtf8(folder)));
}

QString defaultFor(const QString& upperName) {
    if (upperName == QStringLiteral("STRINGSPATH")) {
        createDefaultSettingsFolder();
        return kDefaultStringsPath;
    }
    if (upperName == QStringLiteral("SAVERESOURCES")) {
        const int answer = AskYesNo(
            QStringLiteral("Czy ten komputer jest bardzo dobry? (Tak - bardzo dobry, Nie - tylko dobry)"));
        return answer == 6 ? QStringLiteral("No") : QStringLiteral("Yes");
    }
    for (const auto& d : kPlainDefaults)
        if (upperName == QLatin1String(d.name)) return QString::fromUtf8(d.value);
    return QString();
}

bool hasDefault(const QString& upperName) {
    if (upperName == QStringLiteral("STRINGSPATH") || upperName == QStringLiteral("SAVERESOURCES"))
        return true;
    for (const auto& d : kPlainDefaults)
        if (upperName == QLatin1String(d.name)) return true;
    return false;
}

platform::TRegistry openSettingsKey() {
    platform::TRegistry reg(platform::RootKey::LocalMachine);
    // A key that cannot be created is not reported here: reads then give empty
    // texts and writes raise.
    reg.OpenKey(SettingsKey(), true);
    return reg;
}

}  // namespace

QString StringsPath;
QString ProgramVersion;
QString ProgramCaption;
QString StatusSuffix;
QString KeyViolationCaption = kDefaultKeyViolation;
QString WarningCaption = kDefaultWarning;
QString InformationCaption = kDefaultInformation;
QString ErrorCaption = kDefaultError;
QString QuestionCaption = kDefaultQuestion;
QString AfterEditMessage = kDefaultAfterEdit;

QString SettingsKey() {
    return QStringLiteral("SOFTWARE\\Morvane\\") + platform::ApplicationTitle();
}

QString ReadSetting(const QString& name) {
    platform::TRegistry reg = openSettingsKey();
    const QString upperName = Cut(UpperCase(name), kMaxSettingLength);
    if (hasDefault(upperName)) {
        QString current = reg.ReadString(upperName);
        const bool trimmed =
            upperName == QStringLiteral("STRINGSPATH") || upperName == QStringLiteral("SAVERESOURCES");
        if (trimmed) current = Trim(current);
        if (current.isEmpty()) reg.WriteString(upperName, defaultFor(upperName));
    }
    return Cut(reg.ReadString(upperName), kMaxSettingLength);
}

void WriteSetting(const QString& name, const QString& value) {
    platform::TRegistry reg = openSettingsKey();
    reg.WriteString(Cut(name, kMaxSettingLength), Cut(value, kMaxSettingLength));
}

void LoadMessageCaptions() {
    const auto settings = captionSettings();
    // Whatever happens while reading, no caption is left empty.
    struct RestoreDefaults {
        const std::array<CaptionSetting, 6>& settings;
        ~RestoreDefaults() {
            for (const auto& s : settings)
                if (s.variable->isEmpty()) *s.variable = *s.defaultText;
        }
    } restore{settings};
    for (const auto& s : settings) *s.variable = Cut(ReadSetting(s.valueName), kMaxCaptionLength);
}

void SaveMessageCaptions() {
    for (const auto& s : captionSettings()) WriteSetting(s.valueName, *s.variable);
}

void InitializeConfiguration() {
    const QString title = platform::ApplicationTitle();

    // Settings folder. A store that cannot keep the default (no key, no write access)
    // leaves it empty, and the current folder serves for this run.
    try {
        StringsPath = Cut(Trim(ReadSetting(QStringLiteral("StringsPATH"))), kMaxSettingLength);
    } catch (...) {
        StringsPath.clear();
    }
    if (Trim(StringsPath).isEmpty()) StringsPath = Cut(CurrentDir() + QChar('\\'), kMaxSettingLength);

    ProgramVersion = kVersion;
    ProgramCaption = Cut(title + QStringLiteral(" (") + ProgramVersion + QChar(')'), kMaxSettingLength);

    try {
        if (ReadSetting(QStringLiteral("Version")) != ProgramVersion) {
            ShowInfo(QStringLiteral("Jest to pierwsze uruchomienie aplikacji \"") + title +
                     QStringLiteral("\" w wersji \"") + ProgramVersion +
                     QStringLiteral("\" na tym komputerze. Zostaną utworzone nowe pliki konfiguracyjne"));
            WriteSetting(QStringLiteral("Version"), ProgramVersion);
            DeleteFiles(StringsPath, title + QStringLiteral(".*") + QStringLiteral(".cfg"));
            DeleteFiles(StringsPath, title + QStringLiteral(".*") + QStringLiteral(".rap"));
        }
    } catch (...) {
        ShowError(Cut(
            QStringLiteral("Nie powidło się usunięcie plików. Sprawdź, czy możesz usuwać pliki z folderu:") +
                StringsPath + QStringLiteral(" Jeśli nie, to zgłoś się do administratora."),
            kMaxSettingLength));
    }

    try {
        LoadMessageCaptions();
    } catch (...) {
        ShowError(Cut(
            QStringLiteral("Pojawił się nieoczekiwany błąd podczas próby odczytania parametrów "
                           "konfiguracyjnych. Proszę sprawdzić, czy zmienna środowiskowa StringsPATH jest "
                           "prawidłowo ustawiona. Ma ona wartość: ") +
                StringsPath,
            kMaxSettingLength));
    }
}

void FinalizeConfiguration() {
    // At exit there is no window left to report to and nothing the user could do;
    // captions that cannot be stored keep their defaults next time.
    try {
        SaveMessageCaptions();
    } catch (...) {
    }
}

void DeleteFiles(const QString& dir, const QString& mask) {
    platform::DeleteFiles(dir, mask);
}

QString CurrentDir() {
    return platform::CurrentDir();
}
