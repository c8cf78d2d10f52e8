#include "platform/Paths.h"

#include <QDir>
#include <QtGlobal>

namespace platform {

namespace {

QString xdgFolder(const char* variable, const QString& fallbackUnderHome) {
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty()) base = QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
    return base + QStringLiteral("/zorvantic");
}

}  // namespace

QString ConfigFolder() {
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString DataFolder() {
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

namespace {

bool namesDrive(const QString& path) {
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].unicode() < 128 && path[0].isLetter();
}

}  // namespace

void EnsureDriveRoot(const QString& windowsPath) {
    if (namesDrive(windowsPath)) QDir().mkpath(MapPath(windowsPath.left(2) + QLatin1Char('\\')));
}

QString MapPath(const QString& windowsPath) {
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (namesDrive(path)) {
        const QChar drive = path[0].toLower();
        QString rest = path.mid(2);
        while (rest.startsWith(QLatin1Char('/'))) rest.remove(0, 1);
        return DataFolder() + QStringLiteral("/drive_") + drive + QLatin1Char('/') + rest;
    }
    return path;
}

}  // namespace platform
