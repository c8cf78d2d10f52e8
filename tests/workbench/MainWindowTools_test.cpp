#include <gtest/gtest.h>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "tools/CharASCI.h"
#include "tools/CreateSimpleData.h"
#include "tools/Konwerter.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class ToolOpeners : public ::testing::TestWithParam<Backend> {
  protected:
    ToolOpeners() : wb(GetParam()) {
        wb.app().CreateForm<TFKonwerter>();
        wb.app().CreateForm<TFCharASCI>();
        wb.app().CreateForm<TFCreateSimpleData>();
    }
    Workbench wb;
};

// The generator opens the main window's closed connection by itself, with the alias
// last connected to.
TEST_P(ToolOpeners, ScriptPageButtonsShowTheToolsModally) {
    wb.seed("CREATE TABLE dept (\"DEPTNO\" INTEGER, \"DNAME\" VARCHAR(14))");
    wb.connect();
    wb.main()->Database->Close();
    ASSERT_FALSE(wb.main()->Database->Connected());
    QStringList shown;
    testenv::Dialogs().onModal = [&](QWidget*, const QString& name) {
        shown << name;
        if (name == "FCreateSimpleData") {
            FCreateSimpleData->TableName->SetText("DEPT");
            FCreateSimpleData->SQL->SetText("select * from dept");
            FCreateSimpleData->Execute->Click();
        }
        return 2;
    };
    wb.main()->SpeedButton3->Click();
    wb.main()->SpeedButton4->Click();
    EXPECT_EQ(shown, QStringList({"FKonwerter", "FCreateSimpleData"}));
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList());
    EXPECT_EQ(FCreateSimpleData->Memo->Lines()[0], "INSERT INTO DEPT (DEPTNO,DNAME ) VALUES (1,'DNAME' )");
    EXPECT_TRUE(wb.main()->Database->Connected());
}

INSTANTIATE_TEST_SUITE_P(Backends, ToolOpeners, testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
