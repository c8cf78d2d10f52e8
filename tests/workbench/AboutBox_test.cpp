#include <gtest/gtest.h>

#include "WorkbenchFixture.h"
#include "common/Info.h"
#include "framework/Menus.h"

namespace {

TEST(AboutBox, HelpAboutShowsTheAboutBoxModally) {
    wbtest::Workbench wb(testenv::Backend::Sqlite);
    wb.app().CreateForm<TFInfo>();
    wb.show();
    bool shownWhileModal = false;
    testenv::Dialogs().onModal = [&](QWidget*, const QString& name) {
        shownWhileModal = name == "FInfo" && FInfo->IsModal() && FInfo->Visible();
        return int(mrOk);
    };
    wb.main()->Oprogramie1->Action()->trigger();
    EXPECT_TRUE(shownWhileModal);
    EXPECT_FALSE(FInfo->Visible());
}

}  // namespace
