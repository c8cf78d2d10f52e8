#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QToolButton>

#include "framework/Graphics.h"

namespace {

// Counts how often the style is asked for a standard icon.
class CountingStyle : public QProxyStyle {
  public:
    CountingStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option,
                       const QWidget* widget) const override {
        ++asked;
        return QProxyStyle::standardIcon(pixmap, option, widget);
    }
    mutable int asked = 0;
};

QImage painted(const QIcon& icon, QSize size, QIcon::Mode mode) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    icon.paint(&p, QRect(QPoint(0, 0), size), Qt::AlignCenter, mode);
    return image;
}

// A glyph looks and measures exactly as the style's own icon, in every mode and size.
TEST(StandardGlyphs, LookAndMeasureAsTheStylesIcon) {
    // Yes and Apply among them: pictures that a paint handed on to QIcon::paint drew a pixel off.
    for (auto pixmap : {QStyle::SP_DialogYesButton, QStyle::SP_DialogApplyButton, QStyle::SP_DialogSaveButton,
                        QStyle::SP_DirOpenIcon, QStyle::SP_MediaPlay}) {
        const QIcon glyph = StandardGlyph(pixmap);
        const QIcon own = QApplication::style()->standardIcon(pixmap);
        ASSERT_FALSE(glyph.isNull());
        EXPECT_EQ(glyph.availableSizes(), own.availableSizes());
        for (int extent : {13, 16, 22, 25, 32, 48}) {
            const QSize size(extent, extent);
            EXPECT_EQ(glyph.actualSize(size), own.actualSize(size)) << pixmap << " " << extent;
            for (auto mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
                EXPECT_EQ(glyph.pixmap(size, mode).toImage(), own.pixmap(size, mode).toImage())
                    << pixmap << " " << extent << " " << mode;
                EXPECT_EQ(glyph.pixmap(size, 2.0, mode).toImage(), own.pixmap(size, 2.0, mode).toImage())
                    << pixmap << " " << extent << " " << mode << " at twice the density";
                EXPECT_EQ(painted(glyph, size, mode), painted(own, size, mode))
                    << pixmap << " " << extent << " " << mode << " painted";
            }
        }
    }
}

// The style decodes every size of a picture each time it is asked: a glyph asks only
// when it is first drawn or measured, and once a process for each standard pixmap.
TEST(StandardGlyphs, AskTheStyleOnceAPictureAndOnlyWhenNeeded) {
    const QString previous = QApplication::style()->name();
    auto* style = new CountingStyle;
    QApplication::setStyle(style);
    {
        QIcon a = StandardGlyph(QStyle::SP_DialogSaveButton);
        QIcon b = StandardGlyph(QStyle::SP_DialogSaveButton);
        const QIcon c = StandardGlyph(QStyle::SP_DialogCloseButton);
        EXPECT_EQ(style->asked, 0) << "asked before anything was drawn";
        (void)a.pixmap(16);
        (void)b.pixmap(32);
        EXPECT_EQ(style->asked, 1);
        (void)StandardGlyph(QStyle::SP_DialogSaveButton).pixmap(16);
        EXPECT_EQ(style->asked, 1);
        (void)c.actualSize(QSize(16, 16));
        EXPECT_EQ(style->asked, 2);
        // A copy changed by its holder leaves the shared picture alone.
        QPixmap red(16, 16);
        red.fill(Qt::red);
        a.addPixmap(red, QIcon::Disabled);
        EXPECT_NE(b.pixmap(16, QIcon::Disabled).toImage(), a.pixmap(16, QIcon::Disabled).toImage());
    }
    QApplication::setStyle(previous);
}

// A tool button asks whether its icon is null each time it is sized: answering decodes
// nothing. Once drawn, a glyph the style has no picture for says it is null.
TEST(StandardGlyphs, SizingAToolButtonDecodesNothing) {
    const QString previous = QApplication::style()->name();
    auto* style = new CountingStyle;
    QApplication::setStyle(style);
    {
        QToolButton button;
        button.setIcon(StandardGlyph(QStyle::SP_MediaSkipForward));
        const QSize hint = button.sizeHint();
        EXPECT_EQ(style->asked, 0) << "decoded to be sized";
        EXPECT_GE(hint.width(), button.iconSize().width()) << "sized without its glyph";

        const QIcon missing = StandardGlyph(QStyle::SP_VistaShield);  // none in this style
        ASSERT_TRUE(style->standardIcon(QStyle::SP_VistaShield, nullptr, nullptr).isNull());
        (void)missing.pixmap(16);
        EXPECT_TRUE(missing.isNull());
    }
    QApplication::setStyle(previous);
}

}  // namespace
