#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <memory>

#include "TestEnv.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Dispatch.h"
#include "framework/EventHook.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"

namespace {

struct FormsTest : ::testing::Test {
    TApplication app;
};

TEST_F(FormsTest, ShowHooksRunOnlyWhenHiddenWindowIsShown) {
    auto* form = app.CreateForm<TForm>();
    int hooks = 0, shows = 0;
    form->AddShowHook([&] { ++hooks; });
    form->OnShow = [&](TObject*) {
        EXPECT_EQ(hooks, shows + 1) << "the hook runs before the show handler";
        ++shows;
    };
    form->Show();
    form->Show();  // already visible: nothing restored
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(shows, 1);
    form->Hide();
    form->Show();
    EXPECT_EQ(hooks, 2);
}

TEST_F(FormsTest, CloseHooksRunEvenWhenTheCloseIsCancelled) {
    auto* form = app.CreateForm<TForm>();
    auto* other = app.CreateForm<TForm>();
    int saved = 0;
    other->AddCloseHook([&] { ++saved; });
    other->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caNone; };
    other->Show();
    other->Close();
    EXPECT_EQ(saved, 1);
    EXPECT_TRUE(other->Visible());
    other->OnClose = nullptr;
    other->Close();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(app.Terminated()) << "only the main form ends the program";
    form->Show();
    form->Close();
    EXPECT_TRUE(app.Terminated());
}

// An end request made while the main window comes up (the unattended run) is served
// before the window's first paint: it is shown, never drawn, and what the show handler
// posted still arrives.
TEST_F(FormsTest, EndingWhileTheMainWindowComesUpSkipsItsFirstPaint) {
    auto* form = app.CreateForm<TForm>();
    int paints = 0;
    bool posted = false;
    new EventHook(form->Widget(), [&](QObject*, QEvent* e) {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    });
    form->OnShow = [&](TObject*) {
        QMetaObject::invokeMethod(
            qApp, [&] { posted = true; }, Qt::QueuedConnection);
        app.Terminate();
    };
    app.Run();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(posted);
    EXPECT_EQ(paints, 0);
}

TEST_F(FormsTest, EscapingErrorShowsDefaultErrorBoxWithTitle) {
    app.SetTitle("Zorvantic");
    Dispatch([] { throw EDatabaseError("Table does not exist"); });
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].text, "Table does not exist.");
    EXPECT_EQ(testenv::Dialogs().boxes[0].caption, "Zorvantic");
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
}

TEST_F(FormsTest, ModalRunReturnsTheResultTheButtonSets) {
    app.CreateForm<TForm>();
    auto* dialog = app.CreateForm<TForm>();
    auto* ok = new TButton(dialog);
    ok->SetName("BOK");
    ok->SetParent(dialog);
    ok->SetModalResult(mrOk);
    testenv::Dialogs().onModal = [&](QWidget*, const QString& name) {
        EXPECT_EQ(name, "FDialog");
        ok->Click();
        return 0;
    };
    dialog->SetName("FDialog");
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(dialog->Visible());
    // Nothing pressed: the run ends cancelled and hidden.
    testenv::Dialogs().onModal = nullptr;
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(dialog->Visible());
}

TEST_F(FormsTest, KeyPreviewSeesKeysFirstAndEnterPressesDefaultButton) {
    auto* form = app.CreateForm<TForm>();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetDefault(true);
    QStringList seen;
    form->SetKeyPreview(true);
    form->OnKeyDown = [&](TObject*, int& key, TShiftState) { seen << QString("form:%1").arg(key); };
    edit->OnKeyDown = [&](TObject*, int& key, TShiftState) { seen << QString("edit:%1").arg(key); };
    button->OnClick = [&](TObject*) {
        seen << "click";
        EXPECT_EQ(form->ActiveControl(), edit) << "Enter leaves the focus in the field";
    };
    form->Show();
    edit->SetFocus();
    QTest::keyClick(edit->LineEdit(), Qt::Key_Delete);
    QTest::keyClick(edit->LineEdit(), Qt::Key_Return);
    EXPECT_EQ(seen, QStringList({"form:46", "edit:46", "form:13", "click"}));
}

// Destroying a window destroys what it owns, without running their change handlers.
TEST_F(FormsTest, OwnedControlsAreDestroyedWithTheFormQuietly) {
    auto* form = app.CreateForm<TForm>();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    QPointer<QWidget> w = edit->Widget();
    auto* pages = new TPageControl(form);
    pages->SetParent(form);
    for (int i = 0; i < 3; ++i) new TTabSheet(form, pages);
    pages->SetActivePage(static_cast<TTabSheet*>(form->Components(3)));  // the second page
    auto changes = std::make_shared<int>(0);
    pages->OnChange = [changes](TObject*) { ++*changes; };
    delete form;
    EXPECT_EQ(*changes, 0);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(app.ComponentCount(), 0);
}

TEST_F(FormsTest, MaximizedWindowKeepsItsStateAndNormalPlacementWhateverTheWindowManagerSays) {
    auto* form = app.CreateForm<TForm>();
    form->SetPlacement(QRect(100, 120, 300, 200));
    form->SetWindowState(TWindowState::wsMaximized);
    form->Show();
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(form->Placement(), QRect(100, 120, 300, 200));
    // The window manager drops the maximized flag but the window still covers the screen.
    form->Widget()->setWindowState(Qt::WindowNoState);
    form->Widget()->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(form->Placement(), QRect(100, 120, 300, 200));
    form->Hide();
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
}

TEST_F(FormsTest, RestoredPlacementKeepsTheTitleBarOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    auto* form = app.CreateForm<TForm>();
    for (const QRect& stored : {QRect(0, 0, area.width(), area.height()), QRect(-3000, -500, 400, 300),
                                QRect(area.right() + 50, area.bottom() + 50, 400, 300)}) {
        form->SetPlacement(stored);
        const QRect r = form->Placement();
        const QRect titleBar(r.left(), r.top() - title, r.width(), title);
        EXPECT_GE(titleBar.top(), area.top()) << r.x() << "," << r.y();
        EXPECT_GE(area.intersected(titleBar).width(), 100);
    }
    form->SetPlacement(QRect(40, 60, 300, 200));  // a placement on the screen stays as it is
    EXPECT_EQ(form->Placement(), QRect(40, 60, 300, 200));
}

}  // namespace
