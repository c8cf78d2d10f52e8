#include "tools/CreateSimpleData.h"

#include <QRegularExpression>

#include "db/Field.h"
#include "db/Query.h"
#include "framework/ControlPlacement.h"
#include "framework/StdCtrls.h"

TFCreateSimpleData* FCreateSimpleData = nullptr;

namespace {

constexpr int kMemoLines = 513;

// A field's name as the statement writes it. The statement is for another database
// (its upper-case names are Oracle's), so a plain name stays bare whatever its letter
// case; any other name goes in double quotes, so that it stays one name.
QString columnName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$#]*$"));
    if (plain.match(name).hasMatch()) return name;
    return QChar('"') + QString(name).replace(QChar('"'), QStringLiteral("\"\"")) + QChar('"');
}

QString sampleValue(const TField& field) {
    switch (field.DataType()) {
        case TFieldType::ftString:
            // The name is the database's text: a literal, its apostrophes doubled.
            return QChar('\'') +
                   field.FieldName().left(field.Size()).replace(QChar('\''), QStringLiteral("''")) +
                   QChar('\'');
        case TFieldType::ftDateTime:
            return QStringLiteral("SYSDATE");
        default:
            return QStringLiteral("1");
    }
}

}  // namespace

TFCreateSimpleData::TFCreateSimpleData(TComponent* owner) : TForm(owner) {
    FCreateSimpleData = this;
    SetName(QStringLiteral("FCreateSimpleData"));
    SetCaption(QStringLiteral("Create sample data"));
    SetClientSize(600, 400);
    SetPosition(TPosition::poScreenCenter);

    LTableName = Place<TLabel>(this, this, "LTableName", 8, 12, 80, 16, QStringLiteral("Table name:"));
    TableName = Place<TEdit>(this, this, "TableName", 92, 8, 200, 22);
    TableName->SetText(QStringLiteral("EMP"));
    Execute = Place<TButton>(this, this, "Execute", 510, 8, 82, 25, QStringLiteral("Execute"));
    LSQL = Place<TLabel>(this, this, "LSQL", 8, 42, 80, 16, QStringLiteral("SQL :"));
    SQL = Place<TEdit>(this, this, "SQL", 92, 38, 500, 22);
    SQL->SetText(QStringLiteral("Select * from EMP"));
    Memo = Place<TMemo>(this, this, "Memo", 8, 68, 584, 324);
    Memo->SetWordWrap(false);
    Memo->SetScrollBars(TScrollStyle::ssBoth);
    Memo->Lines().Assign(QStringList(kMemoLines, QString()));

    Query = new TQuery(this);
    Query->SetName(QStringLiteral("Query"));
    Query->SetDatabaseName(QStringLiteral("X"));

    Execute->OnClick = [this](TObject* s) { ExecuteClick(s); };
}

TFCreateSimpleData::~TFCreateSimpleData() {
    if (FCreateSimpleData == this) FCreateSimpleData = nullptr;
}

void TFCreateSimpleData::ExecuteClick(TObject*) {
    Query->Close();
    Query->SQL().Clear();
    Query->SQL().Add(SQL->Text());
    // Only the field list is used; an error leaves the memo as it was.
    Query->Open();
    const int n = Query->FieldCount();
    currentLine_ = 0;
    itemCount_ = 0;
    DopiszDoLinii(QStringLiteral("INSERT INTO ") + TableName->Text() + QStringLiteral(" ("));
    for (int i = 0; i < n; ++i) {
        DopiszDoLinii(columnName(Query->Fields(i)->FieldName()) +
                      (i < n - 1 ? QStringLiteral(",") : QString()));
        countItem();
    }
    DopiszDoLinii(QStringLiteral(" ) VALUES ("));
    for (int i = 0; i < n; ++i) {
        DopiszDoLinii(sampleValue(*Query->Fields(i)) + (i < n - 1 ? QStringLiteral(",") : QString()));
        countItem();
    }
    DopiszDoLinii(QStringLiteral(" )"));
    Query->Close();
}

void TFCreateSimpleData::countItem() {
    ++itemCount_;
    if (itemCount_ % 5 == 0) ++currentLine_;
}

void TFCreateSimpleData::DopiszDoLinii(const QString& text) {
    // A long statement gets the lines it needs instead of losing its end.
    TStrings& lines = Memo->Lines();
    while (lines.Count() <= currentLine_) lines.Add(QString());
    lines.Put(currentLine_, lines.Get(currentLine_) + text);
}
