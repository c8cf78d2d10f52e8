#include "export/ExportWriters.h"

#include "db/DataSet.h"
#include "db/Field.h"
#include "export/ExportFile.h"
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
    out.replace(QChar('\''), QStringLiteral("''"));
    return out;
}

QString FormatSQLValue(const QString& value, const QString& emptyValue, const QString& prefix,
                       const QString& suffix) {
    if (value.isEmpty()) return emptyValue;
    return prefix + DoubleApostrophes(value) + suffix;
}

namespace {

// Fields are looked up by name on the first record, once the dataset has shown it is open.
class ColumnFields {
  public:
    ColumnFields(TDataSet& ds, const std::vector<ExportColumn>& columns) : ds_(ds), columns_(columns) {}
    TField* operator[](size_t i) {
        if (fields_.empty())
            for (const ExportColumn& c : columns_) fields_.push_back(ds_.FieldByName(c.fieldName));
        return fields_[i];
    }

  private:
    TDataSet& ds_;
    const std::vector<ExportColumn>& columns_;
    std::vector<TField*> fields_;
};

void writeQuoted(ExportFile& out, const QString& value, const QString& delimiter) {
    if (delimiter.isEmpty()) {
        out.Write(value);
        return;
    }
    out.Write(delimiter);
    out.WriteDoubling(value, delimiter.at(0));
    out.Write(delimiter);
}

}  // namespace

void WriteTextExport(TDataSet& dataSet, const std::vector<ExportColumn>& columns,
                     const TextExportOptions& options) {
    TControlsDisabled suspended(dataSet);
    ExportFile out(options.fileName);
    ColumnFields fields(dataSet, columns);
    const size_t n = columns.size();
    if (!options.transpose) {
        for (size_t i = 0; i < n; ++i) {
            if (i > 0) out.Write(options.separator);
            writeQuoted(out, columns[i].caption, options.delimiter);
        }
        out.WriteLineEnd();
        dataSet.First();
        while (!dataSet.Eof()) {
            for (size_t i = 0; i < n; ++i) {
                if (i > 0) out.Write(options.separator);
                writeQuoted(out, fields[i]->AsString(), options.delimiter);
            }
            out.WriteLineEnd();
            dataSet.Next();
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            writeQuoted(out, columns[i].caption, options.delimiter);
            dataSet.First();
            while (!dataSet.Eof()) {
                out.Write(options.separator);
                writeQuoted(out, fields[i]->AsString(), options.delimiter);
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
    const int32_t breakEvery = StrToInt(options.lineBreakCount);
    const size_t n = columns.size();
    static const SqlColumnDef kNoDef;
    auto def = [&defs](size_t i) -> const SqlColumnDef& { return i < defs.size() ? defs[i] : kNoDef; };
    auto endStatement = [&] {
        out.Write(QChar(')'));
        if (options.semicolon) out.Write(QChar(';'));
        if (options.emptyLine) out.WriteLineEnd();
        out.WriteLineEnd();
    };

    if (options.createTable) {
        out.Write(QStringLiteral("CREATE TABLE ") + options.tableName + QStringLiteral(" ("));
        out.WriteLineEnd();
        for (size_t i = 0; i < n; ++i) {
            out.Write(def(i).name + QChar('\t') + def(i).type);
            if (i + 1 < n) {
                out.Write(QChar(','));
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
    QString head = QStringLiteral("INSERT INTO ") + options.tableName + QStringLiteral(" (");
    for (size_t i = 0; i < n; ++i) {
        head += def(i).name;
        if (i + 1 < n) head += options.separator;
        if (breakDue()) head += QStringLiteral("\r\n");
    }
    head += QStringLiteral(") VALUES (");
    if (breakEvery != 0) head += QStringLiteral("\r\n");

    ColumnFields fields(dataSet, columns);
    dataSet.First();
    k = 0;
    while (!dataSet.Eof()) {
        out.Write(head);
        for (size_t i = 0; i < n; ++i) {
            const QString value = fields[i]->AsString();
            if (value.isEmpty()) {
                out.Write(options.emptyValue);
            } else {
                out.Write(def(i).prefix);
                out.WriteDoubling(value, QChar('\''));
                out.Write(def(i).suffix);
            }
            if (i + 1 < n) out.Write(options.separator);
            if (breakDue()) out.WriteLineEnd();
        }
        endStatement();
        dataSet.Next();
    }
    out.Close();
}
