#include "export/ExportFile.h"

#include <array>

#include "framework/rtl/Exception.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"

namespace {

constexpr qsizetype kFlushAt = 1 << 16;

// Byte of every UTF-16 code unit in Windows-1250 ('?' where it has none); built once
// from the program's code page so both directions always agree.
const std::array<char, 65536>& encodingTable() {
    static const std::array<char, 65536> table = [] {
        std::array<char, 65536> t;
        t.fill('?');
        for (int b = 0; b < 256; ++b) {
            const QString u = platform::FromCp1250(QByteArray(1, static_cast<char>(b)));
            t[u.at(0).unicode()] = static_cast<char>(b);
        }
        return t;
    }();
    return table;
}

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
    const auto& table = encodingTable();
    const qsizetype start = buffer_.size();
    buffer_.resize(start + text.size());
    char* out = buffer_.data() + start;
    for (const QChar c : text) *out++ = table[c.unicode()];
    if (buffer_.size() >= kFlushAt) flush();
}

void ExportFile::Write(QChar c) {
    buffer_.append(encodingTable()[c.unicode()]);
}

void ExportFile::WriteDoubling(const QString& text, QChar doubled) {
    const auto& table = encodingTable();
    for (const QChar c : text) {
        const char b = table[c.unicode()];
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
