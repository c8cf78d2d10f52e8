#pragma once

#include <QString>
#include <array>
#include <vector>

// The export configuration file: the column type table (header row included) and the
// SQL page's options, one value per line, CR LF, Windows-1250:
//   R (the table's row count), then 5 lines per table row (cells 0..4), then the file
//   name, table name, line-break count and empty-value texts, then "TRUE"/"FALSE" for
//   open-after, semicolon, empty line, CREATE TABLE, double apostrophes and status lock.
// A table of n exported columns thus gives 5n + 16 lines.
struct ExportConfiguration {
    using Row = std::array<QString, 5>;
    std::vector<Row> rows;
    QString fileName;
    QString tableName;
    QString lineBreakCount;
    QString emptyValue;
    bool runAfter = true;
    bool semicolon = true;
    bool emptyLine = false;
    bool createTable = true;
    bool doubleApostrophes = true;
    bool lockDoubtful = true;
};

// Creates the file or empties it, and writes every line. EInOutError on failure.
void SaveExportConfiguration(const QString& fileName, const ExportConfiguration& configuration);

// The row count the file starts with: blanks and line ends skipped, then the text up to
// the next blank or line end; -1 when that is no decimal number, 0 for a file of blanks.
// EInOutError when the file cannot be opened.
int ReadConfigurationRowCount(const QString& fileName);

// The whole file; missing lines read as empty, and a check box line counts as checked
// only when it is exactly "TRUE". EInOutError when the file cannot be opened.
ExportConfiguration LoadExportConfiguration(const QString& fileName);
