#include "workbench/ScriptStatements.h"

#include "rtl/Classes.h"

namespace script {

LineRole RoleOf(const QString& line) {
    if (line.left(3).toUpper() == QLatin1String("REM") || line.left(6).toUpper() == QLatin1String("PROMPT") ||
        line.startsWith(QChar(';')) || line.startsWith(QLatin1String("//")) ||
        line.startsWith(QLatin1String("--")))
        return LineRole::Skipped;
    return line.endsWith(QChar(';')) ? LineRole::End : LineRole::Part;
}

bool RunStatements(const QStringList& lines, bool stopOnError, const ExecuteCollected& execute) {
    QStringList buffer;
    int firstLine = 1;
    bool failed = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const LineRole role = RoleOf(line);
        if (role == LineRole::Skipped) continue;
        if (buffer.isEmpty()) firstLine = static_cast<int>(i) + 1;
        if (role == LineRole::Part) {
            buffer.append(line);
            continue;
        }
        buffer.append(line.left(line.size() - 1));
        failed = execute(buffer, firstLine);
        if (failed && stopOnError) return true;
    }
    // What follows the last ending line is one more statement; how it ends does not
    // decide how the run ends.
    execute(buffer, firstLine);
    return false;
}

QString CommaForm(const QStringList& lines) {
    TStringList list;
    list.Assign(lines);
    return list.CommaText();
}

}  // namespace script
