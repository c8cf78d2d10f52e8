// The command line: KEY=VALUE parameters that log in, connect and run one unattended
// export, processed once as the last step of the main window's first show.
#include "common/UtilityParent.h"
#include "db/Query.h"
#include "export/Eksport.h"
#include "framework/Application.h"
#include "framework/Dispatch.h"
#include "framework/StdCtrls.h"
#include "platform/ProgramArguments.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"
#include "workbench/MainWindow.h"

namespace {

// No key or value of this program needs more; a longer parameter is refused, never cut.
constexpr int kMaxParameterLength = 4096;

// A parameter as the program reads it: double quotes only group blanks and are never
// part of it, so a quoted value reads like a quoted whole even when no shell removed them.
QString withoutQuotes(const QString& whole) {
    QString parameter = whole;
    parameter.remove(QChar('"'));
    return parameter;
}

QString keyOf(const QString& parameter) {
    return Cut(UpperCase(ExtractField(1, parameter, TCharSet{QChar('=')})), 255);
}

}  // namespace

void TFMain::ProcessCommandLine() {
    // The shell has split the parameters already and grouped blanks in quotes.
    const QStringList parameters = platform::ProgramParameters();
    // Read once; from now on the process list shows no password.
    for (int i = 0; i < parameters.size(); ++i)
        if (keyOf(withoutQuotes(parameters[i])) == QLatin1String("PASSWORD")) platform::HideParameterValue(i);
    ProcessCommandLine(parameters);
}

void TFMain::ProcessCommandLine(const QStringList& parameters) {
    // An error ends the processing here, in the default error box; the window then
    // opens for interactive use (it must not escape the show, which would hide it).
    Dispatch([&] {
        const TCharSet equals{QChar('=')};
        for (const QString& whole : parameters) {
            const QString parameter = withoutQuotes(whole);
            const QString key = keyOf(parameter);
            if (parameter.size() > kMaxParameterLength) {
                // A cut EXPORT could lose its configuration and end as if it had worked.
                Application()->SetExitCode(1);
                throw Exception(QStringLiteral("The command-line parameter %1 is longer than %2 characters")
                                    .arg(key)
                                    .arg(kMaxParameterLength));
            }
            const QString value = ExtractField(2, parameter, equals);
            if (key == QLatin1String("ALIAS")) {
                // The alias must match an item letter for letter; none selected otherwise.
                const QString alias = Cut(value, 255);
                int found = -1;
                for (int i = 0; i < DatabaseName->Items().Count() && found < 0; ++i)
                    if (DatabaseName->Items()[i] == alias) found = i;
                DatabaseName->SetItemIndex(found);
                BConnectClick(this);
            } else if (key == QLatin1String("USERNAME")) {
                EUserName->SetText(value);
            } else if (key == QLatin1String("PASSWORD")) {
                EPassword->SetText(value);
            } else if (key == QLatin1String("EXPORT")) {
                const TCharSet semicolon{QChar(';')};
                const QString configFile = ExtractField(2, value, semicolon);
                // A calling script learns from the exit status whether the export it asked
                // for wrote its file; the status stays set when anything below fails.
                const bool exports = !Trim(configFile).isEmpty();
                if (exports) Application()->SetExitCode(1);
                SQL1->SetText(ExtractField(1, value, semicolon));
                SetActiveControl(SQL1);
                BWykonajClick(this);
                ShowEksport(MainQuery, Grid, configFile);
                if (exports && FEksport->ExportWritten) Application()->SetExitCode(0);
                Application()->Terminate();
            } else {
                ShowError(QStringLiteral("Unrecognized command:") + key);
            }
        }
    });
}
