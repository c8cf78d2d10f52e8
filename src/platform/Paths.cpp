#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QtGlobal>
#include <deque>

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

namespace {

// The kernel gives up after 40 links in one lookup; so does the check.
constexpr int kMaxLinks = 40;

void prependParts(std::deque<QString>& pending, const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) pending.push_front(*it);
}

std::optional<QString> linkTarget(const QString& path) {
    const QByteArray local = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(local.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::nullopt;
    QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, '\0');
    const ssize_t n = ::readlink(local.constData(), target.data(), static_cast<size_t>(target.size()));
    if (n < 0) return std::nullopt;
    target.truncate(n);
    return QFile::decodeName(target);
}

}  // namespace

std::optional<QString> ResolvedPath(const QString& path) {
    const QString mapped = MapPath(path);
    std::deque<QString> pending;
    prependParts(pending,
                 QDir::isAbsolutePath(mapped) ? mapped : QDir::currentPath() + QLatin1Char('/') + mapped);
    QString resolved;  // empty: the root
    int links = 0;
    while (!pending.empty()) {
        const QString part = pending.front();
        pending.pop_front();
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            // `resolved` holds no link, so its parent is the real one.
            resolved.truncate(std::max<qsizetype>(0, resolved.lastIndexOf(QLatin1Char('/'))));
            continue;
        }
        const QString next = resolved + QLatin1Char('/') + part;
        if (const auto target = linkTarget(next)) {
            if (++links > kMaxLinks) return std::nullopt;
            if (target->startsWith(QLatin1Char('/'))) resolved.clear();
            prependParts(pending, *target);
            continue;
        }
        resolved = next;
    }
    return resolved.isEmpty() ? QStringLiteral("/") : resolved;
}

bool StaysInside(const QString& baseFolder, const QString& path) {
    const auto base = ResolvedPath(baseFolder);
    const auto target = ResolvedPath(path);
    if (!base || !target) return false;
    if (*target == *base) return true;
    const QString prefix = base->endsWith(QLatin1Char('/')) ? *base : *base + QLatin1Char('/');
    return target->startsWith(prefix);
}

}  // namespace platform
