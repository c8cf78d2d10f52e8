#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Private-profile INI files: "[section]" lines and "key=value" lines, names compared
// without letter case, Windows-1250, every write replacing the file atomically.
// Each call reads the file as it is on disk, as the profile functions do; its parsed
// lines are kept while its bytes stay the same, so a settings file of many entries is
// not parsed again for every value read. A value written as it is already stored costs
// no write. Lines the reader does not understand (comments among them) are
// kept when writing.
namespace platform {

class TIniFile {
  public:
    // A bare name without folder ("Konwerter") lives in the settings folder, with
    // ".ini" added when it has no extension; any other name goes through MapPath.
    explicit TIniFile(const QString& fileName);

    // The local path of the file.
    const QString& FileName() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Raises EInOutError when the file cannot be written.
    void WriteString(const QString& section, const QString& key, const QString& value);
    QStringList ReadSections() const;
    // The keys of a section, in file order.
    QStringList ReadSection(const QString& section) const;
    void EraseSection(const QString& section);

    // For files that must be exactly right (the database aliases): the first line that
    // is neither blank, a comment (";" or "#"), "[section]" nor "key=value" inside a
    // section, counted from 1; nothing when the file is well formed or missing.
    struct BadLine {
        int number = 0;
        QString text;
    };
    std::optional<BadLine> FirstMalformedLine() const;

  private:
    struct Parsed;
    // The file's lines, parsed again only when its bytes changed. A file that exists but
    // cannot be read reads as empty; when `forWriting` the error goes up instead, since
    // writing would replace what could not be read.
    const Parsed& parsed(bool forWriting = false) const;
    // Writes the lines and keeps them as the file's.
    void store(std::shared_ptr<Parsed> written);

    QString path_;
    mutable std::shared_ptr<Parsed> parsed_;
};

// Where TIniFile keeps a file of that name.
QString IniFilePath(const QString& fileName);

}  // namespace platform
