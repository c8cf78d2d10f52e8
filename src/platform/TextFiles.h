#pragma once

#include <QByteArray>
#include <QString>

// Whole 8-bit text files, named in Windows form (mapped with MapPath) and kept in
// Windows-1250. Every failure raises EInOutError naming the file and the reason.
namespace platform {

QString ReadTextFile(const QString& fileName);
// Creates the file or truncates an existing one.
void WriteTextFile(const QString& fileName, const QString& text);

// Local (already mapped) paths. ReplaceFile writes a temporary file beside the target
// and renames it over the target, so a crash never leaves a half-written file.
QByteArray ReadLocalFile(const QString& localPath);
void ReplaceFile(const QString& localPath, const QByteArray& bytes);

}  // namespace platform
