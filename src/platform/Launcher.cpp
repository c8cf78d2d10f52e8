#include "platform/Launcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include "platform/Paths.h"
#include "rtl/Exception.h"

namespace platform {

namespace {

const QString kDesktopOpener = QStringLiteral("xdg-open");

// How long xdg-open is given to report a failure. Handing the file to the desktop, it
// ends at once; where it runs the opening program itself it keeps running, and then
// that program has the file.
constexpr int kOpenerVerdictMs = 1500;

QString openerFailure(int exitCode) {
    switch (exitCode) {
        case 1:
            return QStringLiteral("xdg-open did not understand its command line");
        case 2:
            return QStringLiteral("the file does not exist");
        case 3:
            return QStringLiteral("no program is set up to open files of this kind");
        case 4:
            return QStringLiteral("the program set up to open files of this kind failed");
        default:
            return QStringLiteral("xdg-open ended with exit status %1").arg(exitCode);
    }
}

// The last line the opener wrote on its error output, which says what it tried.
QString lastLine(const QByteArray& output) {
    const QStringList lines = QString::fromLocal8Bit(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

bool openWithDesktop(const ProcessRequest& r) {
    if (r.arguments.isEmpty() || !QFileInfo::exists(r.arguments.first()))
        throw EInOutError(QStringLiteral("the file does not exist"));
    // The error output goes to a file, not a pipe: the program the opener starts may
    // inherit it and must not be hurt when nobody reads it any more.
    QTemporaryFile said;
    said.open();
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(r.program);
    process->setArguments(r.arguments);
    if (!r.workingFolder.isEmpty()) process->setWorkingDirectory(r.workingFolder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(said.isOpen() ? said.fileName() : QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        const QString reason =
            QStringLiteral("%1 cannot be started (%2)").arg(r.program, process->errorString());
        delete process;
        throw EInOutError(reason);
    }
    if (!process->waitForFinished(kOpenerVerdictMs)) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool crashed = process->exitStatus() == QProcess::CrashExit;
    const int code = process->exitCode();
    delete process;
    if (!crashed && code == 0) return true;
    QString reason = crashed ? QStringLiteral("xdg-open stopped abnormally") : openerFailure(code);
    const QString detail = lastLine(said.readAll());
    if (!detail.isEmpty()) reason += QStringLiteral(" (") + detail + QLatin1Char(')');
    throw EInOutError(reason);
}

bool startDetached(const ProcessRequest& r) {
    if (r.program == kDesktopOpener) return openWithDesktop(r);
    QProcess process;
    process.setProgram(r.program);
    process.setArguments(r.arguments);
    process.setWorkingDirectory(r.workingFolder);
    if (!process.startDetached()) throw EInOutError(process.errorString());
    return true;
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
    QString failure;  // the message of a failed launch, without its reason
    QString named;
    if (isNotepad(program)) {
        const QString file = unquoted(params);
        if (file.isEmpty()) return;  // nothing to open
        request.program = kDesktopOpener;
        request.arguments << MapPath(file);
        failure = QStringLiteral("Cannot open file \"%1\": %2");
        named = file;
    } else {
        if (program.trimmed().isEmpty()) return;
        request.program = MapPath(program);
        if (!params.isEmpty()) request.arguments << params;
        failure = QStringLiteral("Cannot start program \"%1\": %2");
        named = program;
    }
    // The user asked for the file to be opened: a launch that fails says so.
    QString reason;
    try {
        if (!runner()(request)) reason = QStringLiteral("it could not be started");
    } catch (const EInOutError& e) {
        reason = e.Message();
    }
    if (!reason.isEmpty()) throw EInOutError(failure.arg(named, reason));
}

}  // namespace platform
