// The "Tabs, Cols" page's column list, and the bindings of the browser, update, big
// query and grid tool handlers.
#include "db/Catalog.h"
#include "framework/Buttons.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

void TFMain::bindBrowserHandlers() {
    RefreshItems->OnClick = [this](TObject* s) { RefreshItemsClick(s); };
    NazwaTabeli->OnEnter = [this](TObject* s) { NazwaTabeliEnter(s); };
    BWykonajAktualizacja->OnClick = [this](TObject* s) { BWykonajAktualizacjaClick(s); };
    BitBtn3->OnClick = [this](TObject* s) { BitBtn3Click(s); };
    BSQL->OnClick = [this](TObject* s) { BSQLClick(s); };
    BFont->OnClick = [this](TObject* s) { BFontClick(s); };
    Zliczaj->OnClick = [this](TObject* s) { ZliczajClick(s); };
    Zapiszwynik1->OnClick = [this](TObject* s) { Zapiszwynik1Click(s); };
}

void TFMain::RefreshItemsClick(TObject*) {
    if (!EnsureConnected()) return;
    // The table list is filled by every connect; a connection opened by a dataset on its
    // own has not listed the tables yet.
    if (!DBItems->Active()) DBItems->Open();
    TableItems->SetTableName(DBItems->IsEmpty() ? QString() : DBItems->Fields(0)->AsString());
    TableItems->Close();
    TableItems->Open();
}
