#include <gtest/gtest.h>
#include <QMessageBox>
#include <QTest>

#include "TestEnv.h"
#include "framework/Application.h"
#include "support/RealDialogs.h"

// The end request with the real message loop and boxes: it ends the main loop, and only
// that; a box that comes after it still waits for the user.
namespace {

// Shows the real box `text` and answers it; returns what came up ("" when none did).
QString AnswerBox(const QString& text) {
    testenv::RealDialogsScope real;
    QString answered;
    bool looked = false;
    testenv::WhenModal(
        [&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                answered = box->text();
                box->close();
            }
            looked = true;
        },
        50);
    ShowMessage(text);
    // A box that returned at once leaves the look pending: wait for it before going on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return looked; }, 5000));
    return answered;
}

// An unattended run asks to end and goes on with its parameters: work that lets the
// queued events through, then a box of a later parameter.
TEST(EndRequest, ABoxAfterTheRequestStillWaitsForTheUser) {
    TApplication app;
    auto* main = app.CreateForm<TForm>();
    QString answered;
    main->OnShow = [&](TObject*) {
        app.Terminate();
        app.ProcessMessages();
        answered = AnswerBox("Unrecognized command:FOO");
    };
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(answered, "Unrecognized command:FOO");
    // Nor are the boxes of the end itself cut short (a settings file that cannot be saved).
    EXPECT_EQ(AnswerBox("The settings could not be saved"), "The settings could not be saved");
}

// A request left by an application that has gone ends nothing of the next one.
TEST(EndRequest, TheRequestOfAnApplicationThatHasGoneEndsNothingLater) {
    {
        TApplication first;
        first.CreateForm<TForm>()->Show();
        first.Terminate();
    }
    TApplication app;
    app.CreateForm<TForm>()->Show();
    QTest::qWait(100);  // the old request comes due
    EXPECT_EQ(AnswerBox("Still here"), "Still here");
}

}  // namespace
