#include "platform/TextFiles.h"

#include <QFile>
#include <QSaveFile>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"

namespace platform {

namespace {

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw EInOutError(QStringLiteral("Cannot %1 file \"%2\": %3").arg(what, path, reason));
}

// `shownName` is the name the user gave (Windows form), used in the error text.
QByteArray readBytes(const QString& localPath, const QString& shownName) {
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("open"), shownName, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) fail(QStringLiteral("read"), shownName, file.errorString());
    return bytes;
}

}  // namespace

QByteArray ReadLocalFile(const QString& localPath) {
    return readBytes(localPath, localPath);
}

void ReplaceFile(const QString& localPath, const QByteArray& bytes) {
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly)) fail(QStringLiteral("create"), localPath, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(QStringLiteral("write"), localPath, reason);
    }
    if (!file.commit()) fail(QStringLiteral("write"), localPath, file.errorString());
}

QString ReadTextFile(const QString& fileName) {
    return FromCp1250(readBytes(MapPath(fileName), fileName));
}

void WriteTextFile(const QString& fileName, const QString& text) {
    const QString path = MapPath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("create"), fileName, file.errorString());
    const QByteArray bytes = ToCp1250(text);
    if (file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("write"), fileName, file.errorString());
}

}  // namespace platform
