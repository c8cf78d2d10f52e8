#include "framework/Dialogs.h"

#include "seam/DialogSeam.h"

namespace {

// "*.sql" and ".sql" both mean the extension sql.
QString bareExtension(QString ext) {
    while (ext.startsWith(QChar('*')) || ext.startsWith(QChar('.'))) ext.remove(0, 1);
    return ext;
}

platform::FileDialogRequest requestOf(const QString& title, const QString& fileName, const QString& filter,
                                      const QString& ext, bool overwrite) {
    platform::FileDialogRequest r;
    r.title = title;
    r.fileName = fileName;
    r.filter = filter;
    r.defaultExtension = bareExtension(ext);
    r.confirmOverwrite = overwrite;
    return r;
}

}  // namespace

bool TOpenDialog::Execute() {
    auto chosen = platform::Dialogs().openFile(requestOf(title_, fileName_, filter_, defaultExt_, false));
    if (!chosen) return false;
    fileName_ = *chosen;
    return true;
}

bool TSaveDialog::Execute() {
    auto chosen =
        platform::Dialogs().saveFile(requestOf(title_, fileName_, filter_, defaultExt_, overwritePrompt_));
    if (!chosen) return false;
    fileName_ = *chosen;
    return true;
}

bool TFontDialog::Execute() {
    auto chosen = platform::Dialogs().chooseFont(font_.font);
    if (!chosen) return false;
    font_.font = *chosen;
    return true;
}

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue) {
    platform::InputRequest r;
    r.caption = caption;
    r.prompt = prompt;
    r.defaultValue = defaultValue;
    auto answer = platform::Dialogs().inputText(r);
    return answer ? *answer : defaultValue;
}
