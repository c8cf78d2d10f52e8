#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// How a script is cut into statements. Lines are taken exactly as they stand, with no
// trimming, so a blank before a keyword or after a semicolon changes the meaning.
namespace script {

enum class LineRole {
    Skipped,  // a remark or prompt line: belongs to no statement and ends none
    Part,     // belongs to the current statement
    End,      // belongs to the current statement without its final ";" and ends it
};

// REM..., PROMPT... (any letter case, also when the word goes on), ";...", "//..." and
// "--..." lines are skipped; a line whose last character is ";" ends a statement.
LineRole RoleOf(const QString& line);

// Runs `execute` on the buffer of collected lines; `firstLine` is the script's line
// number (from 1) of the buffer's first line. It returns true when it executed nothing
// or the statement failed, and empties the buffer once it has executed it.
using ExecuteCollected = std::function<bool(QStringList& buffer, int firstLine)>;

// Walks the script: each ending line executes the statement gathered so far; the
// lines after the last ending line are executed once more at the end. With
// stopOnError, the walk stops after the first ending line whose statement failed and
// the rest is neither gathered nor executed. Returns true when it was stopped so.
bool RunStatements(const QStringList& lines, bool stopOnError, const ExecuteCollected& execute);

// The lines of one statement as one text in comma form: a line holding a character of
// code 32 or less, a double quote or a comma is quoted with its quotes doubled; the
// lines are joined by ","; one empty line gives "".
QString CommaForm(const QStringList& lines);

}  // namespace script
