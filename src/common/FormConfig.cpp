#include "common/FormConfig.h"

#include <QFileInfo>
#include <QStyle>

#include "common/Helpers.h"
#include "common/MessageBoxes.h"
#include "common/Settings.h"
#include "framework/ControlPlacement.h"
#include "framework/Dispatch.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "platform/Files.h"
#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"

TFormConfig::TFormConfig(TComponent* owner) : TForm(owner) {
    SetName(QStringLiteral("FormConfig"));
    SetCaption(QStringLiteral("FormConfig"));
    SetFont(TFont{DesignFont(QStringLiteral("Arial"), 11)});
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(544, 300);

    Status = Dock<TPanel>(this, this, "Status", TAlign::alBottom, 19);
    BUstawieniaFormularza = Place<TBitBtn>(this, Status, "BUstawieniaFormularza", 0, 1, 17, 19);
    BUstawieniaFormularza->SetGlyph(StandardGlyph(QStyle::SP_FileDialogDetailedView));
    BUstawieniaFormularza->SetHint(
        QStringLiteral("Zmień ustawienia konfiguracyjne formularza (zaawansowane)"));

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    BUstawieniaFormularza->OnClick = [this](TObject* s) { BUstawieniaFormularzaClick(s); };
}

void TFormConfig::FormCreate(TObject*) {
    // An administrator's "Restore" makes this one start ignore the file; the next close
    // writes a fresh one from the design values.
    if (ReadSetting(Name()) == QLatin1String("Restore")) {
        WriteSetting(Name(), QString());
        return;
    }
    LoadFormConfig();
}

void TFormConfig::FormShow(TObject*) {
    UpdateStatusCaption();
}

void TFormConfig::FormClose(TObject*, TCloseAction&) {
    // A file that cannot be written is reported; the window still closes.
    Dispatch([this] { SaveFormConfig(); });
}

void TFormConfig::BUstawieniaFormularzaClick(TObject*) {
    SaveFormConfig();
    RunProgram(QStringLiteral("NotePad.exe"), ConfigFileName(QStringLiteral("cfg")), QString(),
               platform::SW_SHOWMAXIMIZED);
    // The box holds the program until the user says the editing is over.
    ShowInfo(AfterEditMessage);
    LoadFormConfig();
}

QString TFormConfig::ConfigFileName(const QString& ext) const {
    return (StringsPath + platform::ApplicationTitle() + QChar('.') + Name() + QChar('.') + ext)
        .left(kMaxSettingLength);
}

void TFormConfig::SaveFormConfig() {
    const QString fileName = ConfigFileName(QStringLiteral("cfg"));
    const QByteArray bytes = FormConfigBytes(*this, fileName);
    // Written aside and renamed over the old file: a failed write never leaves the
    // user's hand edits half overwritten.
    platform::ReplaceFile(platform::MapPath(fileName), bytes);
}

void TFormConfig::LoadFormConfig() {
    const QString fileName = ConfigFileName(QStringLiteral("cfg"));
    const QString path = platform::MapPath(fileName);
    if (!QFileInfo::exists(path)) return;
    const FormConfigOutcome outcome = ApplyFormConfig(*this, platform::ReadLocalFile(path));
    if (outcome.kind == FormConfigOutcome::Damaged)
        ShowInfo(QStringLiteral("Plik konfiguracyjny ") + fileName +
                 QStringLiteral(" jest uszkodzony. Plik zostanie zastąpiony poprawnym plikiem "
                                "konfiguracyjnym. (Obiekt=") +
                 outcome.object + QStringLiteral(")"));
}

void TFormConfig::UpdateStatusCaption() {
    Status->SetCaption((ProgramCaption + QStringLiteral("     ") + StatusSuffix).left(kMaxSettingLength));
}
