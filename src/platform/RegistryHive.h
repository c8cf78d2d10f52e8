#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "platform/FoldedPathIndex.h"

// One registry root kept as a REGEDIT4 text file: the parsed form of the file and
// its text again. Whatever the parser does not understand is kept line for line,
// so rewriting a hive never loses what a user or another program put there.
namespace platform {

struct HiveEntry {
    bool isValue = false;  // false: a line kept as it was read
    QString name;          // value name, unescaped ("" for the default value "@")
    bool isString = false;
    QString text;       // the string, unescaped (string values only)
    QStringList lines;  // the lines as written (several for a continued hex value)
};

// A key as the program sees it once it has looked it up or added it.
struct HiveKey {
    QString path;        // between the brackets, e.g. HKEY_LOCAL_MACHINE\SOFTWARE\Morvane
    QString headerLine;  // as read; empty when it is "[" + path + "]"
    std::vector<HiveEntry> entries;
};

class RegistryHive {
  public:
    // The file's bytes, Windows-1250. Only the keys are found here: a key's lines are
    // read (and converted) when it is first looked up, and a key never looked up is
    // written back from the bytes it was read from.
    static RegistryHive ParseBytes(QByteArray bytes);
    QByteArray FormatBytes() const;
    // The same through a text (a character outside the code page is written as "?").
    static RegistryHive Parse(const QString& text);
    QString Format() const;

    // Keys compare without letter case; `path` includes the root name.
    HiveKey* FindKey(const QString& path);
    const HiveKey* FindKey(const QString& path) const;
    HiveKey& AddKey(const QString& path);
    // True when the key is listed or is the parent of a listed key.
    bool HasKey(const QString& path) const;
    // Removes the key and every key below it; false when there was none.
    bool RemoveKeyTree(const QString& path);

    // Values of a key; the last of several with the same name is the one in force.
    static const HiveEntry* FindValue(const HiveKey& key, const QString& name);
    static void SetString(HiveKey& key, const QString& name, const QString& value);
    static bool RemoveValue(HiveKey& key, const QString& name);
    static QStringList ValueNames(const HiveKey& key);

    static QString FormatStringValue(const QString& name, const QString& value);

  private:
    // A stretch of a key's lines in bytes_, not read yet; several for a key written
    // more than once, chained in stretches_.
    struct Stretch {
        qsizetype begin = 0;
        qsizetype end = 0;
        int32_t next = -1;
    };
    // Every key in the order of the file, new keys last: small, a large file has many.
    struct KeyRecord {
        qsizetype line = -1;              // its key line in bytes_; -1 for a key added since
        qsizetype bodyEnd = 0;            // its first lines run from after the key line up to here
        uint32_t lineLength : 29 = 0;     // without a "\r"
        uint32_t cr : 1 = 0;              // the key line ends in "\r\n"
        uint32_t folderAsBefore : 1 = 0;  // its folder is written as that of the key line before
        uint32_t merged : 1 = 0;          // written again: its lines are a stretch of the first's
        uint32_t hash = 0;                // of its folded path
        int32_t next = -1;                // its further stretches
        int32_t loaded = -1;              // in loaded_, once looked up or added
    };
    // The keys as the parts of a large file listed them, side by side, kept apart rather
    // than copied into one list.
    class KeyList {
      public:
        size_t size() const { return size_; }
        KeyRecord& operator[](size_t at) { return const_cast<KeyRecord&>(std::as_const(*this)[at]); }
        const KeyRecord& operator[](size_t at) const {
            size_t part = parts_.size() - 1;
            while (at < firsts_[part]) --part;
            return parts_[part][at - firsts_[part]];
        }
        void push_back(const KeyRecord& key);
        void Assign(std::vector<std::vector<KeyRecord>> parts);
        template <typename Visit>
        void ForEach(Visit visit) const {
            for (const auto& part : parts_)
                for (const KeyRecord& key : part) visit(key);
        }

      private:
        std::vector<std::vector<KeyRecord>> parts_;
        std::vector<size_t> firsts_;  // the place of each part's first key
        size_t size_ = 0;
    };
    // A parent of listed keys: the first `length` units of a key's path.
    struct ParentRecord {
        uint32_t key;
        uint32_t length;
    };

    struct Scan;
    // Lists the key lines from `begin` (a line start) up to `end`.
    static void scan(QByteArrayView all, qsizetype begin, qsizetype end, Scan& out);
    // Reads the key's lines into a HiveKey, once.
    HiveKey& load(uint32_t at);
    void appendUnread(QByteArray& out, const KeyRecord& key) const;
    // The first stretch of the key's lines; its path as written (keys read from the file).
    Stretch firstStretch(const KeyRecord& key) const;
    // Calls `f` with each stretch of the key's lines, in the order of the file.
    template <class F>
    void forEachStretch(const KeyRecord& key, F&& f) const {
        const Stretch first = firstStretch(key);
        for (const Stretch* s = &first; s != nullptr;
             s = s->next < 0 ? nullptr : &stretches_[static_cast<size_t>(s->next)])
            f(*s);
    }
    QByteArrayView pathOf(const KeyRecord& key) const;
    void foldedPath(const KeyRecord& key, FoldedUnits& out) const;
    // Whether the first `length` units of the key's path (all of them: -1) are `units`.
    bool samePath(const KeyRecord& key, qsizetype length, const char16_t* units, qsizetype count) const;
    int64_t findKey(const FoldedUnits& units) const;
    // The index of the keys is cut in four by the hash, so that a large file's keys go in
    // side by side.
    static size_t shardOf(uint32_t hash) { return hash >> 30; }
    // Enters the keys at `ats` (in the order of the file) into one shard of the index;
    // the keys written again go to `again` as their place and the place of their first.
    void enterShard(size_t shard, const std::vector<uint32_t>& ats,
                    std::vector<std::pair<uint32_t, uint32_t>>& again);
    // Lists the parents of the key at `at`, whose folded path is `units`.
    void indexParents(uint32_t at, const FoldedUnits& units);
    void reindex();

    QByteArray bytes_;            // the parsed file, for the keys not read yet
    QList<QByteArray> preamble_;  // lines before the first key other than the header and blanks
    KeyList keys_;
    std::vector<Stretch> stretches_;
    std::deque<HiveKey> loaded_;       // a deque: a key found stays where it is
    std::array<FlatIndex, 4> byPath_;  // keys_ by folded path, by shardOf
    FlatIndex byParent_;               // parents_ by folded path
    std::vector<ParentRecord> parents_;
    FoldedUnits lastParent_;  // of the key indexed last: keys of one folder come together
};

}  // namespace platform
