#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <utility>
#include <vector>

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

struct HiveKey {
    QString path;        // between the brackets, e.g. HKEY_LOCAL_MACHINE\SOFTWARE\Morvane
    QString headerLine;  // as read; empty when it is "[" + path + "]"
    std::vector<HiveEntry> entries;
    // Where the key's lines stand in the parsed text, read into `entries` only when the
    // key is first looked up: a hive of many keys opens at the cost of finding its keys.
    // (More than one range for a key written twice.)
    QVarLengthArray<std::pair<qsizetype, qsizetype>, 1> unread;
};

class RegistryHive {
  public:
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
    // Reads the key's lines into its entries, once.
    void readEntries(HiveKey& key) const;
    void appendUnread(QString& out, const HiveKey& key) const;
    // `lower`: the key's path without letter case, when the caller has it already.
    void index(size_t at, QString lower = QString());
    void indexParents(QString lower);
    void reindex();

    QString text_;          // the parsed text, for the keys not read yet
    QStringList preamble_;  // lines before the first key other than the header and blanks
    std::vector<HiveKey> keys_;
    // Case-folded paths: of every key (to its place in keys_), and of every key's parents.
    QHash<QString, size_t> byPath_;
    QSet<QString> parents_;
    QString lastParent_;  // of the key indexed last: keys of one folder come together
};

}  // namespace platform
