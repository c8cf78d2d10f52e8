#include "db/Aliases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "framework/rtl/Exception.h"
#include "platform/Paths.h"

namespace {

// Windows-1250 bytes 0x80..0xFF as Unicode (0 where the code page has no character).
const char16_t kCp1250High[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

QString fromCp1250(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += b < 0x80 ? QChar(b) : QChar(kCp1250High[b - 0x80] ? kCp1250High[b - 0x80] : u'?');
    }
    return out;
}

const char kDefaultFile[] =
    "; Database aliases: one section per alias.\r\n"
    "; TYPE=SQLITE with PATH=<database file>, or TYPE=POSTGRESQL with\r\n"
    "; SERVER NAME=<libpq connection string>; DESCRIPTION= is optional.\r\n"
    "\r\n"
    "[LOCAL]\r\n"
    "TYPE=SQLITE\r\n"
    "PATH=%1\r\n"
    "DESCRIPTION=Local database\r\n";

void writeDefault(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EDatabaseError(QStringLiteral("Cannot create %1: %2").arg(path, f.errorString()));
    // The data folder's path is written as it is; non-Latin-1 letters in it become '?'.
    f.write(QString::fromLatin1(kDefaultFile)
                .arg(platform::DataFolder() + QStringLiteral("/local.db"))
                .toLatin1());
}

[[noreturn]] void malformed(const QString& path, int line, const QString& what) {
    throw EDatabaseError(QStringLiteral("%1, line %2: %3").arg(path).arg(line).arg(what));
}

}  // namespace

QString AliasFilePath() {
    return platform::ConfigFolder() + QStringLiteral("/aliases.conf");
}

std::vector<AliasInfo> ReadAliases() {
    const QString path = AliasFilePath();
    if (!QFileInfo::exists(path)) writeDefault(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Cannot read %1: %2").arg(path, f.errorString()));
    const QStringList lines = fromCp1250(f.readAll()).split(QChar('\n'));

    std::vector<AliasInfo> aliases;
    std::vector<int> sectionLines;
    auto checkSection = [&](int index) {
        const AliasInfo& a = aliases[static_cast<size_t>(index)];
        const int at = sectionLines[static_cast<size_t>(index)];
        if (a.type.isEmpty()) malformed(path, at, QStringLiteral("alias %1 has no TYPE").arg(a.name));
        if (a.physicalName.isEmpty())
            malformed(path, at,
                      QStringLiteral("alias %1 has no %2")
                          .arg(a.name, a.type == "SQLITE" ? "PATH" : "SERVER NAME"));
    };
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith(QChar('\r'))) line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QChar(';')) || t.startsWith(QChar('#'))) continue;
        if (t.startsWith(QChar('['))) {
            if (!t.endsWith(QChar(']')) || t.size() < 3)
                malformed(path, lineNo, QStringLiteral("bad section header"));
            const QString name = t.mid(1, t.size() - 2).trimmed();
            if (name.isEmpty()) malformed(path, lineNo, QStringLiteral("empty alias name"));
            for (const auto& a : aliases)
                if (a.name.compare(name, Qt::CaseInsensitive) == 0)
                    malformed(path, lineNo, QStringLiteral("alias %1 appears twice").arg(name));
            if (!aliases.empty()) checkSection(static_cast<int>(aliases.size()) - 1);
            aliases.push_back(AliasInfo{name, {}, {}, {}});
            sectionLines.push_back(lineNo);
            continue;
        }
        const int eq = t.indexOf(QChar('='));
        if (eq <= 0) malformed(path, lineNo, QStringLiteral("expected NAME=value"));
        if (aliases.empty()) malformed(path, lineNo, QStringLiteral("setting outside an alias section"));
        const QString key = t.left(eq).trimmed().toUpper();
        const QString value = t.mid(eq + 1).trimmed();
        AliasInfo& a = aliases.back();
        if (key == "TYPE") {
            a.type = value.toUpper();
            if (a.type != "SQLITE" && a.type != "POSTGRESQL")
                malformed(path, lineNo, QStringLiteral("unknown TYPE %1 (SQLITE or POSTGRESQL)").arg(value));
        } else if (key == "PATH" || key == "SERVER NAME") {
            a.physicalName = value;
        } else if (key == "DESCRIPTION") {
            a.description = value;
        } else {
            malformed(path, lineNo, QStringLiteral("unknown setting %1").arg(t.left(eq).trimmed()));
        }
    }
    if (!aliases.empty()) checkSection(static_cast<int>(aliases.size()) - 1);
    return aliases;
}

AliasInfo FindAlias(const QString& name) {
    for (const AliasInfo& a : ReadAliases())
        if (a.name.compare(name, Qt::CaseInsensitive) == 0) return a;
    throw EDatabaseError(QStringLiteral("Unknown database alias: %1").arg(name));
}
