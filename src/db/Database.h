#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "rtl/Classes.h"

class SqlConnection;
class TDataSet;

// A named connection to one database alias. Datasets name the connection by its
// DatabaseName; FindDatabase finds the live one.
class TDatabase : public TComponent {
  public:
    explicit TDatabase(TComponent* owner = nullptr);
    ~TDatabase() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    const QString& AliasName() const { return aliasName_; }
    void SetAliasName(const QString& alias);
    TStrings& Params() { return params_; }
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool on) { loginPrompt_ = on; }
    // Called before every open with a copy of Params(); the login takes "USER NAME" and
    // "PASSWORD" from that list. No dialog is ever shown.
    std::function<void(TDatabase* database, TStrings& loginParams)> OnLogin;

    void Open();
    // Closes every dataset open on this connection first.
    void Close();
    bool Connected() const;
    void SetConnected(bool connected);

    bool InTransaction() const;
    // Called when the transaction ends by the server's doing (a lost session, a COMMIT
    // the server answered with ROLLBACK), so that controls showing it can follow.
    std::function<void(TDatabase* database)> OnTransactionEnd;
    void StartTransaction();
    void Commit();
    void Rollback();

    // Live database by name (letter case ignored), nullptr when none.
    static TDatabase* FindDatabase(const QString& name);

    // For the datasets: the open connection (raises EDatabaseError when closed).
    SqlConnection& Connection();
    void RegisterDataSet(TDataSet* dataSet);
    void UnregisterDataSet(TDataSet* dataSet);

  private:
    void checkConnected() const;

    QString databaseName_;
    QString aliasName_;
    TStringList params_;
    bool loginPrompt_ = true;
    std::unique_ptr<SqlConnection> connection_;
    std::vector<TDataSet*> dataSets_;
};

// The database a dataset names, opened (with its alias and login handler) when closed.
// Raises EDatabaseError when there is no such database or it has no alias yet.
TDatabase& OpenDatabaseNamed(const QString& databaseName);
