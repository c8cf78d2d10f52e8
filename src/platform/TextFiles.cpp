#include "platform/TextFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/SideBySide.h"
#include "rtl/Exception.h"

namespace platform {

namespace {

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw EInOutError(QStringLiteral("Cannot %1 file \"%2\": %3").arg(what, path, reason));
}

[[noreturn]] void failErrno(const QString& what, const QString& path, int error) {
    fail(what, path, QString::fromLocal8Bit(std::strerror(error)));
}

// A large file is read in parts side by side: the copying and the memory it takes are
// mostly page faults, which then run in parallel. Empty when the file's size changed
// meanwhile (the caller reads it again in one piece); the reason in `error` when a read fails.
QByteArray readInParts(int fd, qint64 size, int& error) {
    constexpr qint64 kPartAtLeast = 2 << 20;
    const auto processors = static_cast<qint64>(std::max(1u, std::thread::hardware_concurrency()));
    const qint64 parts = std::clamp<qint64>(size / kPartAtLeast, 1, std::min<qint64>(4, processors));
    QByteArray bytes(size, Qt::Uninitialized);
    std::vector<int> errors(static_cast<size_t>(parts), 0);
    std::vector<char> complete(static_cast<size_t>(parts), 0);
    const auto readPart = [&](int part) {
        qint64 from = size / parts * part;
        const qint64 to = part + 1 == parts ? size : size / parts * (part + 1);
        while (from < to) {
            const ssize_t n = ::pread(fd, bytes.data() + from, static_cast<size_t>(to - from), from);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) errors[static_cast<size_t>(part)] = errno;
            if (n <= 0) return;
            from += n;
        }
        complete[static_cast<size_t>(part)] = 1;
    };
    RunSideBySide(static_cast<int>(parts), readPart);
    for (const int e : errors)
        if (e != 0) {
            error = e;
            return {};
        }
    char more = 0;
    const bool whole = std::all_of(complete.begin(), complete.end(), [](char c) { return c != 0; }) &&
                       ::pread(fd, &more, 1, size) == 0;
    return whole ? bytes : QByteArray();
}

// `shownName` is the name the user gave (Windows form), used in the error text.
QByteArray readBytes(const QString& localPath, const QString& shownName) {
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("open"), shownName, file.errorString());
    struct stat st {};
    if (::fstat(file.handle(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= (4 << 20)) {
        int error = 0;
        QByteArray bytes = readInParts(file.handle(), st.st_size, error);
        if (error != 0) failErrno(QStringLiteral("read"), shownName, error);
        if (!bytes.isEmpty()) return bytes;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) fail(QStringLiteral("read"), shownName, file.errorString());
    return bytes;
}

qint64& writeBudget() {
    static qint64 budget = -1;
    return budget;
}

// write(2) until every byte is out; false with errno set on the first failure.
bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        qint64 chunk = size;
        qint64& budget = writeBudget();
        if (budget >= 0) {
            if (budget == 0) {
                errno = ENOSPC;
                return false;
            }
            chunk = std::min(chunk, budget);
        }
        const ssize_t n = ::write(fd, data, static_cast<size_t>(chunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (budget >= 0) budget -= n;
        data += n;
        size -= n;
    }
    return true;
}

mode_t modeFor(const QString& localPath) {
    const QFileInfo target(localPath);
    if (target.absolutePath() == QFileInfo(ConfigFolder()).absoluteFilePath()) return S_IRUSR | S_IWUSR;
    struct stat st {};
    if (::stat(QFile::encodeName(localPath).constData(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Closes the descriptor and removes the temporary file unless released.
struct TemporaryFile {
    int fd = -1;
    QByteArray path;
    ~TemporaryFile() {
        if (fd >= 0) ::close(fd);
        if (!path.isEmpty()) ::unlink(path.constData());
    }
};

}  // namespace

QByteArray ReadLocalFile(const QString& localPath) {
    return readBytes(localPath, localPath);
}

void FailWritesAfter(qint64 bytes) {
    writeBudget() = bytes < 0 ? -1 : bytes;
}

namespace {

// A symbolic link is followed: the file it names is the one replaced, and the link stays.
QString replacedFile(const QString& localPath) {
    const QFileInfo link(localPath);
    if (!link.isSymLink()) return localPath;
    const QString target = link.canonicalFilePath();
    return target.isEmpty() ? localPath : target;
}

void replaceWhole(const QString& givenPath, const QString& shownName, const QByteArray& bytes) {
    const QString localPath = replacedFile(givenPath);
    const QFileInfo info(localPath);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    TemporaryFile temp;
    temp.path = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                  QStringLiteral(".XXXXXX"));
    temp.fd = ::mkstemp(temp.path.data());
    if (temp.fd < 0) {
        const int error = errno;
        temp.path.clear();
        failErrno(QStringLiteral("create"), shownName, error);
    }
    // Whatever a write, the flush to the disk or the close reports is the reason:
    // a full disk may show only at fsync or close.
    const QString write = QStringLiteral("write");
    // The owner and group stay too, where the process may keep them (a group that shares
    // the file keeps it); where it may not, the file is the writer's, as any new file.
    // Before the mode: a change of owner clears the set-id bits.
    struct stat old {};
    if (::stat(target.constData(), &old) == 0 && ::fchown(temp.fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(temp.fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Neither may be kept: the writer's own, like a file made anew.
    }
    if (::fchmod(temp.fd, modeFor(localPath)) != 0) failErrno(write, shownName, errno);
    if (!writeAll(temp.fd, bytes.constData(), bytes.size())) failErrno(write, shownName, errno);
    if (::fsync(temp.fd) != 0) failErrno(write, shownName, errno);
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0) failErrno(write, shownName, errno);
    if (::rename(temp.path.constData(), target.constData()) != 0) failErrno(write, shownName, errno);
    temp.path.clear();
}

}  // namespace

void ReplaceFile(const QString& localPath, const QByteArray& bytes) {
    replaceWhole(localPath, localPath, bytes);
}

QString ReadTextFile(const QString& fileName) {
    return FromCp1250(readBytes(MapPath(fileName), fileName));
}

void WriteTextFile(const QString& fileName, const QString& text) {
    replaceWhole(MapPath(fileName), fileName, ToCp1250(text));
}

}  // namespace platform
