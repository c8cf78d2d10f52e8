#include "db/Database.h"

#include <algorithm>

#include "db/Aliases.h"
#include "db/DataSet.h"
#include "db/Driver.h"
#include "rtl/Exception.h"

namespace {

std::vector<TDatabase*>& liveDatabases() {
    static std::vector<TDatabase*> list;
    return list;
}

}  // namespace

TDatabase::TDatabase(TComponent* owner) : TComponent(owner) {
    liveDatabases().push_back(this);
}

TDatabase::~TDatabase() {
    try {
        Close();
    } catch (...) {
    }
    auto& list = liveDatabases();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TDatabase::SetDatabaseName(const QString& name) {
    if (name == databaseName_) return;
    Close();
    databaseName_ = name;
}

void TDatabase::SetAliasName(const QString& alias) {
    if (alias == aliasName_) return;
    Close();
    aliasName_ = alias;
}

TDatabase* TDatabase::FindDatabase(const QString& name) {
    for (TDatabase* db : liveDatabases())
        if (db->databaseName_.compare(name, Qt::CaseInsensitive) == 0) return db;
    return nullptr;
}

bool TDatabase::Connected() const {
    return connection_ && !connection_->Broken();
}

void TDatabase::SetConnected(bool connected) {
    if (connected)
        Open();
    else
        Close();
}

void TDatabase::Open() {
    if (Connected()) return;
    // A lost session is dropped before a new one is made. Its datasets close with it,
    // except those that keep an edit not yet posted for the new session.
    if (connection_) {
        std::vector<TDataSet*> kept;
        while (!dataSets_.empty()) {
            TDataSet* ds = dataSets_.back();
            dataSets_.pop_back();
            if (ds->OutliveSession())
                kept.insert(kept.begin(), ds);
            else
                ds->Close();
        }
        connection_.reset();
        dataSets_ = std::move(kept);
    }
    if (aliasName_.isEmpty())
        throw EDatabaseError(QStringLiteral("No database alias has been set for %1").arg(databaseName_));
    const AliasInfo alias = FindAlias(aliasName_);
    TStringList login;
    login.Assign(params_);
    if (loginPrompt_ && OnLogin) OnLogin(this, login);
    connection_ = ConnectAlias(alias, login.Values(QStringLiteral("USER NAME")),
                               login.Values(QStringLiteral("PASSWORD")));
    connection_->OnTransactionEnd = [this] {
        if (OnTransactionEnd) OnTransactionEnd(this);
    };
}

void TDatabase::Close() {
    // Datasets first: their results belong to the session.
    while (!dataSets_.empty()) {
        TDataSet* ds = dataSets_.back();
        dataSets_.pop_back();
        ds->Close();
    }
    connection_.reset();
}

void TDatabase::checkConnected() const {
    if (!connection_) throw EDatabaseError(QStringLiteral("Database %1 is not connected").arg(databaseName_));
}

SqlConnection& TDatabase::Connection() {
    checkConnected();
    return *connection_;
}

bool TDatabase::InTransaction() const {
    return connection_ && !connection_->Broken() && connection_->InTransaction();
}

void TDatabase::StartTransaction() {
    checkConnected();
    if (connection_->InTransaction()) throw EDatabaseError(QStringLiteral("A transaction is already active"));
    connection_->StartTransaction();
}

void TDatabase::Commit() {
    checkConnected();
    if (!connection_->InTransaction()) throw EDatabaseError(QStringLiteral("No transaction is active"));
    connection_->Commit();
}

void TDatabase::Rollback() {
    checkConnected();
    if (!connection_->InTransaction()) throw EDatabaseError(QStringLiteral("No transaction is active"));
    connection_->Rollback();
}

void TDatabase::RegisterDataSet(TDataSet* dataSet) {
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end())
        dataSets_.push_back(dataSet);
}

void TDatabase::UnregisterDataSet(TDataSet* dataSet) {
    dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), dataSet), dataSets_.end());
}

TDatabase& OpenDatabaseNamed(const QString& databaseName) {
    TDatabase* db = TDatabase::FindDatabase(databaseName);
    if (!db) throw EDatabaseError(QStringLiteral("Unknown database: %1").arg(databaseName));
    if (!db->Connected()) db->Open();
    return *db;
}
