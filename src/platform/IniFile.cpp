#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
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

std::vector<Line> parseLines(const QString& text) {
    std::vector<Line> lines;
    QStringList raws = text.split(QLatin1Char('\n'));
    if (!raws.isEmpty() && raws.last().isEmpty()) raws.removeLast();
    lines.reserve(static_cast<size_t>(raws.size()));
    for (QString& raw : raws) {
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        lines.push_back(classify(raw));
    }
    return lines;
}

// Returns the bytes written.
QByteArray writeLines(const QString& path, const std::vector<Line>& lines) {
    QString text;
    for (const Line& l : lines) text += l.raw, text += QLatin1Char('\n');
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw EInOutError(QStringLiteral("Cannot create folder \"%1\" for \"%2\"").arg(folder, path));
    QByteArray bytes = ToCp1250(text);
    ReplaceFile(path, bytes);
    return bytes;
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

struct TIniFile::Parsed {
    bool exists = false;
    bool readable = true;
    QByteArray bytes;  // the file as it was parsed
    std::vector<Line> lines;
};

const TIniFile::Parsed& TIniFile::parsed(bool forWriting) const {
    auto fresh = std::make_shared<Parsed>();
    fresh->exists = QFileInfo::exists(path_);
    if (fresh->exists) {
        try {
            fresh->bytes = ReadLocalFile(path_);
        } catch (const EInOutError&) {
            if (forWriting) throw;
            fresh->readable = false;
        }
    }
    // Reading the bytes costs little beside parsing them.
    if (parsed_ && parsed_->exists == fresh->exists && parsed_->readable == fresh->readable &&
        parsed_->bytes == fresh->bytes)
        return *parsed_;
    if (fresh->readable) fresh->lines = parseLines(FromCp1250(fresh->bytes));
    parsed_ = std::move(fresh);
    return *parsed_;
}

QString IniFilePath(const QString& fileName) {
    if (hasFolder(fileName)) return MapPath(fileName);
    const QString name = fileName.contains(QLatin1Char('.')) ? fileName : fileName + QStringLiteral(".ini");
    return ConfigFolder() + QLatin1Char('/') + name;
}

TIniFile::TIniFile(const QString& fileName) : path_(IniFilePath(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto& lines = parsed().lines;
    const auto [begin, end] = sectionRange(lines, section);
    if (begin < 0) return defaultValue;
    for (qsizetype i = begin; i < end; ++i)
        if (lines[i].kind == Line::Pair && same(lines[i].name, key)) return lines[i].value;
    return defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const Parsed& before = parsed(true);
    {
        // A value stored as it would be written leaves the file as it is.
        const auto [begin, end] = sectionRange(before.lines, section);
        for (qsizetype i = begin; i >= 0 && i < end; ++i) {
            const Line& l = before.lines[static_cast<size_t>(i)];
            if (l.kind == Line::Pair && same(l.name, key.trimmed())) {
                if (l.raw == l.name + QLatin1Char('=') + value) return;
                break;
            }
        }
    }
    auto lines = before.lines;
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
    auto written = std::make_shared<Parsed>();
    written->lines = std::move(lines);
    store(std::move(written));
}

void TIniFile::store(std::shared_ptr<Parsed> written) {
    written->bytes = writeLines(path_, written->lines);
    written->exists = true;
    parsed_ = std::move(written);
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    QSet<QString> seen;
    for (const Line& l : parsed().lines) {
        if (l.kind != Line::Section) continue;
        const QString folded = l.name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        names << l.name;
    }
    return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    const auto& lines = parsed().lines;
    const auto [begin, end] = sectionRange(lines, section);
    QStringList keys;
    for (qsizetype i = begin; i >= 0 && i < end; ++i)
        if (lines[i].kind == Line::Pair) keys << lines[i].name;
    return keys;
}

void TIniFile::EraseSection(const QString& section) {
    auto lines = parsed(true).lines;
    bool changed = false;
    for (auto [begin, end] = sectionRange(lines, section); begin >= 0;
         std::tie(begin, end) = sectionRange(lines, section)) {
        lines.erase(lines.begin() + (begin - 1), lines.begin() + end);
        changed = true;
    }
    if (!changed) return;
    auto written = std::make_shared<Parsed>();
    written->lines = std::move(lines);
    store(std::move(written));
}

std::optional<TIniFile::BadLine> TIniFile::FirstMalformedLine() const {
    const auto& lines = parsed().lines;
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
