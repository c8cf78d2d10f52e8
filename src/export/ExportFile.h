#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// An export output file: 8-bit Windows-1250 text written through a buffer. Opening
// creates the file or empties an existing one; every failure raises EInOutError with
// the name the user gave. A Windows name ("c:\1.txt") is mapped like every other path.
class ExportFile {
  public:
    explicit ExportFile(const QString& fileName);
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    void Write(const QString& text);
    void Write(QChar c);
    // The text with every occurrence of `doubled` written twice.
    void WriteDoubling(const QString& text, QChar doubled);
    void WriteLineEnd() { WriteAscii("\r\n", 2); }
    void WriteAscii(const char* bytes, qsizetype length);
    // Writes what is buffered and closes the file.
    void Close();

  private:
    void flush();

    QString shownName_;
    QFile file_;
    QByteArray buffer_;
};
