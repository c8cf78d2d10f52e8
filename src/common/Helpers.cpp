#include "common/Helpers.h"

#include <QClipboard>
#include <QGuiApplication>

#include "common/MessageBoxes.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "platform/Launcher.h"
#include "rtl/SysUtils.h"

void RunProgram(const QString& fileName, const QString& params, const QString& dir, int showCmd) {
    // The launcher may wait a moment for the opener's verdict.
    const BusyCursor busy;
    platform::ShellExecute(fileName, params, dir, showCmd);
}

void CopyTextToClipboard(const QString& s) {
    if (Application() == nullptr || Application()->MainForm() == nullptr) {
        ShowError(QStringLiteral("Aplikacja bez formularza główego, nie można wykonać CopyToClipBoard S=") +
                  s);
        return;
    }
    QGuiApplication::clipboard()->setText(s, QClipboard::Clipboard);
}

namespace {

QString trimBlanks(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin] == QChar(' ')) ++begin;
    while (end > begin && s[end - 1] == QChar(' ')) --end;
    return s.mid(begin, end - begin);
}

}  // namespace

QString TableNameFromSQL(const QString& sql) {
    QString s = sql;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s = UpperCase(trimBlanks(s));
    s.replace(QChar(','), QChar(' '));
    const qsizetype from = s.indexOf(QStringLiteral(" FROM "));
    // Without " FROM " nothing names a table; the caller's field then starts empty.
    if (from < 0) return QString();
    s = Trim(s.mid(from + 6, 65535));
    const qsizetype blank = s.indexOf(QChar(' '));
    if (blank >= 0) s.truncate(blank);
    return s;
}
