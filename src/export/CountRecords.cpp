#include "export/CountRecords.h"

#include <QStyle>
#include <memory>

#include "db/Field.h"
#include "db/Query.h"
#include "db/TableNames.h"
#include "export/ListMemo.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"

TFCountRecords* FCountRecords = nullptr;

namespace {

constexpr qsizetype kMaxText = 255;

TMemo* fixedPitchListMemo(TComponent* owner, TGroupBox* group, const char* name) {
    TMemo* memo = ListMemo(owner, group, name);
    TFont font = memo->Font();
    font.font = FixedsysFont();
    memo->SetFont(font);
    return memo;
}

}  // namespace

TFCountRecords::TFCountRecords(TComponent* owner) : TForm(owner) {
    FCountRecords = this;
    SetName(QStringLiteral("FCountRecords"));
    SetCaption(QStringLiteral("Count number of records in tables"));
    SetClientSize(640, 420);
    SetPosition(TPosition::poScreenCenter);

    Panel1 = Dock<TPanel>(this, this, "Panel1", TAlign::alBottom, 64);
    Panel1->SetCaption(QString());
    Label1 = Place<TLabel>(this, Panel1, "Label1", 8, 6, 300, 16,
                           QStringLiteral("Additional condition WHERE (optional):"));
    AdditionalCondition = Place<TEdit>(this, Panel1, "AdditionalCondition", 8, 26, 420, 22);
    BitBtn1 = Place<TBitBtn>(this, Panel1, "BitBtn1", 440, 24, 90, 25, QStringLiteral("Execute"),
                             QStyle::SP_MediaPlay);
    BitBtn2 = Place<TBitBtn>(this, Panel1, "BitBtn2", 540, 24, 90, 25, QStringLiteral("Cancel"),
                             QStyle::SP_DialogCancelButton);
    BitBtn2->SetCancel(true);

    GroupBox1 = Dock<TGroupBox>(this, this, "GroupBox1", TAlign::alLeft, 300);
    GroupBox1->SetCaption(QStringLiteral("Take tables into consideration"));
    MTables = fixedPitchListMemo(this, GroupBox1, "MTables");
    GroupBox2 = Dock<TGroupBox>(this, this, "GroupBox2", TAlign::alClient);
    GroupBox2->SetCaption(QStringLiteral("Result window"));
    MResults = fixedPitchListMemo(this, GroupBox2, "MResults");

    Query = new TQuery(this);
    Query->SetName(QStringLiteral("Query"));

    BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
    BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };
}

TFCountRecords::~TFCountRecords() {
    if (FCountRecords == this) FCountRecords = nullptr;
}

void ShowCountRecords(const QString& databaseName, const TStrings& tables) {
    std::unique_ptr<TFCountRecords> form(Application()->CreateForm<TFCountRecords>());
    form->Query->SetDatabaseName(databaseName);
    form->MTables->Lines().Assign(tables);
    form->ShowModal();
}

void TFCountRecords::BitBtn1Click(TObject*) {
    const BusyCursor busy;
    MResults->Lines().Clear();
    const QString condition = AdditionalCondition->Text();
    const bool withCondition = !Trim(condition).isEmpty();
    QStringList results;
    for (const QString& line : MTables->Lines().ToStringList()) {
        const QString table = line.left(kMaxText);
        Panel1->SetCaption(table);
        Panel1->Repaint();
        const QString head = (table + QChar(u'\t')).left(kMaxText);
        // Whatever goes wrong with one table, the others are still counted.
        try {
            // The line names a table; only the condition is the user's own SQL.
            Query->SQL().Clear();
            Query->SQL().Add(
                (QStringLiteral("Select count(*) from ") + TableReference(Query->DatabaseName(), table))
                    .left(kMaxText));
            if (withCondition) Query->SQL().Add(QStringLiteral("WHERE ") + condition);
            Query->Open();
            results << head + Query->Fields(0)->AsString();
        } catch (...) {
            results << (table + QStringLiteral("\tunkown")).left(kMaxText);
        }
    }
    MResults->Lines().Assign(results);
    Panel1->SetCaption(QString());
    Panel1->Repaint();
}

void TFCountRecords::BitBtn2Click(TObject*) {
    Close();
}
