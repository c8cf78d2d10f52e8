#pragma once

#include <QString>
#include <optional>

// Windows paths on this platform. A path that begins with a drive letter and a colon
// maps to a folder per drive ($XDG_DATA_HOME/zorvantic/drive_c/ for "C:"), every
// backslash becomes a slash, and any other path is used as it stands. Texts shown to
// the user and stored keep their Windows form; only the file system sees MapPath's.
namespace platform {

QString MapPath(const QString& windowsPath);

// A drive's root always exists on Windows; here it is a folder that may not be made yet.
// Creates the mapped root of the drive a path names ("c:\x" -> drive_c/); other paths
// are left alone.
void EnsureDriveRoot(const QString& windowsPath);

// Where a path built from data really leads: `path` (a Windows or local path) mapped,
// made absolute, with "." and ".." resolved and every symbolic link along it followed,
// also one whose target does not exist yet (writing through it would create the
// target). Parts that do not exist are taken as written. std::nullopt for a loop of links.
std::optional<QString> ResolvedPath(const QString& path);

// True when `path` leads into the folder `baseFolder` or is that folder itself, both
// resolved as ResolvedPath does. Text taken from a database or from a file must not
// choose where a file goes outside the folder the user chose.
bool StaysInside(const QString& baseFolder, const QString& path);

// $XDG_CONFIG_HOME/zorvantic (default ~/.config/zorvantic), without a final slash.
QString ConfigFolder();
// $XDG_DATA_HOME/zorvantic (default ~/.local/share/zorvantic), without a final slash.
QString DataFolder();

}  // namespace platform
