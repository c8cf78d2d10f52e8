#include "export/ExportWriters.h"

#include <QRegularExpression>

#include "db/DataSet.h"
#include "db/Field.h"
#include "export/ExportFile.h"
#include "export/ExportValue.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

QString QuoteValue(const QString& value, const QString& delimiter) {
    if (delimiter.isEmpty()) return value;
    const QChar first = delimiter.at(0);
    QString out = delimiter;
    out.reserve(value.size() + 2 * delimiter.size() + 4);
    for (const QChar c : value) {
        out.append(c);
        if (c == first) out.append(c);
    }
    return out + delimiter;
}

QString DoubleApostrophes(const QString& value) {
    QString out = value;
    out.replace(QChar(u'\''), QStringLiteral("''"));
    return out;
}

QString FormatSQLValue(const QString& value, const QString& emptyValue, const QString& prefix,
                       const QString& suffix) {
    if (value.isEmpty()) return emptyValue;
    return prefix + DoubleApostrophes(value) + suffix;
}

namespace {

// The values of the exported columns, the fields looked up by name on the first record,
// once the dataset has shown it is open.
class ColumnValues {
  public:
    ColumnValues(TDataSet& ds, const std::vector<ExportColumn>& columns) : ds_(ds), columns_(columns) {}
    ExportValue& operator[](size_t i) {
        if (values_.empty()) {
            values_.reserve(columns_.size());
            for (const ExportColumn& c : columns_) values_.emplace_back(ds_.FieldByName(c.fieldName));
        }
        return values_[i];
    }

  private:
    TDataSet& ds_;
    const std::vector<ExportColumn>& columns_;
    std::vector<ExportValue> values_;
};

// Where an export stands, for the error that refuses a character.
struct Position {
    const std::vector<ExportColumn>& columns;
    size_t column = 0;
    long row = 0;  // the record's number from 1; 0 while writing captions or names
    QString describe() const {
        const QString name = column < columns.size() ? columns[column].caption : QString();
        if (row == 0) return QStringLiteral("in the caption of column \"%1\"").arg(name);
        return QStringLiteral("in column \"%1\", row %2").arg(name).arg(row);
    }
};

QString columnPlace(const char* what, size_t i) {
    return QStringLiteral("in the %1 of column %2").arg(QLatin1String(what)).arg(i + 1);
}

// A value of a NUMBER column written outside quotes must be a number, so that it stays
// one value of the statement: a whole one for NUMBER(p) and NUMBER(p,0). Other types
// written bare are the user's own choice (an SQL expression in each value).
enum class BareValue { Unchecked, Whole, Number };

BareValue bareValueOf(const SqlColumnDef& def) {
    // After an odd number of apostrophes the value stands inside a string literal.
    if (def.prefix.count(QLatin1Char('\'')) % 2 == 1) return BareValue::Unchecked;
    static const QRegularExpression number(QStringLiteral(R"(^\s*NUMBER\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression whole(QStringLiteral(R"(^\s*NUMBER\s*\(\s*\d+\s*(,\s*0+\s*)?\)\s*$)"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (!number.match(def.type).hasMatch()) return BareValue::Unchecked;
    return whole.match(def.type).hasMatch() ? BareValue::Whole : BareValue::Number;
}

}  // namespace

void WriteTextExport(TDataSet& dataSet, const std::vector<ExportColumn>& columns,
                     const TextExportOptions& options) {
    TControlsDisabled suspended(dataSet);
    ExportFile out(options.fileName);
    Position at{columns};
    out.SetPlace([&at] { return at.describe(); });
    const EncodedText separator(options.separator, QStringLiteral("in the field separator"));
    const EncodedText delimiter(options.delimiter, QStringLiteral("in the field delimiter"));
    const QChar doubled = options.delimiter.isEmpty() ? QChar() : options.delimiter.at(0);
    const bool quoted = !options.delimiter.isEmpty();
    auto writeCaption = [&](size_t i) {
        at.column = i;
        at.row = 0;
        if (quoted) out.Write(delimiter);
        out.Write(columns[i].caption, doubled);
        if (quoted) out.Write(delimiter);
    };
    ColumnValues values(dataSet, columns);
    auto writeValue = [&](size_t i) {
        at.column = i;
        ExportValue& v = values[i];
        v.Read();
        if (quoted) out.Write(delimiter);
        v.Write(out, doubled);
        if (quoted) out.Write(delimiter);
    };
    const size_t n = columns.size();
    if (!options.transpose) {
        for (size_t i = 0; i < n; ++i) {
            if (i > 0) out.Write(separator);
            writeCaption(i);
        }
        out.WriteLineEnd();
        dataSet.First();
        while (!dataSet.Eof()) {
            ++at.row;
            for (size_t i = 0; i < n; ++i) {
                if (i > 0) out.Write(separator);
                writeValue(i);
            }
            out.WriteLineEnd();
            dataSet.Next();
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            writeCaption(i);
            dataSet.First();
            while (!dataSet.Eof()) {
                ++at.row;
                out.Write(separator);
                writeValue(i);
                dataSet.Next();
            }
            out.WriteLineEnd();
        }
    }
    out.Close();
}

void WriteSqlScript(TDataSet& dataSet, const std::vector<ExportColumn>& columns,
                    const std::vector<SqlColumnDef>& defs, const SqlExportOptions& options) {
    TControlsDisabled suspended(dataSet);
    ExportFile out(options.fileName);
    Position at{columns};
    out.SetPlace([&at] { return at.describe(); });
    const int32_t breakEvery = StrToInt(options.lineBreakCount);
    const size_t n = columns.size();
    static const SqlColumnDef kNoDef;
    auto def = [&defs](size_t i) -> const SqlColumnDef& { return i < defs.size() ? defs[i] : kNoDef; };
    const EncodedText tableName(options.tableName, QStringLiteral("in the table name"));
    const EncodedText separator(options.separator, QStringLiteral("in the field separator"));
    const EncodedText emptyValue(options.emptyValue, QStringLiteral("in the empty value text"));
    std::vector<EncodedText> names, prefixes, suffixes;
    for (size_t i = 0; i < n; ++i) {
        names.emplace_back(def(i).name, columnPlace("name", i));
        prefixes.emplace_back(def(i).prefix, columnPlace("prefix", i));
        suffixes.emplace_back(def(i).suffix, columnPlace("suffix", i));
    }
    std::vector<BareValue> bare;
    for (size_t i = 0; i < n; ++i) bare.push_back(bareValueOf(def(i)));
    auto refuseBareValue = [&](const ExportValue& v, size_t i) {
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\": the value \"%2\" %3 is not a number, as its "
                           "type \"%4\" without quotes requires")
                .arg(options.fileName, v.Text(), at.describe(), def(i).type));
    };
    auto endStatement = [&] {
        out.WriteAscii(')');
        if (options.semicolon) out.WriteAscii(';');
        if (options.emptyLine) out.WriteLineEnd();
        out.WriteLineEnd();
    };

    if (options.createTable) {
        out.Write(EncodedText::Ascii("CREATE TABLE "));
        out.Write(tableName);
        out.Write(EncodedText::Ascii(" ("));
        out.WriteLineEnd();
        for (size_t i = 0; i < n; ++i) {
            out.Write(names[i]);
            out.WriteAscii('\t');
            out.Write(EncodedText(def(i).type, columnPlace("type", i)));
            if (i + 1 < n) {
                out.WriteAscii(',');
                out.WriteLineEnd();
            }
        }
        endStatement();
    }

    // The counter runs on from name to name and, separately, from value to value
    // across all records; a break comes after the separator of the N-th item.
    // With N of 0 or below no item ever reaches N, so no break is added.
    int32_t k = 0;
    auto breakDue = [&k, breakEvery] {
        if (breakEvery <= 0 || ++k != breakEvery) return false;
        k = 0;
        return true;
    };
    EncodedText head = EncodedText::Ascii("INSERT INTO ");
    head += tableName;
    head += EncodedText::Ascii(" (");
    for (size_t i = 0; i < n; ++i) {
        head += names[i];
        if (i + 1 < n) head += separator;
        if (breakDue()) head += EncodedText::Ascii("\r\n");
    }
    head += EncodedText::Ascii(") VALUES (");
    if (breakEvery != 0) head += EncodedText::Ascii("\r\n");

    ColumnValues values(dataSet, columns);
    dataSet.First();
    k = 0;
    while (!dataSet.Eof()) {
        ++at.row;
        out.Write(head);
        for (size_t i = 0; i < n; ++i) {
            at.column = i;
            ExportValue& v = values[i];
            if (!v.Read()) {
                out.Write(emptyValue);
            } else {
                if (bare[i] != BareValue::Unchecked && !v.IsNumber(bare[i] == BareValue::Number))
                    refuseBareValue(v, i);
                out.Write(prefixes[i]);
                v.Write(out, QChar(u'\''));
                out.Write(suffixes[i]);
            }
            if (i + 1 < n) out.Write(separator);
            if (breakDue()) out.WriteLineEnd();
        }
        endStatement();
        dataSet.Next();
    }
    out.Close();
}
