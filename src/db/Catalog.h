#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "db/DataSet.h"

class TDatabase;

// Catalogue lists: read-only datasets filled in one go when opened.
class TCatalogList : public TDataSet {
  public:
    using TDataSet::TDataSet;
    ~TCatalogList() override;

  protected:
    struct Column {
        QString name;
        TFieldType type;
        int size;
    };
    // The columns and rows of the list (NULL cells: nullopt).
    virtual std::vector<Column> ListColumns() const = 0;
    virtual std::vector<std::vector<std::optional<QString>>> ListRows() = 0;

    void OpenCursor() override;
    void CloseCursor() override;
    bool FetchRows(RowStore& rows, int maxRows) override;
    // The open database a list reads: the list closes with it, like any dataset on it.
    TDatabase& Attach(const QString& databaseName);

  private:
    TDatabase* database_ = nullptr;
    std::vector<std::vector<std::optional<QString>>> pending_;
    size_t next_ = 0;
};

// A connection string with every password in it replaced by as many stars.
QString HidePassword(const QString& connectionString);

// The database aliases of the engine configuration, in the file's order:
// NAME (31), DESCRIPTION (31), PHYNAME (260: path or connection string), DBTYPE (31).
class TBDEItems : public TCatalogList {
  public:
    using TCatalogList::TCatalogList;

  protected:
    std::vector<Column> ListColumns() const override;
    std::vector<std::vector<std::optional<QString>>> ListRows() override;
};

// Tables (and views) of a database, system tables included: the field NAME.
class TDatabaseItems : public TCatalogList {
  public:
    using TCatalogList::TCatalogList;
    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);

  protected:
    std::vector<Column> ListColumns() const override;
    std::vector<std::vector<std::optional<QString>>> ListRows() override;

  private:
    QString databaseName_;
};

// Columns of one table: NUM (position from 1), NAME, TYPE (the physical type).
class TTableItems : public TCatalogList {
  public:
    using TCatalogList::TCatalogList;
    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    const QString& TableName() const { return tableName_; }
    void SetTableName(const QString& name);

  protected:
    std::vector<Column> ListColumns() const override;
    std::vector<std::vector<std::optional<QString>>> ListRows() override;

  private:
    QString databaseName_;
    QString tableName_;
};
