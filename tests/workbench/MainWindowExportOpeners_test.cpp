#include <gtest/gtest.h>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Catalog.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/CountRecords.h"
#include "export/MultiFileEksport.h"
#include "export/SuperUnion.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class ExportOpeners : public ::testing::TestWithParam<Backend> {
  protected:
    ExportOpeners() : wb(GetParam()) {
        wb.seed("CREATE TABLE employees (id INTEGER, name VARCHAR(20))");
        wb.seed("INSERT INTO employees VALUES (1, 'Ann')");
        wb.seed("INSERT INTO employees VALUES (2, 'Bob')");
        wb.show();
    }
    QStringList modalRuns() const {
        QStringList names;
        for (const auto& r : testenv::Dialogs().records)
            if (r.kind == platform::DialogRecord::ModalForm) names << r.text;
        return names;
    }
    Workbench wb;
};

TEST_P(ExportOpeners, EachButtonConnectsFirstAndRunsItsWindowOnTheSuggestions) {
    wb.selectAlias();
    TFMain* m = wb.main();
    testenv::Dialogs().onModal = [m](QWidget*, const QString&) {
        EXPECT_TRUE(m->Database->Connected());
        EXPECT_EQ(FCountRecords->MTables->Lines().ToStringList(), m->HINTS->Lines().ToStringList());
        EXPECT_TRUE(FCountRecords->MTables->Lines().ToStringList().contains("EMPLOYEES"));
        FCountRecords->MTables->Lines().Assign(QStringList{"EMPLOYEES"});
        QTest::mouseClick(FCountRecords->BitBtn1->Button(), Qt::LeftButton);
        EXPECT_EQ(FCountRecords->MResults->Lines().ToStringList(), QStringList({"EMPLOYEES\t2"}));
        return 2;
    };
    QTest::mouseClick(m->SpeedButton2->Button(), Qt::LeftButton);
    EXPECT_EQ(FCountRecords, nullptr);

    testenv::Dialogs().onModal = [m](QWidget*, const QString&) {
        EXPECT_EQ(FSuperUnion->MTables->Lines().ToStringList(), m->HINTS->Lines().ToStringList());
        EXPECT_EQ(FSuperUnion->Query->DatabaseName(), "X");
        EXPECT_EQ(FSuperUnion->TableItems->DatabaseName(), "X");
        return 2;
    };
    QTest::mouseClick(m->BSuperUnion->Button(), Qt::LeftButton);
    EXPECT_EQ(FSuperUnion, nullptr);

    testenv::Dialogs().onModal = [](QWidget*, const QString&) {
        FMultiFileEksport->SQL->Lines().Assign(QStringList{"SELECT count(*) AS n FROM employees"});
        FMultiFileEksport->BRefresh->Click();
        EXPECT_TRUE(FMultiFileEksport->Query->Active());
        return 2;
    };
    QTest::mouseClick(m->BMultifileExport->Button(), Qt::LeftButton);
    EXPECT_EQ(FMultiFileEksport, nullptr);
    EXPECT_EQ(modalRuns(), QStringList({"FCountRecords", "FSuperUnion", "FMultiFileEksport"}));
    EXPECT_TRUE(testenv::Dialogs().boxTexts().isEmpty());
}

TEST_P(ExportOpeners, WithoutAnAliasNoWindowOpens) {
    wb.main()->SpeedButton2->Click();
    wb.main()->BSuperUnion->Click();
    wb.main()->BMultifileExport->Click();
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList(3, "Enter the database name"));
    EXPECT_TRUE(modalRuns().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ExportOpeners, testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
