#pragma once

#include <QByteArray>
#include <QString>

class ExportFile;

// One line of an export, encoded in Windows-1250 before it reaches the file. A
// character the code page has no byte for raises EInOutError naming the file, so a
// value is never written as "?" behind the user's back, and the line it belongs to is
// not written at all.
class EncodedLine {
  public:
    explicit EncodedLine(const QString& fileName) : fileName_(fileName) {}

    void Clear() { bytes_.resize(0); }
    void Append(const QString& text);
    void Append(char ascii) { bytes_.append(ascii); }
    // The text with every occurrence of `doubled` written twice.
    void AppendDoubling(const QString& text, QChar doubled);
    // The quote, the text with every quote written twice, the quote.
    void AppendQuoted(const QString& text, QChar quote);
    // Writes the line and CR LF.
    void WriteTo(ExportFile& file);
    const QByteArray& Bytes() const { return bytes_; }

  private:
    [[noreturn]] void refuse(const QString& text, qsizetype at) const;

    QString fileName_;
    QByteArray bytes_;
};
