#include "db/Aliases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"

namespace {

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
    // Like every text file of the program, in Windows-1250, and replaced whole.
    try {
        platform::ReplaceFile(
            path,
            platform::ToCp1250(
                QString::fromLatin1(kDefaultFile).arg(platform::DataFolder() + QStringLiteral("/local.db"))));
    } catch (const EInOutError& e) {
        throw EDatabaseError(e.Message());
    }
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
    const QStringList lines = platform::FromCp1250(f.readAll()).split(QChar(u'\n'));

    std::vector<AliasInfo> aliases;
    std::vector<int> sectionLines;
    // Names seen so far, letter case folded: a file of many aliases reads in one pass.
    QSet<QString> names;
    auto checkSection = [&](int index) {
        const AliasInfo& a = aliases[static_cast<size_t>(index)];
        const int at = sectionLines[static_cast<size_t>(index)];
        if (a.type.isEmpty()) malformed(path, at, QStringLiteral("alias %1 has no TYPE").arg(a.name));
        if (a.physicalName.isEmpty())
            malformed(path, at,
                      QStringLiteral("alias %1 has no %2")
                          .arg(a.name, a.type == QLatin1String("SQLITE") ? QStringLiteral("PATH")
                                                                         : QStringLiteral("SERVER NAME")));
    };
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith(QChar(u'\r'))) line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QChar(u';')) || t.startsWith(QChar(u'#'))) continue;
        if (t.startsWith(QChar(u'['))) {
            if (!t.endsWith(QChar(u']')) || t.size() < 3)
                malformed(path, lineNo, QStringLiteral("bad section header"));
            const QString name = t.mid(1, t.size() - 2).trimmed();
            if (name.isEmpty()) malformed(path, lineNo, QStringLiteral("empty alias name"));
            const QString folded = name.toCaseFolded();
            if (names.contains(folded))
                malformed(path, lineNo, QStringLiteral("alias %1 appears twice").arg(name));
            names.insert(folded);
            if (!aliases.empty()) checkSection(static_cast<int>(aliases.size()) - 1);
            aliases.push_back(AliasInfo{name, {}, {}, {}});
            sectionLines.push_back(lineNo);
            continue;
        }
        const int eq = t.indexOf(QChar(u'='));
        if (eq <= 0) malformed(path, lineNo, QStringLiteral("expected NAME=value"));
        if (aliases.empty()) malformed(path, lineNo, QStringLiteral("setting outside an alias section"));
        const QString key = t.left(eq).trimmed().toUpper();
        const QString value = t.mid(eq + 1).trimmed();
        AliasInfo& a = aliases.back();
        if (key == QLatin1String("TYPE")) {
            a.type = value.toUpper();
            if (a.type != QLatin1String("SQLITE") && a.type != QLatin1String("POSTGRESQL"))
                malformed(path, lineNo, QStringLiteral("unknown TYPE %1 (SQLITE or POSTGRESQL)").arg(value));
        } else if (key == QLatin1String("PATH") || key == QLatin1String("SERVER NAME")) {
            a.physicalName = value;
        } else if (key == QLatin1String("DESCRIPTION")) {
            a.description = value;
        } else {
            malformed(path, lineNo, QStringLiteral("unknown setting %1").arg(t.left(eq).trimmed()));
        }
    }
    if (!aliases.empty()) checkSection(static_cast<int>(aliases.size()) - 1);
    return aliases;
}

AliasInfo FindAlias(const QString& name) {
    const std::vector<AliasInfo> aliases = ReadAliases();
    for (const AliasInfo& a : aliases)
        if (a.name.compare(name, Qt::CaseInsensitive) == 0) return a;
    if (name.size() == kListedAliasNameLength)
        for (const AliasInfo& a : aliases)
            if (a.name.left(kListedAliasNameLength).compare(name, Qt::CaseInsensitive) == 0) return a;
    throw EDatabaseError(QStringLiteral("Unknown database alias: %1").arg(name));
}
