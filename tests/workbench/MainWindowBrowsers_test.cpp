#include <gtest/gtest.h>
#include <QScrollBar>

#include "WorkbenchFixture.h"
#include "db/Aliases.h"
#include "db/Catalog.h"
#include "db/Field.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/DataSetModel.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

// The rows of a catalogue list, fields joined by "|".
QStringList rowsOf(TDataSet* ds) {
    QStringList rows;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        QStringList fields;
        for (int i = 0; i < ds->FieldCount(); ++i) fields << ds->Fields(i)->AsString();
        rows << fields.join(QChar('|'));
    }
    return rows;
}

TEST(AliasesPage, RefreshListsEveryAliasWithPasswordsStarred) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    TFMain* m = wb.main();
    testenv::WriteFile(
        AliasFilePath(),
        "[LOCAL]\nTYPE=SQLITE\nPATH=/data/password=x.db\nDESCRIPTION=Local one\n"
        "[SALES]\nTYPE=POSTGRESQL\nSERVER NAME=host=db password=s3cret dbname=sales\n"
        "[QUOTED]\nTYPE=POSTGRESQL\nSERVER NAME=PASSWORD = 'a b\\'c' host=h\n"
        "[URI]\nTYPE=POSTGRESQL\nSERVER NAME=postgresql://scott:tiger@h/db?sslmode=off&password=x1\n");
    m->DatabaseName->SetItemIndex(0);
    wb.click("BRefreshBDEAliases");
    EXPECT_EQ(m->DatabaseName->Items().ToStringList(), QStringList({"LOCAL", "SALES", "QUOTED", "URI"}));
    EXPECT_EQ(m->DatabaseName->ItemIndex(), -1);
    EXPECT_EQ(m->BDEItems->RecNo(), 4) << "the grid ends on the last alias";
    EXPECT_EQ(m->DBGrid2->Model()->rowCount(), 4);
    EXPECT_EQ(m->DBGrid2->Model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "PHYNAME");
    EXPECT_EQ(rowsOf(m->BDEItems),
              QStringList({
                  "LOCAL|Local one|/data/password=x.db|SQLITE",
                  "SALES||host=db password=****** dbname=sales|POSTGRESQL",
                  "QUOTED||PASSWORD = ******** host=h|POSTGRESQL",
                  "URI||postgresql://scott:*****@h/db?sslmode=off&password=**|POSTGRESQL",
              }));
}

TEST(AliasesPage, PhysicalNamesAreKeptUpTo260Characters) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    const QByteArray exact = "/" + QByteArray(259, 'a');
    testenv::WriteFile(AliasFilePath(), "[EXACT]\nTYPE=SQLITE\nPATH=" + exact +
                                            "\n[LONGER]\nTYPE=SQLITE\nPATH=" + exact + "b\n");
    wb.click("BRefreshBDEAliases");
    TDataSet* aliases = wb.main()->BDEItems;
    aliases->First();
    EXPECT_EQ(aliases->FieldByName("PHYNAME")->AsString(), QString::fromLatin1(exact));
    aliases->Next();
    EXPECT_EQ(aliases->FieldByName("PHYNAME")->AsString(), QString::fromLatin1(exact));
}

class TablesPage : public wbtest::WorkbenchTest {};

TEST_P(TablesPage, ColumnsOfTheSelectedTableWithTheirPhysicalTypes) {
    wb.seed("CREATE TABLE aa (x INTEGER)");
    wb.seed("CREATE TABLE items (id INTEGER, name VARCHAR(20), price NUMERIC(10,2), born DATE)");
    wb.connect();
    const QStringList tables = rowsOf(m->DBItems);
    const int at = static_cast<int>(tables.indexOf(QStringLiteral("items")));
    ASSERT_GE(at, 0) << tables.join(QChar(' ')).toStdString();
    if (GetParam() == Backend::Sqlite)
        EXPECT_TRUE(tables.contains("sqlite_schema") || tables.contains("sqlite_master"))
            << "system tables too";
    else
        EXPECT_TRUE(tables.contains("pg_class") || tables.contains("pg_catalog.pg_class"))
            << "system tables too";
    // The user picks the table in the left grid.
    m->PageControl1->SetActivePage(m->TabSheet4);
    // It scrolls there first: the grid holds only the rows it shows.
    m->DBTabele->View()->findChild<QScrollBar*>("RowBar")->setValue(at);
    const int shownAt = at - m->DBTabele->Model()->Top();
    ASSERT_GE(shownAt, 0);
    ASSERT_LT(shownAt, m->DBTabele->Model()->rowCount());
    m->DBTabele->View()->setCurrentIndex(m->DBTabele->Model()->index(shownAt, 0));
    ASSERT_EQ(m->DBItems->RecNo(), at + 1);
    wb.click("RefreshItems");
    const QStringList expected =
        GetParam() == Backend::Sqlite
            ? QStringList({"1|id|INTEGER", "2|name|VARCHAR(20)", "3|price|NUMERIC(10,2)", "4|born|DATE"})
            : QStringList(
                  {"1|id|integer", "2|name|character varying(20)", "3|price|numeric(10,2)", "4|born|date"});
    EXPECT_EQ(rowsOf(m->TableItems), expected);
    EXPECT_EQ(m->Etems->Model()->rowCount(), 4);
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());

    // A table dropped since the list was read: the database's error, the program goes on.
    wb.seed("DROP TABLE items");
    wb.click("RefreshItems");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_TRUE(testenv::Dialogs().boxes[0].text.contains("items"));
}

INSTANTIATE_TEST_SUITE_P(Backends, TablesPage, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
