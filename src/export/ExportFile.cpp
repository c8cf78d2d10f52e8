#include "export/ExportFile.h"

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"

namespace {

constexpr qsizetype kFlushAt = 1 << 16;

}  // namespace

ExportFile::ExportFile(const QString& fileName) : shownName_(fileName) {
    platform::EnsureDriveRoot(fileName);
    file_.setFileName(platform::MapPath(fileName));
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError(QStringLiteral("Cannot create file \"%1\": %2").arg(fileName, file_.errorString()));
    buffer_.reserve(kFlushAt + 4096);
}

ExportFile::~ExportFile() {
    // An export stopped by an error keeps what it wrote so far.
    if (file_.isOpen()) {
        file_.write(buffer_);
        file_.close();
    }
}

void ExportFile::Write(const QString& text) {
    const qsizetype start = buffer_.size();
    buffer_.resize(start + text.size());
    char* out = buffer_.data() + start;
    for (const QChar c : text) *out++ = platform::Cp1250Byte(c);
    if (buffer_.size() >= kFlushAt) flush();
}

void ExportFile::Write(QChar c) {
    buffer_.append(platform::Cp1250Byte(c));
}

void ExportFile::WriteDoubling(const QString& text, QChar doubled) {
    for (const QChar c : text) {
        const char b = platform::Cp1250Byte(c);
        buffer_.append(b);
        if (c == doubled) buffer_.append(b);
    }
    if (buffer_.size() >= kFlushAt) flush();
}

void ExportFile::WriteAscii(const char* bytes, qsizetype length) {
    buffer_.append(bytes, length);
    if (buffer_.size() >= kFlushAt) flush();
}

void ExportFile::flush() {
    if (buffer_.isEmpty()) return;
    if (file_.write(buffer_) != buffer_.size())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\": %2").arg(shownName_, file_.errorString()));
    buffer_.resize(0);
}

void ExportFile::Close() {
    flush();
    if (!file_.flush())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\": %2").arg(shownName_, file_.errorString()));
    file_.close();
}
