#include "framework/Graphics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

QColor ToQColor(TColor color) {
    if (color < 0) return QColor();
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
    if (!color.isValid()) return clDefault;
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QString TFont::ToText() const {
    return font.toString() + QStringLiteral("|") + QString::number(color);
}

bool TFont::FromText(const QString& text) {
    const qsizetype bar = text.lastIndexOf(QChar('|'));
    if (bar < 0) return false;
    QFont f;
    if (!f.fromString(text.left(bar))) return false;
    bool ok = false;
    const int c = text.mid(bar + 1).toInt(&ok);
    if (!ok) return false;
    font = f;
    color = c;
    return true;
}

namespace {

// Installed fonts drawn to the same widths as the ones the windows were designed with.
QString installedFamily(const QString& family) {
    static const QStringList installed = QFontDatabase::families();
    if (installed.contains(family, Qt::CaseInsensitive)) return family;
    static const struct {
        const char* designed;
        const char* substitute;
    } kMetricTwins[] = {
        {"Arial", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"},
        {"Microsoft Sans Serif", "Liberation Sans"},
        {"Small Fonts", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
    };
    for (const auto& twin : kMetricTwins) {
        if (family.compare(QLatin1String(twin.designed), Qt::CaseInsensitive) != 0) continue;
        const QString substitute = QString::fromLatin1(twin.substitute);
        if (installed.contains(substitute)) return substitute;
    }
    return family;
}

}  // namespace

QFont DesignFont(const QString& family, int pixelHeight) {
    QFont f(installedFamily(family));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelHeight);
    return f;
}

QFont FixedsysFont() {
    QFont f(QStringLiteral("Fixedsys"));
    f.setStyleHint(QFont::TypeWriter);
    if (!QFontDatabase::families().contains(QStringLiteral("Fixedsys")))
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(10);
    return f;
}

QIcon StandardGlyph(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}
