#include "tools/FileConversion.h"

#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>

#include <vector>

#include "rtl/Exception.h"

namespace {

// Reads and writes go through the file system in runs of many blocks; the blocks
// themselves are what the window shows.
constexpr qint64 kRun = 64 * kConversionBlock;

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw EInOutError(QStringLiteral("Cannot %1 %2: %3").arg(what, path, reason));
}

}  // namespace

bool SameFile(const QString& localA, const QString& localB) {
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(localA).constData(), &a) != 0) return false;
    if (::stat(QFile::encodeName(localB).constData(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void ConvertFile(const QString& source, const QString& dest, const ByteRules& rules,
                 const std::function<void(const char* block, int size)>& onBlock) {
    // Opening the destination would empty the source before a byte of it is read.
    if (SameFile(source, dest))
        throw EInOutError(QStringLiteral("The destination %1 is the source file itself").arg(dest));
    if (QFileInfo(source).isDir()) fail(QStringLiteral("read"), source, QStringLiteral("it is a folder"));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) fail(QStringLiteral("open"), source, in.errorString());
    QFile out(dest);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail(QStringLiteral("create"), dest, out.errorString());

    std::vector<char> buffer(kRun);
    for (;;) {
        const qint64 n = in.read(buffer.data(), kRun);
        if (n < 0) fail(QStringLiteral("read"), source, in.errorString());
        for (qint64 at = 0; at < n; at += kConversionBlock) {
            const int size = static_cast<int>(std::min<qint64>(kConversionBlock, n - at));
            rules.Apply(buffer.data() + at, size);
            onBlock(buffer.data() + at, size);
        }
        if (n == 0) {
            onBlock(buffer.data(), 0);
            break;
        }
        const qint64 w = out.write(buffer.data(), n);
        // A short write (a full disk) would leave a cut copy behind a success.
        if (w != n)
            fail(QStringLiteral("write"), dest,
                 w < 0 ? out.errorString() : QStringLiteral("only %1 of %2 bytes written").arg(w).arg(n));
    }
    if (!out.flush()) fail(QStringLiteral("write"), dest, out.errorString());
    out.close();
    if (out.error() != QFileDevice::NoError) fail(QStringLiteral("write"), dest, out.errorString());
}
