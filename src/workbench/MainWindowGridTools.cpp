// Tools of the "Queries" page's grid: a table's field list into the first query field,
// the grid font, the record count and the pop-up "Zapisz wynik".
#include "db/Field.h"
#include "db/Query.h"
#include "db/TableNames.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Dialogs.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

void TFMain::BSQLClick(TObject*) {
    if (!EnsureConnected()) return;
    const QString typed = InputBox(QStringLiteral("Table name"), QString(), QString());
    // What was typed names a table; the names written into the field are the database's.
    const QString database = MainQuery->DatabaseName();
    const QString table = TableReference(database, typed);
    MainQuery->SQL().BeginUpdate();
    MainQuery->SQL().Clear();
    MainQuery->SQL().Add(QStringLiteral("Select * from ") + table);
    MainQuery->SQL().EndUpdate();
    MainQuery->Open();
    QStringList names;
    for (int i = 0; i < MainQuery->FieldCount(); ++i)
        names << NameInSql(database, MainQuery->Fields(i)->FieldName());
    SQL1->SetText(QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
                  table);
}

void TFMain::BFontClick(TObject*) {
    FD->SetFont(Grid->Font());
    if (FD->Execute()) Grid->SetFont(FD->Font());
}

void TFMain::ZliczajClick(TObject*) {
    try {
        int count = 0;
        {
            // The grid neither follows the walk nor repaints for each row.
            TControlsDisabled detached(*MainQuery);
            const TDataSet::TBookmark current = MainQuery->GetBookmark();
            for (MainQuery->First(); !MainQuery->Eof(); MainQuery->Next()) ++count;
            MainQuery->GotoBookmark(current);
        }
        StatusBar->SetPanelText(0, QString::number(count));
    } catch (const std::exception&) {
        StatusBar->SetPanelText(0, QString());
    }
}

void TFMain::Zapiszwynik1Click(TObject* sender) {
    BExportClick(sender);
}
