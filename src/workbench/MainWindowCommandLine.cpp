// The command line: KEY=VALUE parameters that log in, connect and run one unattended
// export, processed once as the last step of the main window's first show.
#include <QCoreApplication>

#include "common/UtilityParent.h"
#include "db/Query.h"
#include "export/Eksport.h"
#include "framework/Application.h"
#include "framework/Dispatch.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"
#include "workbench/MainWindow.h"

namespace {

// Longer parameters are cut: no key or value of this program needs more.
constexpr int kMaxParameterLength = 4096;

}  // namespace

void TFMain::ProcessCommandLine() {
    // The shell has split the parameters already and grouped blanks in quotes.
    ProcessCommandLine(QCoreApplication::arguments().mid(1));
}

void TFMain::ProcessCommandLine(const QStringList& parameters) {
    // An error ends the processing here, in the default error box; the window then
    // opens for interactive use (it must not escape the show, which would hide it).
    Dispatch([&] {
        const TCharSet equals{QChar('=')};
        for (const QString& whole : parameters) {
            // Double quotes only group blanks and are never part of a parameter, so a
            // quoted value reads like a quoted whole even when no shell removed them.
            QString parameter = whole;
            parameter.remove(QChar('"'));
            parameter.truncate(kMaxParameterLength);
            const QString key = Cut(UpperCase(ExtractField(1, parameter, equals)), 255);
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
