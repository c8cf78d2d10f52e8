#include <gtest/gtest.h>

#include "ScratchAlias.h"
#include "ToolsFixture.h"
#include "db/Query.h"
#include "framework/StdCtrls.h"
#include "tools/CreateSimpleData.h"

using testenv::Backend;

namespace {

class SampleData : public ::testing::TestWithParam<Backend> {
  protected:
    SampleData() : alias_(GetParam()) { tools_.openDatabase(); }
    void exec(const QString& sql) {
        TQuery q;
        q.SetDatabaseName("X");
        q.SQL().Add(sql);
        q.ExecSQL();
    }
    QStringList lines() const { return FCreateSimpleData->Memo->Lines().ToStringList(); }
    void execute(const QString& table, const QString& sql) {
        FCreateSimpleData->TableName->SetText(table);
        FCreateSimpleData->SQL->SetText(sql);
        FCreateSimpleData->Execute->Click();
    }

    testenv::ScratchAlias alias_;
    toolstest::Tools tools_;
};

// Quoted upper-case names read back the same on both databases.
TEST_P(SampleData, EmpGivesTheStatementFiveItemsToALine) {
    exec(QString("CREATE TABLE EMP (\"EMPNO\" NUMERIC(4), \"ENAME\" VARCHAR(10), \"JOB\" VARCHAR(3), "
                 "\"MGR\" NUMERIC(4), \"HIREDATE\" %1, \"SAL\" NUMERIC(7,2), \"COMM\" NUMERIC(7,2), "
                 "\"DEPTNO\" NUMERIC(2))")
             .arg(GetParam() == Backend::Postgres ? "TIMESTAMP" : "DATETIME"));
    ASSERT_EQ(lines().size(), 513);
    FCreateSimpleData->Execute->Click();
    const QStringList memo = lines();
    ASSERT_EQ(memo.size(), 513);
    EXPECT_EQ(memo[0], "INSERT INTO EMP (EMPNO,ENAME,JOB,MGR,HIREDATE,");
    EXPECT_EQ(memo[1], "SAL,COMM,DEPTNO ) VALUES (1,'ENAME',");
    EXPECT_EQ(memo[2], "'JOB',1,SYSDATE,1,1,");
    EXPECT_EQ(memo[3], "1 )");
    EXPECT_EQ(memo[4], "");
}

TEST_P(SampleData, CutNamesExactlyFiveFieldsAndTheTypedTableName) {
    exec(
        "CREATE TABLE T (\"DESCRIPTION\" VARCHAR(3), \"ABC\" VARCHAR(3), \"A\" INTEGER, \"B\" INTEGER, "
        "\"C\" INTEGER)");
    execute("OTHER", "select * from T");
    const QStringList memo = lines();
    EXPECT_EQ(memo[0], "INSERT INTO OTHER (DESCRIPTION,ABC,A,B,C");
    EXPECT_EQ(memo[1], " ) VALUES ('DES','ABC',1,1,1");
    EXPECT_EQ(memo[2], " )");
}

// The database's names stay one name and one literal in the statement.
TEST_P(SampleData, NamesFromTheDatabaseStayNamesAndLiterals) {
    exec("CREATE TABLE T (\"it's; x\" VARCHAR(9), \"ok\" INTEGER)");
    execute("T", "select * from T");
    EXPECT_EQ(lines()[0], "INSERT INTO T (\"it's; x\",ok ) VALUES ('it''s; x',1 )");
}

TEST_P(SampleData, AQueryErrorLeavesTheMemoAlone) {
    execute("EMP", "select * from NO_SUCH_TABLE");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(lines(), QStringList(513, QString()));
}

// A date alone gets the sample value 1 on both databases; a date and time gets SYSDATE.
TEST_P(SampleData, ADateColumnIsADateOnBothDatabases) {
    exec(QString("CREATE TABLE T (\"BORN\" DATE, \"SEEN\" %1)")
             .arg(GetParam() == Backend::Postgres ? "TIMESTAMP" : "DATETIME"));
    execute("T", "select * from T");
    EXPECT_EQ(lines()[0], "INSERT INTO T (BORN,SEEN ) VALUES (1,SYSDATE )");
}

INSTANTIATE_TEST_SUITE_P(Backends, SampleData, testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

// PostgreSQL answers a select of no columns with a result of no fields.
TEST(SampleDataFields, NoFieldsGiveEmptyLists) {
    testenv::ScratchAlias alias(Backend::Postgres);
    toolstest::Tools tools;
    tools.openDatabase();
    FCreateSimpleData->TableName->SetText("E");
    FCreateSimpleData->SQL->SetText("select");
    FCreateSimpleData->Execute->Click();
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList());
    EXPECT_EQ(FCreateSimpleData->Memo->Lines()[0], "INSERT INTO E ( ) VALUES ( )");
}

TEST(SampleDataMemo, ALongStatementGetsTheLinesItNeeds) {
    testenv::ScratchAlias alias(Backend::Sqlite);
    toolstest::Tools tools;
    tools.openDatabase();
    QStringList columns;
    for (int i = 1; i <= 1300; ++i) columns << QString("C%1 INTEGER").arg(i);
    TQuery create;
    create.SetDatabaseName("X");
    create.SQL().Add("CREATE TABLE W (" + columns.join(",") + ")");
    create.ExecSQL();
    FCreateSimpleData->SQL->SetText("select * from W");
    FCreateSimpleData->Execute->Click();
    const QStringList memo = FCreateSimpleData->Memo->Lines().ToStringList();
    // 2600 items, five to a line: the closing piece lands on line 520.
    ASSERT_EQ(memo.size(), 521);
    EXPECT_EQ(memo[259], "C1296,C1297,C1298,C1299,C1300");
    EXPECT_EQ(memo[260], " ) VALUES (1,1,1,1,1,");
    EXPECT_EQ(memo[519], "1,1,1,1,1");
    EXPECT_EQ(memo[520], " )");
}

}  // namespace
