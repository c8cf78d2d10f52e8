#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStyle>
#include <cstdint>

// Colours as the windows specify them: 0x00BBGGRR (so 8404992 is red 0, green 64, blue 128).
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clGreen = 0x008000;  // 32768
constexpr TColor clRed = 0x0000FF;    // 255
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNavyBlue = 8404992;  // the dark blue of the working editors
constexpr TColor clDefault = -1;        // the platform's own colour

QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// A font with its colour, as controls carry it.
struct TFont {
    QFont font;
    TColor color = clDefault;

    // One line for the settings stores: the QFont description and the colour.
    QString ToText() const;
    // Restores from ToText(); returns false (and leaves the font) for a text it cannot read.
    bool FromText(const QString& text);
};

// A font as a window's design names it: the family (mapped to an installed font with the
// same metrics where the named one is missing) and the character height in pixels.
QFont DesignFont(const QString& family, int pixelHeight);

// The fixed-pitch font of the script editors ("Fixedsys" where it exists).
QFont FixedsysFont();

// The desktop style's picture for a standard action, as a button's glyph. Its pictures are
// read when it is first drawn or measured, once a process for each standard pixmap.
QIcon StandardGlyph(QStyle::StandardPixmap pixmap);
