#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "seam/DialogSeam.h"
#include "support/RealDialogs.h"

namespace {

// The main window raises a box while a window that stays on top (the export window) is
// visible: the box belongs to the main window, and stays on top itself so that it comes
// up above both.
TEST(BoxPlacement, ABoxComesUpAboveAWindowThatStaysOnTopWhicheverWindowRaisedIt) {
    QWidget main;
    main.resize(400, 300);
    QWidget onTop;
    onTop.setWindowFlag(Qt::WindowStaysOnTopHint);
    onTop.resize(200, 100);
    main.show();
    onTop.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    testenv::RealDialogsScope real;
    QWidget* parent = nullptr;
    bool boxOnTop = false;
    Qt::WindowModality modality = Qt::NonModal;
    QString title;
    testenv::WhenModal([&](QWidget* box) {
        ASSERT_NE(box, nullptr);
        parent = box->parentWidget();
        boxOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        modality = box->windowModality();
        title = box->windowTitle();
        box->close();
    });
    platform::MessageBoxRequest r;
    r.text = QStringLiteral("No data to export");
    platform::Dialogs().messageBox(r);
    EXPECT_EQ(parent, &main);
    EXPECT_TRUE(boxOnTop) << "the box would open behind the window that stays on top";
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_EQ(title, "Zorvantic") << "a box given no caption carries the program's title";

    // With no such window in sight the box is an ordinary one.
    onTop.hide();
    testenv::WhenModal([&](QWidget* box) {
        ASSERT_NE(box, nullptr);
        boxOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        box->close();
    });
    platform::Dialogs().messageBox(r);
    EXPECT_FALSE(boxOnTop);
}

// Every other dialog of the seam comes up above such a window too.
TEST(BoxPlacement, InputAndFileDialogsComeUpAboveAWindowThatStaysOnTop) {
    QWidget onTop;
    onTop.setWindowFlag(Qt::WindowStaysOnTopHint);
    onTop.show();
    testenv::RealDialogsScope real;
    QStringList seen;
    auto look = [&](QWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        seen << QStringLiteral("%1:%2")
                    .arg(dialog->windowTitle())
                    .arg(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        dialog->close();
    };
    testenv::WhenModal(look);
    platform::Dialogs().inputText({QStringLiteral("Table name"), QString(), QString()});
    testenv::WhenModal(look);
    platform::FileDialogRequest f;
    f.title = QStringLiteral("Otwórz skrypt");
    platform::Dialogs().openFile(f);
    EXPECT_EQ(seen, QStringList({"Table name:1", "Otwórz skrypt:1"}));
}

}  // namespace
