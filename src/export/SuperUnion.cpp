// The super union: the union of the listed tables' columns and the one CSV file of all
// their rows.
#include "export/SuperUnion.h"

#include <QHash>
#include <QSet>
#include <memory>
#include <vector>

#include "common/MessageBoxes.h"
#include "db/Catalog.h"
#include "db/Field.h"
#include "db/Query.h"
#include "db/TableNames.h"
#include "export/EncodedLine.h"
#include "export/ExportFile.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"

TFSuperUnion* FSuperUnion = nullptr;

namespace {

const QString kUnionFile = QStringLiteral("c:\\superunion.csv");
constexpr qsizetype kMaxTableCell = 255;
// Every cell is written in double quotes, an empty one too.
constexpr QChar kQuote(u'"');

// Where each union column's value comes from in the current table: the index of the
// field of exactly that name (the later one when two share it), or -1.
std::vector<int> slotSources(const TDataSet& rows, const QHash<QString, int>& firstLineOf,
                             size_t unionWidth) {
    std::vector<int> sources(unionWidth, -1);
    for (int f = 0; f < rows.FieldCount(); ++f) {
        const auto k = firstLineOf.constFind(rows.Fields(f)->FieldName());
        if (k != firstLineOf.constEnd()) sources[static_cast<size_t>(*k)] = f;
    }
    return sources;
}

// Where the line being written stands, for the error that refuses a character.
struct UnionPlace {
    const QStringList& columns;
    qsizetype column = -1;  // the union column; -1 for the table cell
    long row = 0;           // the record's number within its table from 1; 0 for the header
    QString describe() const {
        if (column < 0) return QStringLiteral("in the table name");
        if (row == 0) return QStringLiteral("in the caption of column \"%1\"").arg(columns[column]);
        return QStringLiteral("in column \"%1\", row %2").arg(columns[column]).arg(row);
    }
};

}  // namespace

void ShowSuperUnion(const QString& databaseName, const TStrings& tables) {
    std::unique_ptr<TFSuperUnion> form(Application()->CreateForm<TFSuperUnion>());
    form->TableItems->SetDatabaseName(databaseName);
    form->Query->SetDatabaseName(databaseName);
    form->MTables->Lines().Assign(tables);
    form->ShowModal();
}

TFSuperUnion::~TFSuperUnion() {
    if (FSuperUnion == this) FSuperUnion = nullptr;
}

void TFSuperUnion::BRefreshClick(TObject*) {
    const BusyCursor busy;
    MColumns->Lines().Clear();
    QStringList columns;
    QSet<QString> known;
    for (const QString& table : MTables->Lines().ToStringList()) {
        try {
            TableItems->SetTableName(table);
            TableItems->Close();
            TableItems->Open();
            for (TableItems->First(); !TableItems->Eof(); TableItems->Next()) {
                const QString column = TableItems->Fields(1)->AsString();
                if (!known.contains(column)) {
                    known.insert(column);
                    columns << column;
                }
            }
        } catch (...) {
            // The names read so far stay; the box comes up over what was gathered.
            MColumns->Lines().Assign(columns);
            ShowError(QStringLiteral("Error durning trying read columns. Table:") + table);
        }
    }
    MColumns->Lines().Assign(columns);
}

void TFSuperUnion::BExportClick(TObject*) {
    const BusyCursor busy;
    ExportFile out(kUnionFile);
    const QStringList columns = MColumns->Lines().ToStringList();
    // A name typed twice is two columns; only the first of them receives values.
    QHash<QString, int> firstLineOf;
    for (int i = 0; i < columns.size(); ++i)
        if (!firstLineOf.contains(columns[i])) firstLineOf.insert(columns[i], i);
    const size_t unionWidth = static_cast<size_t>(columns.size());

    EncodedLine line(kUnionFile);
    UnionPlace at{columns};
    line.SetPlace([&at] { return at.describe(); });
    line.AppendQuoted(QStringLiteral("TABLE"), kQuote);
    line.Append(',');
    for (size_t k = 0; k < unionWidth; ++k) {
        if (k > 0) line.Append(',');
        at.column = static_cast<qsizetype>(k);
        line.AppendQuoted(columns[static_cast<qsizetype>(k)], kQuote);
    }
    line.WriteTo(out);

    for (const QString& table : MTables->Lines().ToStringList()) {
        // A table that fails keeps the lines written for it; the next one follows.
        try {
            Query->SQL().Clear();
            Query->SQL().Add(QStringLiteral("Select * from ") + TableReference(Query->DatabaseName(), table));
            Panel->SetCaption(table);
            Panel->Repaint();
            Query->Open();
            const std::vector<int> sources = slotSources(*Query, firstLineOf, unionWidth);
            std::vector<TField*> fields;
            for (const int f : sources) fields.push_back(f >= 0 ? Query->Fields(f) : nullptr);
            const QString tableCell = table.left(kMaxTableCell);
            at.row = 0;
            for (Query->First(); !Query->Eof(); Query->Next()) {
                ++at.row;
                line.Clear();
                at.column = -1;
                line.AppendQuoted(tableCell, kQuote);
                line.Append(',');
                for (size_t k = 0; k < unionWidth; ++k) {
                    if (k > 0) line.Append(',');
                    at.column = static_cast<qsizetype>(k);
                    line.AppendQuoted(fields[k] != nullptr ? fields[k]->AsString() : QString(), kQuote);
                }
                line.WriteTo(out);
            }
        } catch (const EInOutError& e) {
            // A value the file cannot hold (or a failed write): the reason, with the
            // character, column and row, follows the table's name.
            ShowError(QStringLiteral("Error durning trying read records. Table:") + table + QChar(u'\n') +
                      e.Message());
        } catch (...) {
            ShowError(QStringLiteral("Error durning trying read records. Table:") + table);
        }
    }
    out.Close();
    Panel->SetCaption(QString());
    Panel->Repaint();
    ShowInfo(QStringLiteral("Export finished"));
}

void TFSuperUnion::BCloseClick(TObject*) {
    Close();
}
