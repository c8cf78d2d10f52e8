#include "platform/RegistryHive.h"

#include <QSet>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <thread>
#include <unordered_map>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/Codepage.h"
#include "platform/SideBySide.h"

namespace platform {

namespace {

constexpr char kHeader[] = "REGEDIT4";

// The blanks QString::trimmed takes off, as bytes of the code page: the ASCII ones and
// the no-break space 0xA0 (no other character of the code page is a blank).
bool isBlankByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == ' ' || (u >= '\t' && u <= '\r') || u == 0xA0;
}

QByteArrayView trimmed(QByteArrayView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlankByte(s[begin])) ++begin;
    while (end > begin && isBlankByte(s[end - 1])) --end;
    return s.sliced(begin, end - begin);
}

bool isBlank(QByteArrayView line) {
    return trimmed(line).isEmpty();
}

// Neither a blank of any kind nor a line break.
bool isPrintableAscii(char c) {
    return c > ' ' && c < 0x7f;
}

QString fromBytes(QByteArrayView bytes) {
    return FromCp1250(QByteArray::fromRawData(bytes.data(), bytes.size()));
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
// closing quote and `out`, when given, holds the text unescaped. A backslash before
// anything other than \ " n r stays as written, which is kinder to hand-edited files
// than rejecting the line.
bool readQuoted(QByteArrayView line, qsizetype& pos, QByteArray* out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    qsizetype copied = pos + 1;  // where the part not yet in `out` starts
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (out != nullptr) out->append(line.sliced(copied, i - copied));
            pos = i + 1;
            return true;
        }
        if (c != '\\' || i + 1 >= line.size()) continue;
        const char n = line[i + 1];
        if (n != '\\' && n != '"' && n != 'n' && n != 'r') continue;
        if (out != nullptr) {
            out->append(line.sliced(copied, i - copied));
            out->append(n == 'n' ? '\n' : n == 'r' ? '\r' : n);
        }
        ++i;
        copied = i + 1;
    }
    return false;  // no closing quote: a truncated line
}

void skipBlanks(QByteArrayView line, qsizetype& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
}

// The path of a key line: "[path]" with nothing but blanks around it, as its place in
// the line; "[-path]" (a deletion request of the import format) is not a key here.
bool keyPath(QByteArrayView line, qsizetype& at, qsizetype& length) {
    const QByteArrayView t = trimmed(line);
    if (t.size() < 3 || t.front() != '[' || t.back() != ']' || t[1] == '-') return false;
    const QByteArrayView path = t.sliced(1, t.size() - 2);
    if (std::any_of(path.begin(), path.end(), [](char c) { return c == '[' || c == ']'; })) return false;
    at = t.data() + 1 - line.data();
    length = path.size();
    return true;
}

struct ParsedValue {
    QByteArray name;  // unescaped, still in the code page
    bool isString = false;
    QByteArray text;
    bool continues = false;  // a typed value whose data goes on on the next line
};

// Whether the line is a value line; `keepTexts` false only tells that (and the kind).
bool parseValueLine(QByteArrayView line, ParsedValue& v, bool keepTexts) {
    qsizetype pos = 0;
    skipBlanks(line, pos);
    if (pos < line.size() && line[pos] == '@')
        ++pos;
    else if (!readQuoted(line, pos, keepTexts ? &v.name : nullptr))
        return false;
    skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    skipBlanks(line, pos);
    if (pos < line.size() && line[pos] == '"') {
        if (!readQuoted(line, pos, keepTexts ? &v.text : nullptr)) return false;
        skipBlanks(line, pos);
        if (pos != line.size()) return false;
        v.isString = true;
        return true;
    }
    // Another type (dword:, hex:, hex(2):...): kept as written, not readable as a string.
    const QByteArrayView data = trimmed(line.sliced(pos));
    if (data.isEmpty() || (!data.contains(':') && !(data.size() == 1 && data.front() == '-'))) return false;
    v.continues = data.endsWith('\\');
    return true;
}

// A line without its line break: "\r" of a CR LF file is not part of the data.
QByteArrayView stripCr(QByteArrayView line) {
    return line.endsWith('\r') ? line.chopped(1) : line;
}

bool endsInBackslash(QByteArrayView line) {
    return trimmed(line).endsWith('\\');
}

// Only a typed value line can end in a backslash, and then its data goes on.
bool continued(QByteArrayView line) {
    if (!endsInBackslash(line)) return false;
    ParsedValue value;
    return parseValueLine(line, value, false) && value.continues;
}

// The lines of `text` from `begin` up to `end`, one at a time, each without its "\n".
// A settings file is mostly short lines: the line breaks are found sixteen bytes at a
// time rather than with a call for each line.
class LineWalk {
  public:
    LineWalk(QByteArrayView text, qsizetype begin, qsizetype end)
        : text_(text), pos_(begin), end_(end), scanned_(begin) {}
    bool Next(QByteArrayView& line) {
        if (pos_ >= end_) return false;
        const qsizetype stop = nextNewline();
        line = text_.sliced(pos_, stop - pos_);
        hadNewline_ = stop < end_;
        pos_ = stop + 1;
        return true;
    }
    qsizetype Position() const { return std::min(pos_, end_); }
    // Whether the line Next gave ended in "\n" (the last one of the text may not).
    bool HadNewline() const { return hadNewline_; }

  private:
    // The next line break at or after pos_, end_ when there is none.
    qsizetype nextNewline() {
        const char* data = text_.data();
        for (;;) {
            if (newlines_ != 0) {
                const qsizetype at = block_ + std::countr_zero(newlines_);
                newlines_ &= newlines_ - 1;
                return at;
            }
#ifdef __SSE2__
            if (scanned_ + 16 <= end_) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + scanned_));
                newlines_ =
                    static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
                block_ = scanned_;
                scanned_ += 16;
                continue;
            }
#endif
            if (scanned_ >= end_) return end_;
            const auto* found = static_cast<const char*>(
                std::memchr(data + scanned_, '\n', static_cast<size_t>(end_ - scanned_)));
            const qsizetype at = found != nullptr ? found - data : end_;
            scanned_ = at + 1;
            return at;
        }
    }

    QByteArrayView text_;
    qsizetype pos_;
    qsizetype end_;
    qsizetype scanned_;      // bytes up to here are searched
    qsizetype block_ = 0;    // where the bits of newlines_ count from
    uint32_t newlines_ = 0;  // line breaks found and not given yet, one bit each
    bool hadNewline_ = false;
};

qsizetype lastBackslash(const FoldedUnits& units, qsizetype from) {
    for (qsizetype i = from; i >= 0; --i)
        if (units[i] == u'\\') return i;
    return -1;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

RegistryHive RegistryHive::Parse(const QString& text) {
    return ParseBytes(ToCp1250(text));
}

QString RegistryHive::Format() const {
    return FromCp1250(FormatBytes());
}

// The key lines of a part of the file, in the order of the file. A part after the first
// starts at a line start, in the lines of a key of an earlier part.
struct RegistryHive::Scan {
    std::vector<KeyRecord> keys;                   // the last one's lines end with the part
    std::array<std::vector<uint32_t>, 4> byShard;  // places in `keys` of each shard's keys
    QList<QByteArray> preamble;
    bool endsInContinuation = false;  // the last line's value goes on past the part
};

void RegistryHive::scan(QByteArrayView all, qsizetype begin, qsizetype end, Scan& out) {
    // Room for the keys such a part usually holds, so that the list of many keys is not
    // moved again and again while it grows.
    const auto expected = static_cast<size_t>((end - begin) / 96 + 16);
    out.keys.reserve(expected);
    QByteArrayView lastFolder;
    LineWalk walk(all, begin, end);
    bool inKeys = begin > 0;  // past the first key line
    bool headerSeen = false;
    QByteArrayView raw;
    while (walk.Next(raw)) {
        const QByteArrayView line = stripCr(raw);
        if (!headerSeen && !inKeys && out.preamble.isEmpty() && trimmed(line) == kHeader) {
            headerSeen = true;
            continue;
        }
        // Most lines are values: a first character that starts neither a blank nor a key
        // line says so without trimming the line.
        const bool plainValue = !line.isEmpty() && isPrintableAscii(line.front()) && line.front() != '[';
        if (!plainValue && isBlank(line)) continue;
        qsizetype pathAt = 0;
        qsizetype pathLength = 0;
        // (A key line of 512 MiB and more would not fit its record.)
        if (!plainValue && line.size() < (qsizetype(1) << 29) && keyPath(line, pathAt, pathLength)) {
            const qsizetype lineAt = line.data() - all.data();
            if (!out.keys.empty()) out.keys.back().bodyEnd = lineAt;
            const QByteArrayView path = line.sliced(pathAt, pathLength);
            const auto* slash =
                static_cast<const char*>(memrchr(path.data(), '\\', static_cast<size_t>(path.size())));
            const QByteArrayView folder = path.first(slash != nullptr ? slash - path.data() : 0);
            KeyRecord& key = out.keys.emplace_back();
            key.line = lineAt;
            key.bodyEnd = end;
            key.lineLength = static_cast<uint32_t>(line.size()) & ((1u << 29) - 1);
            key.cr = raw.size() != line.size() ? 1 : 0;
            key.folderAsBefore = !folder.isEmpty() && folder == lastFolder ? 1 : 0;
            key.hash = HashFoldedCp1250(path);
            out.byShard[shardOf(key.hash)].push_back(static_cast<uint32_t>(out.keys.size() - 1));
            lastFolder = folder;
            inKeys = true;
            continue;
        }
        if (!inKeys) {
            out.preamble.push_back(raw.toByteArray());
            continue;
        }
        // A continued value takes the lines after it, whatever they hold.
        bool continues = !(isPrintableAscii(line.back()) && line.back() != '\\') && continued(line);
        while (continues && walk.Next(raw)) continues = endsInBackslash(stripCr(raw));
        out.endsInContinuation = continues;
    }
}

RegistryHive RegistryHive::ParseBytes(QByteArray bytes) {
    RegistryHive hive;
    hive.bytes_ = std::move(bytes);
    const QByteArrayView all(hive.bytes_);
    // Only the keys are found here; their lines are read when a key is looked up. A large
    // file is cut into parts at line starts, looked through side by side.
    constexpr qsizetype kPartAtLeast = 1 << 20;
    const auto processors = static_cast<qsizetype>(std::max(1u, std::thread::hardware_concurrency()));
    const qsizetype partCount =
        std::clamp<qsizetype>(all.size() / kPartAtLeast, 1, std::min<qsizetype>(4, processors));
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 1; i < partCount; ++i) {
        const qsizetype from = std::max(starts.back(), all.size() / partCount * i);
        const auto* newline = static_cast<const char*>(
            std::memchr(all.data() + from, '\n', static_cast<size_t>(all.size() - from)));
        if (newline == nullptr) break;
        starts.push_back(newline + 1 - all.data());
    }
    starts.push_back(all.size());
    std::vector<Scan> parts(starts.size() - 1);
    RunSideBySide(static_cast<int>(parts.size()),
                  [&](int i) { scan(all, starts[size_t(i)], starts[size_t(i) + 1], parts[size_t(i)]); });
    // The parts hold together when the first one reached the keys and no value goes on
    // from one part into the next; otherwise the file is looked through in one piece.
    bool joined = !parts[0].keys.empty();
    for (size_t i = 0; i + 1 < parts.size(); ++i) joined = joined && !parts[i].endsInContinuation;
    if (parts.size() > 1 && !joined) {
        parts.resize(1);
        parts[0] = Scan();
        scan(all, 0, all.size(), parts[0]);
    }
    hive.preamble_ = std::move(parts[0].preamble);
    // The lines of each part's last key run up to the next part's first key line.
    std::array<std::vector<uint32_t>, 4> byShard;  // every key's place in the whole list
    uint32_t first = 0;
    Scan* before = nullptr;
    for (Scan& part : parts) {
        for (size_t shard = 0; shard < byShard.size(); ++shard)
            for (const uint32_t at : part.byShard[shard]) byShard[shard].push_back(first + at);
        first += static_cast<uint32_t>(part.keys.size());
        if (part.keys.empty()) continue;
        if (before != nullptr) before->keys.back().bodyEnd = part.keys.front().line;
        before = &part;
    }
    if (before != nullptr) before->keys.back().bodyEnd = all.size();
    std::vector<std::vector<KeyRecord>> lists;
    for (Scan& part : parts) lists.push_back(std::move(part.keys));
    hive.keys_.Assign(std::move(lists));
    const auto count = static_cast<uint32_t>(hive.keys_.size());

    // The keys go into the index after looking through the file: looking each key up
    // while the file streams through the cache would wait for memory at every key. Each
    // shard takes its keys in the order of the file, so the first of a key written twice
    // is the one entered; the second's lines become a stretch of the first's.
    std::array<std::vector<std::pair<uint32_t, uint32_t>>, 4> again;
    const auto enterParents = [&] {
        // Every key's: a key written twice has the same.
        FoldedUnits units;
        for (uint32_t at = 0; at < count; ++at) {
            const KeyRecord& key = hive.keys_[at];
            if (key.folderAsBefore) continue;
            hive.foldedPath(key, units);
            hive.indexParents(at, units);
        }
    };
    if (parts.size() > 1) {
        RunSideBySide(static_cast<int>(hive.byPath_.size()), [&](int shard) {
            if (shard == 0) enterParents();
            hive.enterShard(size_t(shard), byShard[size_t(shard)], again[size_t(shard)]);
        });
    } else {
        for (size_t shard = 0; shard < hive.byPath_.size(); ++shard)
            hive.enterShard(shard, byShard[shard], again[shard]);
        enterParents();
    }
    std::vector<std::pair<uint32_t, uint32_t>> written;
    for (const auto& shard : again) written.insert(written.end(), shard.begin(), shard.end());
    std::sort(written.begin(), written.end());
    std::unordered_map<uint32_t, int32_t> lastStretch;  // of the keys written more than once
    for (const auto& [at, firstAt] : written) {
        KeyRecord& key = hive.keys_[at];
        KeyRecord& first = hive.keys_[firstAt];
        key.merged = 1;
        const auto stretch = static_cast<int32_t>(hive.stretches_.size());
        hive.stretches_.push_back(hive.firstStretch(key));
        const auto last = lastStretch.find(firstAt);
        (last == lastStretch.end() ? first.next : hive.stretches_[static_cast<size_t>(last->second)].next) =
            stretch;
        lastStretch[firstAt] = stretch;
    }
    return hive;
}

void RegistryHive::enterShard(size_t shard, const std::vector<uint32_t>& ats,
                              std::vector<std::pair<uint32_t, uint32_t>>& again) {
    FlatIndex& index = byPath_[shard];
    index.Reserve(ats.size());
    FoldedUnits units;
    for (const uint32_t at : ats) {
        const uint32_t found = index.FindOrAdd(keys_[at].hash, at, [&](uint32_t k) {
            FoldCp1250(pathOf(keys_[at]), units);
            return samePath(keys_[k], -1, units.data(), units.size());
        });
        if (found != at) again.emplace_back(at, found);
    }
}

void RegistryHive::KeyList::push_back(const KeyRecord& key) {
    if (parts_.empty()) {
        parts_.emplace_back();
        firsts_.push_back(0);
    }
    parts_.back().push_back(key);
    ++size_;
}

void RegistryHive::KeyList::Assign(std::vector<std::vector<KeyRecord>> parts) {
    parts_ = std::move(parts);
    firsts_.clear();
    size_ = 0;
    for (const auto& part : parts_) {
        firsts_.push_back(size_);
        size_ += part.size();
    }
}

HiveKey& RegistryHive::load(uint32_t at) {
    KeyRecord& record = keys_[at];
    if (record.loaded >= 0) return loaded_[static_cast<size_t>(record.loaded)];
    record.loaded = static_cast<int32_t>(loaded_.size());
    HiveKey& key = loaded_.emplace_back();
    const QByteArrayView all(bytes_);
    const QByteArrayView keyLine = all.sliced(record.line, record.lineLength);
    const QByteArrayView path = pathOf(record);
    key.path = fromBytes(path);
    if (keyLine.size() != path.size() + 2) key.headerLine = fromBytes(keyLine);
    forEachStretch(record, [&](const Stretch& s) {
        LineWalk walk(all, s.begin, s.end);
        QByteArrayView raw;
        while (walk.Next(raw)) {
            const QByteArrayView line = stripCr(raw);
            if (isBlank(line)) continue;
            HiveEntry entry;
            ParsedValue value;
            if (parseValueLine(line, value, true)) {
                entry.isValue = true;
                entry.name = FromCp1250(value.name);
                entry.isString = value.isString;
                entry.text = FromCp1250(value.text);
                entry.lines << fromBytes(line);
                bool continues = value.continues;
                while (continues && walk.Next(raw)) {
                    const QByteArrayView next = stripCr(raw);
                    entry.lines << fromBytes(next);
                    continues = endsInBackslash(next);
                }
            } else {
                entry.lines << fromBytes(raw);
            }
            key.entries.push_back(std::move(entry));
        }
    });
    return key;
}

QByteArray RegistryHive::FormatBytes() const {
    qsizetype size = 16;
    for (const QByteArray& line : preamble_) size += line.size() + 1;
    keys_.ForEach([&](const KeyRecord& record) {
        if (record.merged) return;
        if (record.loaded < 0) {
            size += record.lineLength + 2;
            forEachStretch(record, [&](const Stretch& s) { size += s.end - s.begin + 1; });
            return;
        }
        const HiveKey& key = loaded_[static_cast<size_t>(record.loaded)];
        size += key.path.size() + key.headerLine.size() + 4;
        for (const HiveEntry& e : key.entries)
            for (const QString& line : e.lines) size += line.size() + 1;
    });
    QByteArray out;
    out.reserve(size);
    out += kHeader;
    out += "\n\n";
    if (!preamble_.isEmpty()) {
        for (const QByteArray& line : preamble_) out += line, out += '\n';
        out += '\n';
    }
    keys_.ForEach([&](const KeyRecord& record) {
        if (record.merged) return;
        if (record.loaded < 0) {
            out += QByteArrayView(bytes_).sliced(record.line, record.lineLength);
            out += '\n';
            appendUnread(out, record);
        } else {
            const HiveKey& key = loaded_[static_cast<size_t>(record.loaded)];
            out += ToCp1250(key.headerLine.isEmpty() ? QLatin1Char('[') + key.path + QLatin1Char(']')
                                                     : key.headerLine);
            out += '\n';
            for (const HiveEntry& e : key.entries)
                for (const QString& line : e.lines) out += ToCp1250(line), out += '\n';
        }
        out += '\n';
    });
    return out;
}

// The lines of a key not read yet, written as reading and writing them would: blank
// lines dropped, and the "\r" of a CR LF file taken off value lines (other lines keep
// what they had).
void RegistryHive::appendUnread(QByteArray& out, const KeyRecord& record) const {
    const QByteArrayView all(bytes_);
    // Lines written as they stand go out together, with their line breaks, as one piece.
    qsizetype runBegin = 0;
    qsizetype runEnd = 0;
    const auto flush = [&] {
        out += all.sliced(runBegin, runEnd - runBegin);
        runBegin = runEnd = 0;
    };
    const auto put = [&](const LineWalk& walk, QByteArrayView raw, QByteArrayView written) {
        const qsizetype begin = raw.data() - all.data();
        if (written.size() == raw.size() && walk.HadNewline()) {
            if (begin != runEnd) flush(), runBegin = begin;
            runEnd = begin + raw.size() + 1;
            return;
        }
        flush();
        out += written;
        out += '\n';
    };
    forEachStretch(record, [&](const Stretch& s) {
        LineWalk walk(all, s.begin, s.end);
        QByteArrayView raw;
        while (walk.Next(raw)) {
            const QByteArrayView line = stripCr(raw);
            if (isBlank(line)) continue;
            bool continues = false;
            if (raw.size() != line.size() || endsInBackslash(line)) {
                ParsedValue value;
                const bool isValue = parseValueLine(line, value, false);
                put(walk, raw, isValue ? line : raw);
                continues = isValue && value.continues;
            } else {
                put(walk, raw, raw);
            }
            while (continues && walk.Next(raw)) {
                const QByteArrayView next = stripCr(raw);
                put(walk, raw, next);
                continues = endsInBackslash(next);
            }
        }
    });
    flush();
}

RegistryHive::Stretch RegistryHive::firstStretch(const KeyRecord& key) const {
    const qsizetype begin = std::min(key.line + key.lineLength + key.cr + 1, bytes_.size());
    return Stretch{begin, key.bodyEnd, key.next};
}

QByteArrayView RegistryHive::pathOf(const KeyRecord& key) const {
    const QByteArrayView line = QByteArrayView(bytes_).sliced(key.line, key.lineLength);
    qsizetype at = 0;
    qsizetype length = 0;
    keyPath(line, at, length);
    return line.sliced(at, length);
}

void RegistryHive::foldedPath(const KeyRecord& key, FoldedUnits& out) const {
    if (key.line >= 0)
        FoldCp1250(pathOf(key), out);
    else
        FoldText(loaded_[static_cast<size_t>(key.loaded)].path, out);
}

bool RegistryHive::samePath(const KeyRecord& key, qsizetype length, const char16_t* units,
                            qsizetype count) const {
    if (key.line < 0) {
        FoldedUnits own;
        FoldText(loaded_[static_cast<size_t>(key.loaded)].path, own);
        if (length < 0) length = own.size();
        return length == count && length <= own.size() && std::equal(own.data(), own.data() + length, units);
    }
    const QByteArrayView written = pathOf(key);
    if (length < 0) length = written.size();
    if (length != count || length > written.size()) return false;
    const auto& folded = FoldedCp1250Units();
    const auto* path = reinterpret_cast<const unsigned char*>(written.data());
    for (qsizetype i = 0; i < count; ++i)
        if (folded[path[i]] != units[i]) return false;
    return true;
}

int64_t RegistryHive::findKey(const FoldedUnits& units) const {
    const uint32_t hash = HashFolded(units.data(), units.size());
    return byPath_[shardOf(hash)].Find(
        hash, [&](uint32_t i) { return samePath(keys_[i], -1, units.data(), units.size()); });
}

void RegistryHive::indexParents(uint32_t at, const FoldedUnits& units) {
    const qsizetype last = lastBackslash(units, units.size() - 1);
    if (last <= 0) return;
    // Keys of one folder come together: their parents are listed with the first of them.
    if (lastParent_.size() == last && std::equal(units.data(), units.data() + last, lastParent_.data()))
        return;
    lastParent_.resize(last);
    std::copy(units.data(), units.data() + last, lastParent_.data());
    for (qsizetype slash = last; slash > 0; slash = lastBackslash(units, slash - 1)) {
        const auto fresh = static_cast<uint32_t>(parents_.size());
        const uint32_t found = byParent_.FindOrAdd(HashFolded(units.data(), slash), fresh, [&](uint32_t i) {
            const ParentRecord& parent = parents_[i];
            return samePath(keys_[parent.key], parent.length, units.data(), slash);
        });
        if (found != fresh) break;  // and so are all of its own parents
        parents_.push_back(ParentRecord{at, static_cast<uint32_t>(slash)});
    }
}

void RegistryHive::reindex() {
    for (FlatIndex& shard : byPath_) shard.Clear();
    byParent_.Clear();
    parents_.clear();
    lastParent_.clear();
    FoldedUnits units;
    for (uint32_t i = 0; i < keys_.size(); ++i) {
        foldedPath(keys_[i], units);
        const uint32_t hash = HashFolded(units.data(), units.size());
        byPath_[shardOf(hash)].FindOrAdd(hash, i, [](uint32_t) { return false; });
        indexParents(i, units);
    }
}

HiveKey* RegistryHive::FindKey(const QString& path) {
    FoldedUnits units;
    FoldText(path, units);
    const int64_t at = findKey(units);
    return at < 0 ? nullptr : &load(static_cast<uint32_t>(at));
}

const HiveKey* RegistryHive::FindKey(const QString& path) const {
    return const_cast<RegistryHive*>(this)->FindKey(path);
}

HiveKey& RegistryHive::AddKey(const QString& path) {
    if (HiveKey* existing = FindKey(path)) return *existing;
    const auto at = static_cast<uint32_t>(keys_.size());
    KeyRecord record;
    record.loaded = static_cast<int32_t>(loaded_.size());
    loaded_.push_back(HiveKey{path, QLatin1Char('[') + path + QLatin1Char(']'), {}});
    keys_.push_back(record);
    FoldedUnits units;
    FoldText(path, units);
    const uint32_t hash = HashFolded(units.data(), units.size());
    byPath_[shardOf(hash)].FindOrAdd(hash, at, [](uint32_t) { return false; });
    indexParents(at, units);
    return loaded_.back();
}

bool RegistryHive::HasKey(const QString& path) const {
    FoldedUnits units;
    FoldText(path, units);
    if (findKey(units) >= 0) return true;
    return byParent_.Find(HashFolded(units.data(), units.size()), [&](uint32_t i) {
        const ParentRecord& parent = parents_[i];
        return samePath(keys_[parent.key], parent.length, units.data(), units.size());
    }) >= 0;
}

bool RegistryHive::RemoveKeyTree(const QString& path) {
    if (!HasKey(path)) return false;
    FoldedUnits units;
    FoldText(path, units);
    const qsizetype n = units.size();
    std::vector<KeyRecord> kept;
    std::deque<HiveKey> keptLoaded;
    FoldedUnits own;
    keys_.ForEach([&](KeyRecord record) {
        if (record.merged) return;  // its lines went with the first
        foldedPath(record, own);
        const bool below = own.size() >= n && std::equal(units.data(), units.data() + n, own.data()) &&
                           (own.size() == n || own[n] == u'\\');
        if (below) return;
        if (record.loaded >= 0) {
            keptLoaded.push_back(std::move(loaded_[static_cast<size_t>(record.loaded)]));
            record.loaded = static_cast<int32_t>(keptLoaded.size() - 1);
        }
        kept.push_back(record);
    });
    std::vector<std::vector<KeyRecord>> lists;
    lists.push_back(std::move(kept));
    keys_.Assign(std::move(lists));
    loaded_.swap(keptLoaded);
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
