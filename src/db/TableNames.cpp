#include "db/TableNames.h"

#include <QRegularExpression>

#include "db/Database.h"
#include "db/Driver.h"

namespace {

// One part: a quoted identifier or a plain one, blanks around it allowed.
std::optional<QString> takePart(const QString& line, qsizetype& at, bool foldToLower) {
    while (at < line.size() && line[at].isSpace()) ++at;
    if (at >= line.size()) return std::nullopt;
    QString part;
    if (line[at] == QLatin1Char('"')) {
        for (++at;; ++at) {
            if (at >= line.size()) return std::nullopt;
            if (line[at] == QLatin1Char('"')) {
                if (at + 1 < line.size() && line[at + 1] == QLatin1Char('"')) {
                    part += QLatin1Char('"');
                    ++at;
                    continue;
                }
                ++at;
                break;
            }
            part += line[at];
        }
        if (part.isEmpty()) return std::nullopt;
    } else {
        static const QRegularExpression plain(QStringLiteral("\\G[A-Za-z_][A-Za-z0-9_$]*"));
        const auto m = plain.match(line, at);
        if (!m.hasMatch()) return std::nullopt;
        part = m.captured();
        at = m.capturedEnd();
        if (foldToLower) part = part.toLower();
    }
    while (at < line.size() && line[at].isSpace()) ++at;
    return part;
}

}  // namespace

std::optional<SqlName> ParseSqlName(const QString& line, bool foldToLower) {
    qsizetype at = 0;
    const auto first = takePart(line, at, foldToLower);
    if (!first) return std::nullopt;
    if (at == line.size()) return SqlName{QString(), *first};
    if (line[at] != QLatin1Char('.')) return std::nullopt;
    ++at;
    const auto second = takePart(line, at, foldToLower);
    if (!second || at != line.size()) return std::nullopt;
    return SqlName{*first, *second};
}

QString TableReference(const QString& databaseName, const QString& line) {
    SqlConnection& connection = OpenDatabaseNamed(databaseName).Connection();
    const std::optional<QStringList> parts = connection.FindTable(line);
    if (!parts) return line.trimmed().isEmpty() ? line : connection.NameInSql(line);
    QStringList written;
    for (const QString& part : *parts) written << connection.NameInSql(part);
    return written.join(QLatin1Char('.'));
}

QString NameInSql(const QString& databaseName, const QString& name) {
    return OpenDatabaseNamed(databaseName).Connection().NameInSql(name);
}
