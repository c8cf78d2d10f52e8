#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Query.h"
#include "export/CountRecords.h"
#include "export/Eksport.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "support/RealDialogs.h"

using wbtest::Backend;
using wbtest::Workbench;

// What the scripted dialogs hide: the real modal runs and boxes of the main window.
namespace {

// The record counter runs modally: a second click on its button, while it is open, reaches
// nothing, so the counter never opens twice.
TEST(ModalWindows, TheRecordCounterBlocksTheMainWindowAndOpensOnce) {
    Workbench wb(Backend::Sqlite);
    wb.seed("CREATE TABLE employees (id INTEGER)");
    wb.connect();
    TFMain* m = wb.main();
    // The test screen is narrower than the tool bar: the button comes within reach.
    m->SpeedButton2->SetLeft(300);
    m->SpeedButton2->Widget()->raise();
    testenv::RealDialogsScope real;
    QPointer<QWidget> first;
    QString firstName;
    int others = 0;
    testenv::WhenModal([&](QWidget* modal) {
        first = modal;
        if (modal != nullptr) firstName = modal->objectName();
        // Were the main window not blocked, the click would open a second counter, shut here.
        QTimer::singleShot(50, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w != first && w->isVisible() && w->objectName() == "FCountRecords") {
                    ++others;
                    w->close();
                }
        });
        testenv::ClickThroughWindow(m->SpeedButton2->Widget());
        QTest::qWait(100);
        if (first != nullptr) first->close();
    });
    testenv::ClickThroughWindow(m->SpeedButton2->Widget());
    EXPECT_EQ(firstName, "FCountRecords") << "the counter never came up";
    EXPECT_EQ(others, 0) << "the counter opened a second time";
    EXPECT_EQ(FCountRecords, nullptr) << "freed when its run ended";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The export window stays on top; a box that the main window raises while it is visible
// comes up above it, over the main window.
TEST(ModalWindows, ABoxOfTheMainWindowComesUpAboveTheExportWindow) {
    Workbench wb(Backend::Sqlite);
    wb.app().CreateForm<TFEksport>();
    wb.connect();
    TFMain* m = wb.main();
    wb.openMain("SELECT 1 AS A");
    wb.click("BExport");
    ASSERT_TRUE(FEksport->Visible());
    m->MainQuery->Close();
    m->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m->Widget()));

    testenv::RealDialogsScope real;
    QWidget* parent = nullptr;
    bool onTop = false;
    QString text, title;
    testenv::WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        parent = box->parentWidget();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        text = box->text();
        title = box->windowTitle();
        box->close();
    });
    wb.click("BExport");
    EXPECT_EQ(text, "No data to export");
    EXPECT_EQ(parent, m->Widget());
    EXPECT_TRUE(onTop) << "the box opened under the export window";
    EXPECT_EQ(title, "Zorvantic");
    FEksport->Close();
}

// With no alias chosen, entering the "Update" page's table box asks for the database name;
// closing that box gives the focus back to the table box, which is no new entry.
TEST(ModalWindows, TheTableBoxAsksForTheDatabaseOnceNotAtEveryReturnOfTheFocus) {
    Workbench wb(Backend::Sqlite);
    wb.show();
    TFMain* m = wb.main();
    m->PageControl1->SetActivePage(m->TabSheet5);
    m->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m->Widget()));
    m->WHERE->SetFocus();

    testenv::RealDialogsScope real;
    QStringList texts;
    std::function<void(QWidget*)> answer = [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return;
        texts << box->text();
        // Out of a fault's endless loop: the window's focus goes elsewhere meanwhile.
        if (texts.size() == 3) m->WHERE->SetFocus();
        testenv::WhenModal(answer, 20);
        box->close();
        // The window manager gives the focus back to the main window.
        m->Widget()->activateWindow();
        (void)QTest::qWaitForWindowActive(m->Widget());
    };
    testenv::WhenModal(answer);
    m->NazwaTabeli->SetFocus();
    QTest::qWait(500);  // longer than the look for a next box lasts
    EXPECT_EQ(texts, QStringList({"Enter the database name"}));
    EXPECT_TRUE(m->NazwaTabeli->Focused());
}

}  // namespace
