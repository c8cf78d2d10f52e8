#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "TestEnv.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "support/RealDialogs.h"

namespace {

// A window with an edit, a combo box and a second edit, in this tab order.
struct FocusEnter : ::testing::Test {
    void SetUp() override {
        form = app.CreateForm<TForm>();
        form->SetClientSize(300, 200);
        first = new TEdit(form);
        first->SetParent(form);
        first->SetBounds(10, 10, 100, 20);
        box = new TComboBox(form);
        box->SetParent(form);
        box->SetBounds(10, 40, 100, 20);
        box->Items().Add("A");
        last = new TEdit(form);
        last->SetParent(form);
        last->SetBounds(10, 70, 100, 20);
        box->OnEnter = [this](TObject*) { ++enters; };
        box->OnExit = [this](TObject*) { ++exits; };
        form->Show();
        activate();
        first->SetFocus();
    }
    // The window gets the focus back, as the window manager gives it when a box closes.
    void activate() {
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
    }
    void tab(TEdit* from, bool back = false) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : from->Widget(),
                        Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
    }

    TApplication app;
    TForm* form = nullptr;
    TEdit* first = nullptr;
    TComboBox* box = nullptr;
    TEdit* last = nullptr;
    int enters = 0;
    int exits = 0;
};

TEST_F(FocusEnter, EnterAndExitAreFocusMovesInsideTheWindowOnly) {
    tab(first);
    ASSERT_TRUE(box->Focused());
    EXPECT_EQ(enters, 1);

    // The list dropped down and closed again, the window left for another and back: the
    // focus never left the box for another control.
    box->Combo()->showPopup();
    QApplication::processEvents();
    box->Combo()->hidePopup();
    QApplication::processEvents();
    auto* other = app.CreateForm<TForm>();
    other->Show();
    other->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other->Widget()));
    activate();
    EXPECT_TRUE(box->Focused());
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 0);

    tab(first);
    EXPECT_TRUE(last->Focused());
    EXPECT_EQ(exits, 1);
    tab(first, true);
    EXPECT_EQ(enters, 2);
}

// The handler of the box shows a box of its own (as the "Update" page's table box does with
// no alias chosen): closing that box gives the focus back, which is no new entry.
TEST_F(FocusEnter, ABoxShownOnEnteringDoesNotComeBackWhenItCloses) {
    testenv::RealDialogsScope real;
    int boxes = 0;
    std::function<void(QWidget*)> closeBox = [&](QWidget* modal) {
        if (modal == nullptr) return;
        ++boxes;
        // Out of a fault's endless loop: the window's focus goes elsewhere meanwhile.
        if (boxes == 3) first->SetFocus();
        modal->close();
        activate();
    };
    box->OnEnter = [&](TObject*) {
        ++enters;
        testenv::WhenModal(closeBox);
        ShowMessage("Enter the database name");
    };
    tab(first);
    QTest::qWait(50);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(enters, 1);
    EXPECT_TRUE(box->Focused());
    box->OnEnter = nullptr;  // the focus moves again as the window goes
}

}  // namespace
