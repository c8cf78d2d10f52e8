#include "export/ExportConfiguration.h"

#include "platform/Codepage.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"

namespace {

// Reads the file's lines as a text file does: CR LF, LF or CR ends a line.
class LineReader {
  public:
    explicit LineReader(const QString& fileName) : text_(platform::ReadTextFile(fileName)) {}

    // Skips blanks and line ends, takes the word up to the next blank or line end, then
    // drops the rest of its line.
    int ReadCount() {
        while (pos_ < text_.size() && text_[pos_].unicode() <= ' ') ++pos_;
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_].unicode() > ' ') ++pos_;
        const QString word = text_.mid(start, pos_ - start);
        ReadLine();
        if (word.isEmpty()) return 0;
        bool ok = false;
        const int value = parseDecimal(word, ok);
        return ok ? value : -1;
    }

    QString ReadLine() {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != QChar(u'\r') && text_[pos_] != QChar(u'\n')) ++pos_;
        const QString line = text_.mid(start, pos_ - start);
        if (pos_ < text_.size() && text_[pos_] == QChar(u'\r')) ++pos_;
        if (pos_ < text_.size() && text_[pos_] == QChar(u'\n')) ++pos_;
        return line;
    }

  private:
    static int parseDecimal(const QString& word, bool& ok) {
        qsizetype i = 0;
        bool negative = false;
        if (word[0] == QChar(u'+') || word[0] == QChar(u'-')) {
            negative = word[0] == QChar(u'-');
            ++i;
        }
        if (i == word.size()) return ok = false, 0;
        long long value = 0;
        for (; i < word.size(); ++i) {
            const char16_t c = word[i].unicode();
            if (c < '0' || c > '9') return ok = false, 0;
            value = value * 10 + (c - '0');
            if (value > 2147483648LL) return ok = false, 0;
        }
        if (negative) value = -value;
        if (value > 2147483647LL) return ok = false, 0;
        ok = true;
        return static_cast<int>(value);
    }

    QString text_;
    qsizetype pos_ = 0;
};

QString boolLine(bool on) {
    return on ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

}  // namespace

void SaveExportConfiguration(const QString& fileName, const ExportConfiguration& c) {
    // Every value is checked before the file is touched: a character the code page
    // cannot hold refuses the whole file rather than turning into "?".
    static const char* const kColumns[5] = {"Nazwa pola", "Typ pola", "Przedrostek", "Przyrostek", "Status"};
    QString text;
    auto line = [&](const QString& value, const QString& place) {
        const qsizetype bad = platform::FirstUnwritable(value);
        if (bad >= 0)
            throw EInOutError(
                platform::UnwritableCharacterMessage(fileName, platform::CharacterAt(value, bad), place));
        text += value + QStringLiteral("\r\n");
    };
    line(QString::number(c.rows.size()), QString());
    for (size_t r = 0; r < c.rows.size(); ++r)
        for (size_t col = 0; col < 5; ++col)
            line(c.rows[r][col], QStringLiteral("in column \"%1\", row %2 of the column type table")
                                     .arg(QString::fromUtf8(kColumns[col]))
                                     .arg(r));
    line(c.fileName, QStringLiteral("in the file name"));
    line(c.tableName, QStringLiteral("in the table name"));
    line(c.lineBreakCount, QStringLiteral("in the line break count"));
    line(c.emptyValue, QStringLiteral("in the empty value text"));
    for (bool b : {c.runAfter, c.semicolon, c.emptyLine, c.createTable, c.doubleApostrophes, c.lockDoubtful})
        line(boolLine(b), QString());
    platform::WriteTextFile(fileName, text);
}

int ReadConfigurationRowCount(const QString& fileName) {
    return LineReader(fileName).ReadCount();
}

ExportConfiguration LoadExportConfiguration(const QString& fileName) {
    LineReader in(fileName);
    ExportConfiguration c;
    const int count = in.ReadCount();
    // The count comes from the file: a damaged one must not make us allocate gigabytes.
    // No result of either database has more columns than this.
    constexpr int kMostColumns = 32767;
    if (count > kMostColumns)
        throw EInOutError(
            QStringLiteral("Cannot read file \"%1\": it names %2 columns, more than a result can have")
                .arg(fileName)
                .arg(count));
    c.rows.resize(static_cast<size_t>(std::max(0, count)));
    for (auto& row : c.rows)
        for (QString& cell : row) cell = in.ReadLine();
    for (QString* s : {&c.fileName, &c.tableName, &c.lineBreakCount, &c.emptyValue}) *s = in.ReadLine();
    for (bool* b :
         {&c.runAfter, &c.semicolon, &c.emptyLine, &c.createTable, &c.doubleApostrophes, &c.lockDoubtful})
        *b = in.ReadLine() == QLatin1String("TRUE");
    return c;
}
