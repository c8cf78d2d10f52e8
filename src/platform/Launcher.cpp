#include "platform/Launcher.h"

#include <QProcess>

#include "platform/Paths.h"

namespace platform {

namespace {

bool startDetached(const ProcessRequest& r) {
    return QProcess::startDetached(r.program, r.arguments, r.workingFolder);
}

CommandRunner& runner() {
    static CommandRunner current = startDetached;
    return current;
}

QString baseName(const QString& windowsName) {
    QString name = windowsName.trimmed();
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/')));
    return name.mid(cut + 1);
}

bool isNotepad(const QString& program) {
    const QString name = baseName(program);
    return name.compare(QStringLiteral("notepad.exe"), Qt::CaseInsensitive) == 0 ||
           name.compare(QStringLiteral("notepad"), Qt::CaseInsensitive) == 0;
}

// Notepad takes a file name in double quotes as one name; the quotes are not part of it.
QString unquoted(const QString& s) {
    const QString t = s.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        return t.mid(1, t.size() - 2);
    return t;
}

}  // namespace

void SetCommandRunner(CommandRunner r) {
    runner() = r ? std::move(r) : CommandRunner(startDetached);
}

void ShellExecute(const QString& program, const QString& params, const QString& dir, int /*showCmd*/) {
    ProcessRequest request;
    if (!dir.isEmpty()) request.workingFolder = MapPath(dir);
    if (isNotepad(program)) {
        const QString file = unquoted(params);
        if (file.isEmpty()) return;  // nothing to open
        request.program = QStringLiteral("xdg-open");
        request.arguments << MapPath(file);
    } else {
        if (program.trimmed().isEmpty()) return;
        request.program = MapPath(program);
        if (!params.isEmpty()) request.arguments << params;
    }
    runner()(request);  // a failed start is not reported
}

}  // namespace platform
