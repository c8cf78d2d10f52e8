#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Paths.h"

namespace platform {

namespace {

bool matchFrom(const QString& name, qsizetype n, const QString& mask, qsizetype m) {
    // Iterative match with one backtracking point for the last "*".
    qsizetype starMask = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == QLatin1Char('*')) {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == QLatin1Char('?') || name[n].toCaseFolded() == mask[m].toCaseFolded())) {
            ++n;
            ++m;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == QLatin1Char('*')) ++m;
    return m == mask.size();
}

}  // namespace

bool MatchesMask(const QString& name, const QString& mask) {
    if (mask == QStringLiteral("*.*")) return true;
    return matchFrom(name, 0, mask, 0);
}

void DeleteFiles(const QString& dir, const QString& mask) {
    const QString pattern = MapPath(dir + mask);
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folder =
        slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : pattern.left(slash));
    const QString wildcard = pattern.mid(slash + 1);
    if (wildcard.isEmpty()) return;
    const QDir searched(folder);
    const QStringList entries = searched.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& entry : entries) {
        if (!MatchesMask(entry, wildcard)) continue;
        const QString path = searched.filePath(entry);
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink()) continue;
        // A read-only file stays, as it would where these masks come from.
        // The owner's write bit stands for that attribute (its absence would not stop
        // the deletion here).
        if (!info.isSymLink() && !(info.permissions() & QFileDevice::WriteOwner)) continue;
        QFile::remove(path);  // a file that cannot be deleted stays
    }
}

QString CurrentDir() {
    QString path = QDir::currentPath();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

QString ApplicationTitle() {
    QString name = QCoreApplication::applicationName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    if (name.isEmpty()) return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

}  // namespace platform
