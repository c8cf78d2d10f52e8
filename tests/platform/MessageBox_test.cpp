#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>

#include "platform/DialogSeam.h"

using platform::MessageBoxRequest;

TEST(MessageBox, TextIsShownAsItStandsNeverAsMarkup) {
    MessageBoxRequest r;
    r.text = QStringLiteral("<b>Błąd</b> w SELECT * FROM t WHERE a<b & c>d");
    r.caption = QStringLiteral("Błąd");
    r.icon = platform::BoxIcon::Error;
    QMessageBox box;
    platform::PrepareMessageBox(box, r);
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.text(), r.text);
    EXPECT_EQ(box.windowTitle(), r.caption);
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    EXPECT_EQ(box.standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
}

TEST(MessageBox, AShortTextLeavesRoomForTheWholeTitle) {
    MessageBoxRequest r;
    r.text = QStringLiteral("OK !");
    r.caption = QStringLiteral("Zorvantic - a caption far longer than the text of the box");
    QMessageBox box;
    platform::PrepareMessageBox(box, r);
    const int title = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(r.caption);
    EXPECT_GT(box.sizeHint().width(), title + 60);
}

TEST(MessageBox, QuestionHasYesAndNoWithYesAsDefault) {
    MessageBoxRequest r;
    r.text = QStringLiteral("?");
    r.icon = platform::BoxIcon::Question;
    r.buttons = platform::BoxButtons::YesNo;
    r.defaultAnswer = platform::IDYES;
    QMessageBox box;
    platform::PrepareMessageBox(box, r);
    EXPECT_EQ(box.icon(), QMessageBox::Question);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::Yes));
}
