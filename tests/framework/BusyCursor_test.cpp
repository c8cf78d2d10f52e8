#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "TestEnv.h"
#include "framework/BusyCursor.h"
#include "seam/DialogSeam.h"

namespace {

// The cursor shape the program shows over its windows now (the arrow when none is set).
Qt::CursorShape shownCursor() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr ? c->shape() : Qt::ArrowCursor;
}

// Scripted boxes that also note the cursor each box came up with.
struct CursorNotingDialogs : platform::ScriptedDialogs {
    int messageBox(const platform::MessageBoxRequest& request) override {
        cursors.push_back(shownCursor());
        return ScriptedDialogs::messageBox(request);
    }
    std::optional<QString> openFile(const platform::FileDialogRequest& request) override {
        cursors.push_back(shownCursor());
        return ScriptedDialogs::openFile(request);
    }
    std::vector<Qt::CursorShape> cursors;
};

}  // namespace

TEST(BusyCursor, ShowsWhileItLivesAndBoxesAskWithTheArrow) {
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    CursorNotingDialogs noting;
    platform::SetDialogs(&noting);
    {
        const BusyCursor busy;
        EXPECT_EQ(shownCursor(), Qt::WaitCursor);
        {
            const BusyCursor nested;
            platform::Dialogs().messageBox({});
            EXPECT_EQ(shownCursor(), Qt::WaitCursor) << "busy again once the box is answered";
        }
        platform::Dialogs().openFile({});
        EXPECT_EQ(shownCursor(), Qt::WaitCursor);
    }
    platform::Dialogs().messageBox({});
    platform::SetDialogs(&testenv::Dialogs());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(noting.cursors,
              std::vector<Qt::CursorShape>({Qt::ArrowCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
}

// The real box, not a scripted one: it comes up with the arrow over busy work.
TEST(BusyCursor, TheRealBoxComesUpWithTheArrow) {
    platform::SetDialogs(nullptr);
    Qt::CursorShape whileUp = Qt::WaitCursor;
    bool seen = false;
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(10, answer);
            return;
        }
        seen = true;
        whileUp = shownCursor();
        box->accept();
    };
    QTimer::singleShot(0, answer);
    {
        const BusyCursor busy;
        platform::MessageBoxRequest request;
        request.text = QStringLiteral("Export finished");
        platform::Dialogs().messageBox(request);
        EXPECT_EQ(shownCursor(), Qt::WaitCursor);
    }
    platform::SetDialogs(&testenv::Dialogs());
    EXPECT_TRUE(seen);
    EXPECT_EQ(whileUp, Qt::ArrowCursor);
}
