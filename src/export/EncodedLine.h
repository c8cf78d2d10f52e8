#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "platform/Codepage.h"

class ExportFile;

// One line of an export, encoded in Windows-1250 before it reaches the file. A
// character the code page has no byte for raises EInOutError naming the file, so a
// value is never written as "?" behind the user's back, and the line it belongs to is
// not written at all.
class EncodedLine {
  public:
    explicit EncodedLine(const QString& fileName) : fileName_(fileName) {}

    // Describes where the text being appended comes from ("in column "NAME", row 3"), for
    // the error that refuses a character; asked only then.
    void SetPlace(std::function<QString()> place) { place_ = std::move(place); }

    void Clear() { used_ = 0; }
    void Append(char ascii) { *room(1) = ascii, ++used_; }
    void Append(const QString& text) { AppendDoubling(text, QChar(platform::kDoubleNone)); }
    // The text with every occurrence of `doubled` written twice.
    void AppendDoubling(const QString& text, QChar doubled);
    // The quote, the text with every quote written twice, the quote.
    void AppendQuoted(const QString& text, QChar quote);
    // Writes the line and CR LF.
    void WriteTo(ExportFile& file);

  private:
    // Space for `extra` more bytes after the used ones.
    char* room(qsizetype extra);
    [[noreturn]] void refuse(const QString& text, qsizetype at) const;

    QString fileName_;
    std::function<QString()> place_;
    QByteArray bytes_;  // a buffer: only the first used_ bytes count
    qsizetype used_ = 0;
};
