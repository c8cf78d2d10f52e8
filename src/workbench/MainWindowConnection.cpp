// The connection "X": connect and login, transactions, the alias list and the table
// suggestion list.
#include "common/MessageBoxes.h"
#include "db/Catalog.h"
#include "db/Database.h"
#include "db/Field.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"
#include "workbench/MainWindow.h"

bool TFMain::EnsureConnected() {
    if (!Database->Connected()) BConnectClick(this);
    return Database->Connected();
}

void TFMain::BConnectClick(TObject*) {
    const QString alias =
        DatabaseName->ItemIndex() >= 0 ? DatabaseName->Items()[DatabaseName->ItemIndex()] : QString();
    if (Trim(alias).isEmpty()) {
        ShowInfo(QStringLiteral("Enter the database name"));
        return;
    }
    Database->Close();
    Database->SetAliasName(alias);
    Database->Open();
    RefreshTablesClick(this);
}

void TFMain::DatabaseLogin(TDatabase*, TStrings& loginParams) {
    // An empty field removes its parameter rather than sending an empty one.
    loginParams.SetValue(QStringLiteral("USER NAME"), Cut(EUserName->Text(), 255));
    loginParams.SetValue(QStringLiteral("PASSWORD"), Cut(EPassword->Text(), 255));
}

void TFMain::InTransactionClick(TObject*) {
    const bool active = Database->Connected() && Database->InTransaction();
    BStartTransaction->SetEnabled(!active);
    MIStartTransaction->SetEnabled(!active);
    BCommit->SetEnabled(active);
    BRollback->SetEnabled(active);
    MICommit->SetEnabled(active);
    MIRollback->SetEnabled(active);
}

void TFMain::BStartTransactionClick(TObject*) {
    if (!EnsureConnected()) return;
    Database->StartTransaction();
    InTransactionClick(this);
}

void TFMain::BCommitClick(TObject*) {
    try {
        Database->Commit();
    } catch (const EDatabaseError&) {
        // A commit the server refused may have ended the transaction all the same.
        if (!Database->InTransaction() && Database->Connected()) InTransactionClick(this);
        throw;
    }
    InTransactionClick(this);
}

void TFMain::BRollbackClick(TObject*) {
    Database->Rollback();
    InTransactionClick(this);
}

void TFMain::MIStartTransactionClick(TObject* sender) {
    BStartTransactionClick(sender);
}

void TFMain::MICommitClick(TObject* sender) {
    BCommitClick(sender);
}

void TFMain::MIRollbackClick(TObject* sender) {
    BRollbackClick(sender);
}

void TFMain::BRefreshBDEAliasesClick(TObject*) {
    BDEItems->Close();
    BDEItems->Open();
    DatabaseName->SetItemIndex(-1);
    // The box is filled once, with the whole list: a file of many aliases costs one change.
    QStringList names;
    for (BDEItems->First(); !BDEItems->Eof(); BDEItems->Next()) names.append(BDEItems->Fields(0)->AsString());
    DatabaseName->Items().Assign(names);
    DatabaseName->SetItemIndex(-1);
}

void TFMain::RefreshTablesClick(TObject*) {
    if (!EnsureConnected()) return;
    DBItems->Close();
    DBItems->Open();
    const int kind = KindOfHint->ItemIndex();
    Repaint();
    // The whole list at once: one change of the memo, not one per line.
    auto setSuggestions = [this](const QStringList& lines) {
        HINTS->SetText(lines.isEmpty() ? QString()
                                       : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    };
    switch (kind) {
        case 0: {
            DBItems->DisableControls();
            QStringList names;
            for (DBItems->First(); !DBItems->Eof(); DBItems->Next())
                names << UpperCase(DBItems->FieldByName(QStringLiteral("NAME"))->AsString());
            setSuggestions(names);
            DBItems->EnableControls();
            break;
        }
        case 1: {
            DBItems->DisableControls();
            TableItems->DisableControls();
            QStringList entries;
            for (DBItems->First(); !DBItems->Eof(); DBItems->Next()) {
                const QString name = DBItems->FieldByName(QStringLiteral("NAME"))->AsString();
                entries << UpperCase(name);
                // A table whose columns cannot be listed keeps its name; the walk goes on.
                try {
                    TableItems->SetTableName(name);
                    TableItems->Close();
                    TableItems->Open();
                    for (TableItems->First(); !TableItems->Eof(); TableItems->Next())
                        entries << UpperCase(name + QChar('.') + TableItems->Fields(1)->AsString());
                } catch (const std::exception&) {
                }
            }
            setSuggestions(entries);
            TableItems->EnableControls();
            DBItems->EnableControls();
            break;
        }
        case 2:
            HINTS->Lines().Clear();
            break;
        default:
            break;
    }
}

void TFMain::ShowStatus(const QString& message) {
    StatusBar->SetPanelText(2, message);
}
