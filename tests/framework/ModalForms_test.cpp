#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "TestEnv.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"
#include "support/RealDialogs.h"

namespace {

struct ModalForms : ::testing::Test {
    void SetUp() override {
        main = app.CreateForm<TForm>();
        main->SetName("FMainForm");
        main->SetClientSize(300, 200);
        button = new TButton(main);
        button->SetParent(main);
        button->SetBounds(10, 10, 100, 30);
        button->OnClick = [this](TObject*) { ++clicks; };
        dialog = app.CreateForm<TForm>();
        dialog->SetName("FDialog");
        dialog->SetClientSize(200, 100);
        main->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main->Widget()));
    }

    TApplication app;
    TForm* main = nullptr;
    TForm* dialog = nullptr;
    TButton* button = nullptr;
    int clicks = 0;
};

// The real modal run: while it lasts the other windows take no input.
TEST_F(ModalForms, AModalWindowBlocksTheOtherWindowsFromTheMomentItComesUp) {
    testenv::ClickThroughWindow(button->Widget());
    ASSERT_EQ(clicks, 1) << "the main window takes clicks while nothing modal runs";

    testenv::RealDialogsScope real;
    QWidget* modal = nullptr;
    bool secondRunRefused = false;
    testenv::WhenModal([&](QWidget* m) {
        modal = m;
        testenv::ClickThroughWindow(button->Widget());
        try {
            dialog->ShowModal();
        } catch (const Exception&) {
            secondRunRefused = true;
        }
        dialog->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(modal, dialog->Widget());
    EXPECT_EQ(clicks, 1) << "a click on the main window changed something behind the modal window";
    EXPECT_TRUE(secondRunRefused) << "a window already up cannot run modally a second time";
    EXPECT_FALSE(dialog->Visible());

    // Once it has closed, the main window takes clicks again and nothing is modal.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    testenv::ClickThroughWindow(button->Widget());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(dialog->Widget()->windowModality(), Qt::NonModal) << "shown modeless later, it blocks nothing";
}

// A window that stays on top (the export window) is visible: a modal window opened from
// the main window comes up above it, and the flag goes with the run.
TEST_F(ModalForms, AModalWindowComesUpAboveAWindowThatStaysOnTop) {
    auto* onTop = app.CreateForm<TForm>();
    onTop->SetStayOnTop(true);
    onTop->Show();
    bool liftedDuringRun = false;
    testenv::Dialogs().onModal = [&](QWidget* form, const QString&) {
        liftedDuringRun = form->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        EXPECT_EQ(form->windowModality(), Qt::ApplicationModal);
        return int(mrCancel);
    };
    dialog->ShowModal();
    EXPECT_TRUE(liftedDuringRun);
    EXPECT_FALSE(dialog->Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // Without such a window nothing is lifted.
    onTop->Hide();
    dialog->ShowModal();
    EXPECT_FALSE(liftedDuringRun);
}

}  // namespace
