// The window settings file reader: any file applies as far as it goes to a window with
// the usual controls, never crashes, and the window's own file is read back whole.
#include <QApplication>
#include <cstdlib>

#include "FuzzSupport.h"
#include "common/FormConfigFile.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace {

TForm* window() {
    static TForm* form = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "formconfig_fuzz";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
        auto* app = new TApplication();
        auto* f = app->CreateForm<TForm>();
        f->SetName(QStringLiteral("FTest"));
        auto* edit = new TEdit(f);
        edit->SetName(QStringLiteral("E1"));
        auto* memo = new TMemo(f);
        memo->SetName(QStringLiteral("M1"));
        memo->SetTag(PersistContentTag);
        auto* check = new TCheckBox(f);
        check->SetName(QStringLiteral("C1"));
        return f;
    }();
    return form;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TForm& form = *window();
    (void)ApplyFormConfig(form, fuzz::Bytes(data, size));
    ConfigLineReader lines(fuzz::Bytes(data, size));
    for (int i = 0; i < 64 && !lines.AtEnd(); ++i) (void)lines.ReadLine();
    return 0;
}
