#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Helpers shared by the fuzz targets: the input as a byte array or as Windows-1250
// text, and a private settings/data folder for targets that read files.
namespace fuzz {

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A fresh HOME with its configuration and data folders, set once per process.
inline const QString& Home() {
    static QTemporaryDir dir;
    static const QString home = [] {
        const QString path = dir.path();
        qputenv("HOME", path.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (path + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (path + QStringLiteral("/data")).toLocal8Bit());
        QDir().mkpath(path + QStringLiteral("/config/zorvantic"));
        QDir().mkpath(path + QStringLiteral("/data/zorvantic"));
        return path;
    }();
    return home;
}

}  // namespace fuzz
