#include "platform/RegistryHive.h"

#include <optional>

namespace platform {

namespace {

const QString kHeader = QStringLiteral("REGEDIT4");

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Newlines cannot stand in a one-line value, so they travel as \n and \r.
QString escape(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    for (const QChar c : s) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('"'))
            out += QStringLiteral("\\\"");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// Reads a quoted text starting at line[pos] == '"'; on success pos is after the
// closing quote. A backslash before anything other than \ " n r stays as written,
// which is kinder to hand-edited files than rejecting the line.
std::optional<QString> readQuoted(const QString& line, qsizetype& pos) {
    if (pos >= line.size() || line[pos] != QLatin1Char('"')) return std::nullopt;
    QString out;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return out;
        }
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            const QChar n = line[i + 1];
            if (n == QLatin1Char('\\') || n == QLatin1Char('"')) {
                out += n;
                ++i;
                continue;
            }
            if (n == QLatin1Char('n') || n == QLatin1Char('r')) {
                out += n == QLatin1Char('n') ? QLatin1Char('\n') : QLatin1Char('\r');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return std::nullopt;  // no closing quote: a truncated line
}

void skipBlanks(const QString& line, qsizetype& pos) {
    while (pos < line.size() && (line[pos] == QLatin1Char(' ') || line[pos] == QLatin1Char('\t'))) ++pos;
}

bool isBlank(const QString& line) {
    return line.trimmed().isEmpty();
}

// A key line: "[path]" with nothing but blanks after it; "[-path]" (a deletion
// request of the import format) is not a key here.
std::optional<QString> keyPath(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() < 3 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')) ||
        t[1] == QLatin1Char('-'))
        return std::nullopt;
    const QString path = t.mid(1, t.size() - 2);
    if (path.contains(QLatin1Char('[')) || path.contains(QLatin1Char(']'))) return std::nullopt;
    return path;
}

struct ParsedValue {
    QString name;
    bool isString = false;
    QString text;
    bool continues = false;  // a typed value whose data goes on on the next line
};

std::optional<ParsedValue> parseValueLine(const QString& line) {
    ParsedValue v;
    qsizetype pos = 0;
    skipBlanks(line, pos);
    if (pos < line.size() && line[pos] == QLatin1Char('@')) {
        ++pos;
    } else {
        auto name = readQuoted(line, pos);
        if (!name) return std::nullopt;
        v.name = *name;
    }
    skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != QLatin1Char('=')) return std::nullopt;
    ++pos;
    skipBlanks(line, pos);
    if (pos < line.size() && line[pos] == QLatin1Char('"')) {
        auto text = readQuoted(line, pos);
        if (!text) return std::nullopt;
        skipBlanks(line, pos);
        if (pos != line.size()) return std::nullopt;
        v.isString = true;
        v.text = *text;
        return v;
    }
    // Another type (dword:, hex:, hex(2):...): kept as written, not readable as a string.
    const QString data = line.mid(pos).trimmed();
    if (data.isEmpty() || (!data.contains(QLatin1Char(':')) && data != QStringLiteral("-")))
        return std::nullopt;
    v.continues = data.endsWith(QLatin1Char('\\'));
    return v;
}

// A line without its line break: "\r" of a CR LF file is not part of the data.
QString stripCr(const QString& line) {
    return line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
}

}  // namespace

RegistryHive RegistryHive::Parse(const QString& text) {
    RegistryHive hive;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    HiveKey* current = nullptr;
    bool headerSeen = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString raw = lines[i];
        const QString line = stripCr(raw);
        if (!headerSeen && current == nullptr && hive.preamble_.isEmpty() && line.trimmed() == kHeader) {
            headerSeen = true;
            continue;
        }
        if (isBlank(line)) continue;
        if (auto path = keyPath(line)) {
            current = hive.FindKey(*path);
            if (current == nullptr) {
                hive.keys_.push_back(HiveKey{*path, line, {}});
                hive.index(hive.keys_.size() - 1);
                current = &hive.keys_.back();
            }
            continue;
        }
        HiveEntry entry;
        auto value = current != nullptr ? parseValueLine(line) : std::nullopt;
        if (value) {
            entry.isValue = true;
            entry.name = value->name;
            entry.isString = value->isString;
            entry.text = value->text;
            entry.lines << line;
            bool continues = value->continues;
            while (continues && i + 1 < lines.size()) {
                const QString next = stripCr(lines[++i]);
                entry.lines << next;
                continues = next.trimmed().endsWith(QLatin1Char('\\'));
            }
        } else {
            entry.lines << raw;
        }
        if (current != nullptr)
            current->entries.push_back(entry);
        else
            hive.preamble_ << raw;
    }
    return hive;
}

QString RegistryHive::Format() const {
    qsizetype size = kHeader.size() + 2;
    for (const QString& line : preamble_) size += line.size() + 1;
    for (const HiveKey& key : keys_) {
        size += key.headerLine.size() + 2;
        for (const HiveEntry& e : key.entries)
            for (const QString& line : e.lines) size += line.size() + 1;
    }
    QString out;
    out.reserve(size + 2);
    const QLatin1Char newline('\n');
    out += kHeader;
    out += newline;
    out += newline;
    if (!preamble_.isEmpty()) {
        for (const QString& line : preamble_) out += line, out += newline;
        out += newline;
    }
    for (const HiveKey& key : keys_) {
        out += key.headerLine;
        out += newline;
        for (const HiveEntry& e : key.entries)
            for (const QString& line : e.lines) out += line, out += newline;
        out += newline;
    }
    return out;
}

void RegistryHive::index(size_t at) {
    QString folded = keys_[at].path.toCaseFolded();
    byPath_.insert(folded, at);
    for (qsizetype slash = folded.lastIndexOf(QLatin1Char('\\')); slash > 0;
         slash = folded.lastIndexOf(QLatin1Char('\\'), slash - 1)) {
        folded.truncate(slash);
        if (parents_.contains(folded)) break;  // and so are all of its own parents
        parents_.insert(folded);
    }
}

void RegistryHive::reindex() {
    byPath_.clear();
    parents_.clear();
    for (size_t i = 0; i < keys_.size(); ++i) index(i);
}

HiveKey* RegistryHive::FindKey(const QString& path) {
    const auto found = byPath_.constFind(path.toCaseFolded());
    return found == byPath_.constEnd() ? nullptr : &keys_[*found];
}

const HiveKey* RegistryHive::FindKey(const QString& path) const {
    return const_cast<RegistryHive*>(this)->FindKey(path);
}

HiveKey& RegistryHive::AddKey(const QString& path) {
    if (HiveKey* existing = FindKey(path)) return *existing;
    keys_.push_back(HiveKey{path, QLatin1Char('[') + path + QLatin1Char(']'), {}});
    index(keys_.size() - 1);
    return keys_.back();
}

bool RegistryHive::HasKey(const QString& path) const {
    const QString folded = path.toCaseFolded();
    return byPath_.contains(folded) || parents_.contains(folded);
}

bool RegistryHive::RemoveKeyTree(const QString& path) {
    if (!HasKey(path)) return false;
    const QString prefix = path + QLatin1Char('\\');
    std::erase_if(keys_, [&](const HiveKey& key) {
        return sameName(key.path, path) || key.path.startsWith(prefix, Qt::CaseInsensitive);
    });
    reindex();
    return true;
}

const HiveEntry* RegistryHive::FindValue(const HiveKey& key, const QString& name) {
    const HiveEntry* found = nullptr;
    for (const HiveEntry& e : key.entries)
        if (e.isValue && sameName(e.name, name)) found = &e;
    return found;
}

QString RegistryHive::FormatStringValue(const QString& name, const QString& value) {
    const QString left =
        name.isEmpty() ? QStringLiteral("@") : QLatin1Char('"') + escape(name) + QLatin1Char('"');
    return left + QStringLiteral("=\"") + escape(value) + QLatin1Char('"');
}

void RegistryHive::SetString(HiveKey& key, const QString& name, const QString& value) {
    HiveEntry* target = const_cast<HiveEntry*>(FindValue(key, name));
    if (target == nullptr) {
        key.entries.push_back(HiveEntry{true, name, true, QString(), {}});
        target = &key.entries.back();
    }
    // An existing value keeps the letter case it was first written with.
    target->isString = true;
    target->text = value;
    target->lines = QStringList{FormatStringValue(target->name, value)};
}

bool RegistryHive::RemoveValue(HiveKey& key, const QString& name) {
    return std::erase_if(key.entries,
                         [&](const HiveEntry& e) { return e.isValue && sameName(e.name, name); }) > 0;
}

QStringList RegistryHive::ValueNames(const HiveKey& key) {
    QStringList names;
    QSet<QString> seen;
    for (const HiveEntry& e : key.entries) {
        if (!e.isValue) continue;
        const QString folded = e.name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        names << e.name;
    }
    return names;
}

}  // namespace platform
