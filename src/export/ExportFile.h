#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/WriteBehind.h"

// A fixed text of an export (separator, delimiter, prefix, statement head) in
// Windows-1250, encoded once. A character the code page cannot hold is remembered and
// refused only when the text is written, so an unused text never stops an export.
class EncodedText {
  public:
    EncodedText() = default;
    // `place` says where the text comes from ("in the field separator"), for the error.
    EncodedText(const QString& text, const QString& place);
    static EncodedText Ascii(const char* text);
    // Appends, keeping the first refused character of both.
    EncodedText& operator+=(const EncodedText& other);
    bool IsEmpty() const { return bytes_.isEmpty() && bad_.isEmpty(); }

  private:
    friend class ExportFile;
    QByteArray bytes_;
    QString bad_;  // the first character the code page cannot hold, empty when none
    QString badPlace_;
};

// An export output file: 8-bit Windows-1250 text written through a buffer. Opening
// creates the file or empties an existing one; every failure raises EInOutError with
// the name the user gave. A Windows name ("c:\1.txt") is mapped like every other path.
// A character the code page cannot hold stops the export with an error naming it and
// the place it comes from; what was written before it stays in the file.
class ExportFile {
  public:
    explicit ExportFile(const QString& fileName);
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    // Describes where the text being written now comes from ("in column "NAME", row 3");
    // asked only when a character is refused.
    void SetPlace(std::function<QString()> place) { place_ = std::move(place); }

    void Write(const EncodedText& text) {
        if (!text.bad_.isEmpty()) refuse(text.bad_, text.badPlace_);
        const qsizetype n = text.bytes_.size();
        ensure(n);
        std::memcpy(buffer_.get() + used_, text.bytes_.constData(), static_cast<size_t>(n));
        used_ += n;
    }
    // The text with every `doubled` written twice (QChar() doubles nothing).
    void Write(const QString& text, QChar doubled = QChar());
    // UTF-8 bytes with every `doubled` byte (ASCII, 0 for none) written twice.
    void WriteUtf8(std::string_view utf8, char doubled = 0);
    // Bytes already in Windows-1250.
    void WriteAscii(const char* bytes, qsizetype length) {
        ensure(length);
        std::memcpy(buffer_.get() + used_, bytes, static_cast<size_t>(length));
        used_ += length;
    }
    void WriteAscii(char c) {
        ensure(1);
        buffer_[used_++] = c;
    }
    void WriteLineEnd() {
        ensure(2);
        buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }
    // Writes what is buffered and closes the file.
    void Close();

  private:
    // Room for `bytes` more bytes at buffer_ + used_.
    void ensure(qsizetype bytes) {
        if (used_ + bytes > capacity_) makeRoom(bytes);
    }
    void makeRoom(qsizetype bytes);
    void flush();
    // Raises the error of a failed `what` ("create", "write") with the file's reason.
    [[noreturn]] void fail(const QString& what) const;
    [[noreturn]] void refuse(const QString& character, const QString& place) const;
    [[noreturn]] void refuseUtf8(std::string_view sequence) const;

    QString shownName_;
    QFile file_;
    // A plain buffer: the writes of every value go through it.
    std::unique_ptr<char[]> buffer_;
    qsizetype capacity_;
    qsizetype used_ = 0;
    int64_t written_ = 0;  // bytes handed to the system so far
    std::unique_ptr<platform::WriteBehind> writeBehind_;
    const char* table_;
    std::function<QString()> place_;
};
