#pragma once

#include <QByteArray>
#include <QString>

// Whole 8-bit text files, named in Windows form (mapped with MapPath) and kept in
// Windows-1250. Every failure raises EInOutError naming the file and the system's reason.
namespace platform {

QString ReadTextFile(const QString& fileName);
// Replaces the file whole (see ReplaceFile).
void WriteTextFile(const QString& fileName, const QString& text);

// Local (already mapped) paths. ReplaceFile writes a temporary file beside the target,
// flushes it to the disk and renames it over the target: the target then holds either
// its old content or all of the new one, also after a full disk or a crash. A file in
// the configuration folder is readable by its owner only; any other file keeps the
// permissions of the one it replaces.
QByteArray ReadLocalFile(const QString& localPath);
void ReplaceFile(const QString& localPath, const QByteArray& bytes);

// For tests: every later write of ReplaceFile fails with "No space left on device" once
// `bytes` more bytes have been written. A negative value turns the failure off.
void FailWritesAfter(qint64 bytes);

}  // namespace platform
