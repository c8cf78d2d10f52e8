#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"

namespace platform {

namespace {

struct Line {
    enum Kind { Other, Section, Pair } kind = Other;
    QString raw;
    QString name;   // section name or key, trimmed
    QString value;  // trimmed
};

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isComment(const QString& t) {
    return t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

Line classify(const QString& raw) {
    Line line;
    line.raw = raw;
    const QString t = raw.trimmed();
    if (t.isEmpty() || isComment(t)) return line;
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')) && t.size() >= 2) {
        line.kind = Line::Section;
        line.name = t.mid(1, t.size() - 2).trimmed();
        return line;
    }
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq > 0 && !t.left(eq).trimmed().isEmpty()) {
        line.kind = Line::Pair;
        line.name = t.left(eq).trimmed();
        line.value = t.mid(eq + 1).trimmed();
    }
    return line;
}

// A file that exists but cannot be read reads as empty; before a write the error
// goes up instead, since writing would replace what could not be read.
std::vector<Line> readLines(const QString& path, bool forWriting = false) {
    std::vector<Line> lines;
    if (!QFileInfo::exists(path)) return lines;
    QString text;
    try {
        text = FromCp1250(ReadLocalFile(path));
    } catch (const EInOutError&) {
        if (forWriting) throw;
        return lines;
    }
    QStringList raws = text.split(QLatin1Char('\n'));
    if (!raws.isEmpty() && raws.last().isEmpty()) raws.removeLast();
    for (QString& raw : raws) {
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        lines.push_back(classify(raw));
    }
    return lines;
}

void writeLines(const QString& path, const std::vector<Line>& lines) {
    QString text;
    for (const Line& l : lines) text += l.raw + QLatin1Char('\n');
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw EInOutError(QStringLiteral("Cannot create folder \"%1\" for \"%2\"").arg(folder, path));
    ReplaceFile(path, ToCp1250(text));
}

// Index range [begin, end) of the lines of a section (after its header); begin == -1
// when the section is missing. The first section of the name is the one used.
std::pair<qsizetype, qsizetype> sectionRange(const std::vector<Line>& lines, const QString& section) {
    const auto n = static_cast<qsizetype>(lines.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (lines[i].kind != Line::Section || !same(lines[i].name, section)) continue;
        qsizetype end = i + 1;
        while (end < n && lines[end].kind != Line::Section) ++end;
        return {i + 1, end};
    }
    return {-1, -1};
}

bool hasFolder(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           (name.size() >= 2 && name[1] == QLatin1Char(':'));
}

}  // namespace

QString IniFilePath(const QString& fileName) {
    if (hasFolder(fileName)) return MapPath(fileName);
    const QString name = fileName.contains(QLatin1Char('.')) ? fileName : fileName + QStringLiteral(".ini");
    return ConfigFolder() + QLatin1Char('/') + name;
}

TIniFile::TIniFile(const QString& fileName) : path_(IniFilePath(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto lines = readLines(path_);
    const auto [begin, end] = sectionRange(lines, section);
    if (begin < 0) return defaultValue;
    for (qsizetype i = begin; i < end; ++i)
        if (lines[i].kind == Line::Pair && same(lines[i].name, key)) return lines[i].value;
    return defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    auto lines = readLines(path_, true);
    Line pair;
    pair.kind = Line::Pair;
    pair.name = key.trimmed();
    pair.value = value;
    pair.raw = pair.name + QLatin1Char('=') + value;
    const auto [begin, end] = sectionRange(lines, section);
    if (begin < 0) {
        Line header;
        header.kind = Line::Section;
        header.name = section;
        header.raw = QLatin1Char('[') + section + QLatin1Char(']');
        lines.push_back(header);
        lines.push_back(pair);
    } else {
        bool replaced = false;
        for (qsizetype i = begin; i < end && !replaced; ++i) {
            if (lines[i].kind == Line::Pair && same(lines[i].name, key.trimmed())) {
                // The key keeps the letter case it was first written with.
                pair.name = lines[i].name;
                pair.raw = pair.name + QLatin1Char('=') + value;
                lines[i] = pair;
                replaced = true;
            }
        }
        if (!replaced) {
            // After the section's last non-blank line, so a blank separator stays last.
            qsizetype at = end;
            while (at > begin && lines[at - 1].raw.trimmed().isEmpty()) --at;
            lines.insert(lines.begin() + at, pair);
        }
    }
    writeLines(path_, lines);
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    for (const Line& l : readLines(path_)) {
        if (l.kind != Line::Section) continue;
        bool seen = false;
        for (const QString& n : names) seen = seen || same(n, l.name);
        if (!seen) names << l.name;
    }
    return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    const auto lines = readLines(path_);
    const auto [begin, end] = sectionRange(lines, section);
    QStringList keys;
    for (qsizetype i = begin; i >= 0 && i < end; ++i)
        if (lines[i].kind == Line::Pair) keys << lines[i].name;
    return keys;
}

void TIniFile::EraseSection(const QString& section) {
    auto lines = readLines(path_, true);
    bool changed = false;
    for (auto [begin, end] = sectionRange(lines, section); begin >= 0;
         std::tie(begin, end) = sectionRange(lines, section)) {
        lines.erase(lines.begin() + (begin - 1), lines.begin() + end);
        changed = true;
    }
    if (changed) writeLines(path_, lines);
}

std::optional<TIniFile::BadLine> TIniFile::FirstMalformedLine() const {
    const auto lines = readLines(path_);
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        const QString t = l.raw.trimmed();
        if (t.isEmpty() || isComment(t)) continue;
        if (l.kind == Line::Section && !l.name.isEmpty()) {
            inSection = true;
            continue;
        }
        if (l.kind == Line::Pair && inSection) continue;
        return BadLine{static_cast<int>(i + 1), l.raw};
    }
    return std::nullopt;
}

}  // namespace platform
