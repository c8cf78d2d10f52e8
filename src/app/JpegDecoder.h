#pragma once

#include <QImage>
#include <QString>

// Decodes a JPEG file with libjpeg. Any failure (missing or unreadable file, data that
// is not a valid JPEG picture) gives a null image.
QImage DecodeJpegFile(const QString& path);
