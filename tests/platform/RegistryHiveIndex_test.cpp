#include <gtest/gtest.h>

#include <QMap>
#include <QRandomGenerator>
#include <vector>

#include "platform/Codepage.h"
#include "platform/RegistryHive.h"

using platform::FromCp1250;
using platform::HiveKey;
using platform::RegistryHive;
using platform::ToCp1250;

namespace {

const QString kRoot = QStringLiteral("HKEY_CURRENT_USER\\");

// Key paths are found from the file's bytes without letter case exactly as the texts
// compare after QString::toCaseFolded, for every byte of the code page: a key written
// with one byte is found by a name with any other byte or character of the same folded
// letter (Polish letters, the micro sign and the Greek mu), and by no other.
TEST(RegistryHiveIndex, EveryByteFoldsAsTheTextWould) {
    QByteArray file = "REGEDIT4\n\n";
    std::vector<unsigned char> used;
    for (int b = 0x20; b < 0x100; ++b) {
        if (b == '[' || b == ']' || b == '\\') continue;
        used.push_back(static_cast<unsigned char>(b));
        file += "[HKEY_CURRENT_USER\\K" + QByteArray(1, static_cast<char>(b)) + "x]\n\"V\"=\"" +
                QByteArray::number(b) + "\"\n\n";
    }
    RegistryHive hive = RegistryHive::ParseBytes(file);
    const auto name = [](QChar c) { return kRoot + QLatin1Char('K') + c + QLatin1Char('x'); };
    for (const unsigned char b : used) {
        const QChar c = FromCp1250(QByteArray(1, static_cast<char>(b)))[0];
        // The first of the bytes that fold alike is the key; the others joined it, and
        // the value written last is the one in force.
        int first = -1;
        int last = -1;
        for (const unsigned char other : used) {
            if (FromCp1250(QByteArray(1, static_cast<char>(other))).toCaseFolded() !=
                QString(c).toCaseFolded())
                continue;
            if (first < 0) first = other;
            last = other;
        }
        for (const QString& query : {name(c), name(c).toUpper(), name(c).toLower()}) {
            if (query.size() != name(c).size()) continue;  // "ß" upper-cased is "SS"
            SCOPED_TRACE(query.toStdString());
            const HiveKey* key = hive.FindKey(query);
            ASSERT_NE(key, nullptr);
            EXPECT_EQ(key->path, name(FromCp1250(QByteArray(1, static_cast<char>(first)))[0]));
            EXPECT_EQ(RegistryHive::FindValue(*key, "V")->text, QString::number(last));
        }
    }
    EXPECT_TRUE(hive.HasKey(QString::fromUtf8("HKEY_CURRENT_USER\\KΜx")));   // Greek capital mu
    EXPECT_FALSE(hive.HasKey(QString::fromUtf8("HKEY_CURRENT_USER\\KÀx")));  // not in the code page
    EXPECT_TRUE(hive.HasKey(QString::fromUtf8("hkey_current_user")));
    // The no-break space is a blank around a key line, as for QString::trimmed.
    EXPECT_TRUE(
        RegistryHive::ParseBytes("\xA0[HKEY_CURRENT_USER\\Nbsp]\xA0\n").HasKey("HKEY_CURRENT_USER\\Nbsp"));
}

// A random hive and what it must read as: keys written again in another letter case,
// values set again, continued values, lines the parser keeps as they are, blank lines,
// CR LF and LF, parents of keys.
struct Model {
    QByteArray file;
    QStringList paths;                             // as first written, in the order of the file
    QMap<QString, QMap<QString, QString>> values;  // folded path, folded name: the last text
    QMap<QString, QStringList> names;              // folded path: value names as first written
};

QString randomCase(QRandomGenerator& random, const QString& text) {
    QString out;
    for (const QChar c : text) out += random.bounded(2) ? c.toUpper() : c.toLower();
    return out;
}

Model randomHive(QRandomGenerator& random, int keys) {
    static const QStringList words = {QStringLiteral("Software"), QStringLiteral("Zażółć"),
                                      QStringLiteral("GĘŚLĄ"),    QStringLiteral("jaźń"),
                                      QStringLiteral("Łódź"),     QStringLiteral("Other")};
    Model m;
    const QByteArray eol = random.bounded(2) ? "\r\n" : "\n";
    m.file = "REGEDIT4" + eol + eol;
    for (int k = 0; k < keys; ++k) {
        QString path;
        if (!m.paths.isEmpty() && random.bounded(5) == 0) {
            path = randomCase(random, m.paths[random.bounded(m.paths.size())]);
        } else {
            path = QStringLiteral("HKEY_CURRENT_USER");
            for (int depth = 1 + random.bounded(3); depth > 0; --depth)
                path += QLatin1Char('\\') + words[random.bounded(words.size())] +
                        QString::number(random.bounded(40));
        }
        const QString folded = path.toCaseFolded();
        if (!m.values.contains(folded)) m.paths << path;
        m.values[folded];
        m.file += ToCp1250(QLatin1Char('[') + path + QLatin1Char(']')) + eol;
        for (int line = random.bounded(5); line > 0; --line) {
            switch (random.bounded(5)) {
                case 0:
                    m.file += "\"Hex\"=hex:01,02,\\" + eol + "  [HKEY_CURRENT_USER\\Swallowed]" + eol;
                    if (!m.names[folded].contains(QStringLiteral("Hex")))
                        m.names[folded] << QStringLiteral("Hex");
                    break;
                case 1:
                    m.file += "kept as it stands" + eol;
                    break;
                case 2:
                    m.file += eol;
                    break;
                default: {
                    const QString name = randomCase(random, words[random.bounded(words.size())]);
                    const QString text = QStringLiteral("wartość %1").arg(random.bounded(1000));
                    m.file += ToCp1250(RegistryHive::FormatStringValue(name, text)) + eol;
                    QStringList& names = m.names[folded];
                    if (!m.values[folded].contains(name.toCaseFolded())) names << name;
                    m.values[folded][name.toCaseFolded()] = text;
                }
            }
        }
    }
    return m;
}

void expectReadsAsModel(RegistryHive& hive, const Model& m, QRandomGenerator& random) {
    const QByteArray before = hive.FormatBytes();
    EXPECT_FALSE(hive.HasKey(QStringLiteral("HKEY_CURRENT_USER\\Swallowed")));
    for (const QString& path : m.paths) {
        const QString folded = path.toCaseFolded();
        const HiveKey* key = hive.FindKey(randomCase(random, path));
        ASSERT_NE(key, nullptr) << path.toStdString();
        EXPECT_EQ(key->path, path);
        EXPECT_EQ(RegistryHive::ValueNames(*key), m.names.value(folded)) << path.toStdString();
        const QMap<QString, QString> values = m.values.value(folded);
        for (auto value = values.begin(); value != values.end(); ++value) {
            const platform::HiveEntry* entry = RegistryHive::FindValue(*key, randomCase(random, value.key()));
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->text, value.value());
        }
        for (qsizetype slash = path.lastIndexOf('\\'); slash > 0; slash = path.lastIndexOf('\\', slash - 1))
            EXPECT_TRUE(hive.HasKey(randomCase(random, path.left(slash))));
        EXPECT_FALSE(hive.HasKey(path + QStringLiteral("\\Missing")));
    }
    // Reading keys changes nothing of what is written back, and what is written back
    // reads the same again.
    EXPECT_EQ(hive.FormatBytes(), before);
    EXPECT_EQ(RegistryHive::ParseBytes(before).FormatBytes(), before);

    // A folder removed takes its keys along, and every other key stays once.
    const QString removed = m.paths[random.bounded(m.paths.size())].section(QLatin1Char('\\'), 0, 1);
    EXPECT_TRUE(hive.RemoveKeyTree(randomCase(random, removed)));
    qsizetype left = 0;
    for (const QString& path : m.paths) {
        const bool below =
            (path + QLatin1Char('\\')).startsWith(removed + QLatin1Char('\\'), Qt::CaseInsensitive);
        EXPECT_EQ(hive.HasKey(path), !below) << path.toStdString();
        left += below ? 0 : 1;
    }
    EXPECT_EQ(hive.FormatBytes().count("\n["), left);
}

TEST(RegistryHiveIndex, RandomHivesReadAsWritten) {
    QRandomGenerator random(2611);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const Model m = randomHive(random, 1 + random.bounded(40));
        RegistryHive hive = RegistryHive::ParseBytes(m.file);
        expectReadsAsModel(hive, m, random);
    }
}

// A file of megabytes is looked through in parts side by side; it must read as in one
// piece: keys written again in other parts, and values that go on across any line.
TEST(RegistryHiveIndex, LargeHivesReadAsWritten) {
    QRandomGenerator random(7);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const Model m = randomHive(random, 60000);
        ASSERT_GT(m.file.size(), 4 << 20);
        RegistryHive hive = RegistryHive::ParseBytes(m.file);
        expectReadsAsModel(hive, m, random);
    }
}

// Continued values whose next line looks like a key, over megabytes: wherever the file is
// cut into parts, a line that goes on a value is never a key.
TEST(RegistryHiveIndex, AValueGoingOnAcrossPartsSwallowsWhatLooksLikeAKey) {
    QByteArray file = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Real]\n";
    const QByteArray longHex = "\"H\"=hex:" + QByteArray(600, '0') + ",\\\n";
    while (file.size() < (6 << 20)) file += longHex + "[HKEY_CURRENT_USER\\Fake]\n";
    RegistryHive hive = RegistryHive::ParseBytes(file);
    EXPECT_FALSE(hive.HasKey(QStringLiteral("HKEY_CURRENT_USER\\Fake")));
    const QByteArray written = hive.FormatBytes();
    EXPECT_EQ(written, file + "\n");
    const HiveKey* key = hive.FindKey(QStringLiteral("HKEY_CURRENT_USER\\Real"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->entries.size(), static_cast<size_t>(file.count("\"H\"")));
}

}  // namespace
