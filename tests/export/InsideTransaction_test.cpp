// The record counter and the super union inside the user's transaction: a table that
// cannot be read gives its own line and the work goes on, on both backends; what the
// transaction wrote before is read by them and committed afterwards.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "db/Catalog.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/CountRecords.h"
#include "export/SuperUnion.h"
#include "framework/StdCtrls.h"

using exporttest::Backend;
using exporttest::FileBytes;
using exporttest::Source;

namespace {

class InsideTransaction : public ::testing::TestWithParam<Backend> {
  protected:
    InsideTransaction() : src(GetParam()) {
        src.exec("CREATE TABLE a (id INTEGER, name VARCHAR(20))");
        src.exec("CREATE TABLE c (id INTEGER, price INTEGER)");
        src.exec("INSERT INTO c VALUES (7, 12)");
        db().StartTransaction();
        src.exec("INSERT INTO a VALUES (1, 'in the transaction')");
    }
    static TDatabase& db() { return *TDatabase::FindDatabase("X"); }
    // Rows of `table` as another session sees them: only what was committed.
    QString committedCount(const QString& table) {
        TDatabase other;
        other.SetDatabaseName("OTHER");
        other.SetAliasName("TEST");
        TQuery q;
        q.SetDatabaseName("OTHER");
        q.SQL().Add("SELECT COUNT(*) FROM " + table);
        q.Open();
        return q.Fields(0)->AsString();
    }

    Source src;
};

TEST_P(InsideTransaction, CounterGoesOnAfterAMissingTable) {
    auto form = src.app().CreateForm<TFCountRecords>();
    form->Query->SetDatabaseName("X");
    form->MTables->Lines().Assign(QStringList{"a", "missing", "c", "t where 1 = 1", "a"});
    form->BitBtn1->Click();
    EXPECT_EQ(form->MResults->Lines().ToStringList(),
              QStringList({"a\t1", "missing\tunkown", "c\t1", "t where 1 = 1\tunkown", "a\t1"}));
    EXPECT_TRUE(db().InTransaction());
    EXPECT_EQ(committedCount("a"), "0");
    db().Commit();
    EXPECT_EQ(committedCount("a"), "1");
}

TEST_P(InsideTransaction, UnionGoesOnAfterAMissingTable) {
    auto form = src.app().CreateForm<TFSuperUnion>();
    form->TableItems->SetDatabaseName("X");
    form->Query->SetDatabaseName("X");
    form->MTables->Lines().Assign(QStringList{"missing", "a", "t where 1 = 1", "c"});
    form->BRefresh->Click();
    EXPECT_EQ(form->MColumns->Lines().ToStringList(), QStringList({"id", "name", "price"}));
    form->BExport->Click();
    EXPECT_EQ(testenv::Dialogs().boxTexts(),
              QStringList({"Error durning trying read columns. Table:missing",
                           "Error durning trying read columns. Table:t where 1 = 1",
                           "Error durning trying read records. Table:missing",
                           "Error durning trying read records. Table:t where 1 = 1", "Export finished"}));
    EXPECT_EQ(FileBytes("c:\\superunion.csv"),
              "\"TABLE\",\"id\",\"name\",\"price\"\r\n"
              "\"a\",\"1\",\"in the transaction\",\"\"\r\n"
              "\"c\",\"7\",\"\",\"12\"\r\n");
    db().Commit();
    EXPECT_EQ(committedCount("a"), "1");
}

INSTANTIATE_TEST_SUITE_P(Backends, InsideTransaction, testing::Values(Backend::Sqlite, Backend::Postgres),
                         exporttest::ParamName);

}  // namespace
