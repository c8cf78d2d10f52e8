// The "Update" page: one table's rows, filtered and ordered, edited in a live grid.
#include "common/MessageBoxes.h"
#include "db/Catalog.h"
#include "db/Field.h"
#include "db/Query.h"
#include "db/TableNames.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"
#include "workbench/MainWindow.h"

void TFMain::NazwaTabeliEnter(TObject*) {
    // Filled once per run, on the first entry into the box.
    if (NazwaTabeli->Items().Count() > 0) return;
    if (!EnsureConnected()) return;
    if (!DBItems->Active()) DBItems->Open();
    QStringList names;
    {
        TControlsDisabled detached(*DBItems);
        for (DBItems->First(); !DBItems->Eof(); DBItems->Next())
            names << UpperCase(DBItems->FieldByName(QStringLiteral("NAME"))->AsString());
    }
    // Filling the list leaves what the user may have typed as it was.
    const QString typed = NazwaTabeli->Text();
    NazwaTabeli->Items().Assign(names);
    NazwaTabeli->SetItemIndex(-1);
    NazwaTabeli->SetText(typed);
}

void TFMain::BWykonajAktualizacjaClick(TObject*) {
    if (!EnsureConnected()) return;
    // The box holds a table's name, picked from the catalogue's list or typed.
    const QString table = TableReference(QueryAktualizacja->DatabaseName(), NazwaTabeli->Text());
    TStrings& sql = QueryAktualizacja->SQL();
    sql.BeginUpdate();
    sql.Clear();
    sql.Add(QStringLiteral("SELECT * FROM ") + table);
    if (!Trim(WHERE->Text()).isEmpty()) sql.Add(QStringLiteral(" Where ") + WHERE->Text());
    if (!Trim(ORDER->Text()).isEmpty()) sql.Add(QStringLiteral(" ORDER BY ") + ORDER->Text());
    sql.EndUpdate();
    QueryAktualizacja->Open();
    // A grid that will refuse every edit says so, and why, rather than refusing silently.
    if (!QueryAktualizacja->CanModify()) ShowInfo(QueryAktualizacja->ReadOnlyReason());
}
