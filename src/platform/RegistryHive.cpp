#include "platform/RegistryHive.h"

#include <algorithm>
#include <optional>

namespace platform {

namespace {

const QString kHeader = QStringLiteral("REGEDIT4");

// Key paths without letter case; plain ASCII, by far the usual case, folded at once.
QString folded(QStringView path) {
    QString out(path.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        if (u >= 0x80) return path.toString().toCaseFolded();
        *to++ = u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    }
    return out;
}

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
std::optional<QString> readQuoted(QStringView line, qsizetype& pos) {
    if (pos >= line.size() || line[pos] != QLatin1Char('"')) return std::nullopt;
    // Most texts hold no backslash: taken in one piece.
    qsizetype i = pos + 1;
    while (i < line.size() && line[i] != QLatin1Char('"') && line[i] != QLatin1Char('\\')) ++i;
    QString out = line.sliced(pos + 1, i - pos - 1).toString();
    for (; i < line.size(); ++i) {
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

void skipBlanks(QStringView line, qsizetype& pos) {
    while (pos < line.size() && (line[pos] == QLatin1Char(' ') || line[pos] == QLatin1Char('\t'))) ++pos;
}

// Neither a blank of any kind nor a line break.
bool isPrintableAscii(QChar c) {
    return c.unicode() > u' ' && c.unicode() < 0x7f;
}

bool isBlank(QStringView line) {
    return line.trimmed().isEmpty();
}

// A key line: "[path]" with nothing but blanks after it; "[-path]" (a deletion
// request of the import format) is not a key here.
std::optional<QStringView> keyPath(QStringView line) {
    const QStringView t = line.trimmed();
    if (t.size() < 3 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')) ||
        t[1] == QLatin1Char('-'))
        return std::nullopt;
    const QStringView path = t.sliced(1, t.size() - 2);
    if (path.contains(QLatin1Char('[')) || path.contains(QLatin1Char(']'))) return std::nullopt;
    return path;
}

struct ParsedValue {
    QString name;
    bool isString = false;
    QString text;
    bool continues = false;  // a typed value whose data goes on on the next line
};

std::optional<ParsedValue> parseValueLine(QStringView line) {
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
    const QStringView data = line.sliced(pos).trimmed();
    if (data.isEmpty() || (!data.contains(QLatin1Char(':')) && data != QLatin1String("-")))
        return std::nullopt;
    v.continues = data.endsWith(QLatin1Char('\\'));
    return v;
}

// A line without its line break: "\r" of a CR LF file is not part of the data.
QStringView stripCr(QStringView line) {
    return line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
}

// Only a typed value line can end in a backslash, and then its data goes on.
bool continued(QStringView line) {
    if (!line.trimmed().endsWith(QLatin1Char('\\'))) return false;
    const auto value = parseValueLine(line);
    return value && value->continues;
}

// How many lines may start a key: a plain loop the compiler turns into vector code,
// many times faster on a large hive than searching for the two characters.
qsizetype keyLinesAtMost(QStringView text) {
    const char16_t* p = text.utf16();
    qsizetype count = 1;
    for (qsizetype i = 1; i < text.size(); ++i) count += (p[i] == u'[') & (p[i - 1] == u'\n');
    return count;
}

// The lines of `text` from `begin` up to `end`, one at a time, each without its "\n".
class LineWalk {
  public:
    LineWalk(QStringView text, qsizetype begin, qsizetype end) : text_(text), pos_(begin), end_(end) {}
    bool Next(QStringView& line) {
        if (pos_ >= end_) return false;
        qsizetype stop = text_.indexOf(QLatin1Char('\n'), pos_);
        if (stop < 0 || stop >= end_) stop = end_;
        line = text_.sliced(pos_, stop - pos_);
        pos_ = stop + 1;
        return true;
    }
    qsizetype Position() const { return std::min(pos_, end_); }

  private:
    QStringView text_;
    qsizetype pos_;
    qsizetype end_;
};

}  // namespace

RegistryHive RegistryHive::Parse(const QString& text) {
    RegistryHive hive;
    hive.text_ = text;
    const QStringView all(hive.text_);
    LineWalk walk(all, 0, all.size());
    // Room for the lines that may start a key, so that a hive of many keys is not moved
    // again and again while it grows (bounded: a file of brackets alone takes no more).
    const qsizetype expected = std::min(keyLinesAtMost(all), all.size() / 32 + 16);
    hive.keys_.reserve(static_cast<size_t>(expected));
    hive.byPath_.reserve(expected);
    HiveKey* current = nullptr;
    bool headerSeen = false;
    QStringView raw;
    // Only the keys are found here; their lines are read when a key is looked up.
    while (walk.Next(raw)) {
        const QStringView line = stripCr(raw);
        if (!headerSeen && current == nullptr && hive.preamble_.isEmpty() && line.trimmed() == kHeader) {
            headerSeen = true;
            continue;
        }
        // Most lines are values: a first character that starts neither a blank nor a key
        // line says so without trimming the line.
        const bool plainValue = !line.isEmpty() && isPrintableAscii(line.front()) && line.front() != u'[';
        if (!plainValue && isBlank(line)) continue;
        if (auto path = plainValue ? std::nullopt : keyPath(line)) {
            QString lower = folded(*path);
            // One look-up finds a key written before or makes the place of a new one.
            const qsizetype known = hive.byPath_.size();
            size_t& at = hive.byPath_[lower];
            if (hive.byPath_.size() != known) {
                at = hive.keys_.size();
                const QString name = path->toString();
                const bool plain = line.size() == name.size() + 2;  // nothing around the brackets
                hive.keys_.push_back(HiveKey{name, plain ? QString() : line.toString(), {}, {}});
                hive.indexParents(std::move(lower));
                current = &hive.keys_.back();
            } else {
                current = &hive.keys_[at];
            }
            current->unread.emplace_back(walk.Position(), walk.Position());
            continue;
        }
        if (current == nullptr) {
            hive.preamble_ << raw.toString();
            continue;
        }
        // A continued value takes the lines after it, whatever they hold.
        bool continues = !(isPrintableAscii(line.back()) && line.back() != u'\\') && continued(line);
        while (continues && walk.Next(raw)) continues = stripCr(raw).trimmed().endsWith(QLatin1Char('\\'));
        current->unread.back().second = walk.Position();
    }
    return hive;
}

void RegistryHive::readEntries(HiveKey& key) const {
    const QStringView all(text_);
    for (const auto& [begin, end] : key.unread) {
        LineWalk walk(all, begin, end);
        QStringView raw;
        while (walk.Next(raw)) {
            const QStringView line = stripCr(raw);
            if (isBlank(line)) continue;
            HiveEntry entry;
            if (auto value = parseValueLine(line)) {
                entry.isValue = true;
                entry.name = value->name;
                entry.isString = value->isString;
                entry.text = value->text;
                entry.lines << line.toString();
                bool continues = value->continues;
                while (continues && walk.Next(raw)) {
                    const QStringView next = stripCr(raw);
                    entry.lines << next.toString();
                    continues = next.trimmed().endsWith(QLatin1Char('\\'));
                }
            } else {
                entry.lines << raw.toString();
            }
            key.entries.push_back(entry);
        }
    }
    key.unread.clear();
}

QString RegistryHive::Format() const {
    qsizetype size = kHeader.size() + 2;
    for (const QString& line : preamble_) size += line.size() + 1;
    for (const HiveKey& key : keys_) {
        size += key.path.size() + 4;
        size += key.headerLine.size();
        for (const HiveEntry& e : key.entries)
            for (const QString& line : e.lines) size += line.size() + 1;
        for (const auto& [begin, end] : key.unread) size += end - begin;
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
        if (key.headerLine.isEmpty())
            out += QLatin1Char('['), out += key.path, out += QLatin1Char(']');
        else
            out += key.headerLine;
        out += newline;
        for (const HiveEntry& e : key.entries)
            for (const QString& line : e.lines) out += line, out += newline;
        appendUnread(out, key);
        out += newline;
    }
    return out;
}

// The lines of a key not read yet, written as reading and writing them would: blank
// lines dropped, and the "\r" of a CR LF file taken off value lines (other lines keep
// what they had).
void RegistryHive::appendUnread(QString& out, const HiveKey& key) const {
    const QStringView all(text_);
    for (const auto& [begin, end] : key.unread) {
        LineWalk walk(all, begin, end);
        QStringView raw;
        while (walk.Next(raw)) {
            const QStringView line = stripCr(raw);
            if (isBlank(line)) continue;
            bool continues = false;
            if (raw.size() != line.size() || line.trimmed().endsWith(QLatin1Char('\\'))) {
                const auto value = parseValueLine(line);
                out += value ? line : raw;
                continues = value && value->continues;
            } else {
                out += raw;
            }
            out += QLatin1Char('\n');
            while (continues && walk.Next(raw)) {
                const QStringView next = stripCr(raw);
                out += next;
                out += QLatin1Char('\n');
                continues = next.trimmed().endsWith(QLatin1Char('\\'));
            }
        }
    }
}

void RegistryHive::index(size_t at, QString lower) {
    if (lower.isNull()) lower = folded(keys_[at].path);
    byPath_.insert(lower, at);
    indexParents(std::move(lower));
}

void RegistryHive::indexParents(QString lower) {
    const qsizetype last = lower.lastIndexOf(QLatin1Char('\\'));
    if (last > 0 && QStringView(lower).left(last) == lastParent_) return;  // and its parents too
    if (last > 0) lastParent_ = lower.left(last);
    for (qsizetype slash = last; slash > 0; slash = lower.lastIndexOf(QLatin1Char('\\'), slash - 1)) {
        lower.truncate(slash);
        if (parents_.contains(lower)) break;  // and so are all of its own parents
        parents_.insert(lower);
    }
}

void RegistryHive::reindex() {
    byPath_.clear();
    parents_.clear();
    lastParent_.clear();
    for (size_t i = 0; i < keys_.size(); ++i) index(i);
}

HiveKey* RegistryHive::FindKey(const QString& path) {
    const auto found = byPath_.constFind(folded(path));
    if (found == byPath_.constEnd()) return nullptr;
    HiveKey& key = keys_[*found];
    if (!key.unread.empty()) readEntries(key);
    return &key;
}

const HiveKey* RegistryHive::FindKey(const QString& path) const {
    return const_cast<RegistryHive*>(this)->FindKey(path);
}

HiveKey& RegistryHive::AddKey(const QString& path) {
    if (HiveKey* existing = FindKey(path)) return *existing;
    keys_.push_back(HiveKey{path, QLatin1Char('[') + path + QLatin1Char(']'), {}, {}});
    index(keys_.size() - 1);
    return keys_.back();
}

bool RegistryHive::HasKey(const QString& path) const {
    const QString lower = folded(path);
    return byPath_.contains(lower) || parents_.contains(lower);
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
