#include "framework/Graphics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
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

namespace {

// The style's icon for each standard pixmap, made once: the style decodes every size of
// its picture files each time it is asked, and many buttons share a picture.
QIcon styleIcon(QStyle::StandardPixmap pixmap) {
    static QPointer<QStyle> cachedFor;
    static QHash<int, QIcon> icons;
    QStyle* style = QApplication::style();
    if (cachedFor != style) {
        icons.clear();
        cachedFor = style;
    }
    auto it = icons.find(pixmap);
    if (it == icons.end()) it = icons.insert(pixmap, style->standardIcon(pixmap));
    return *it;
}

// Stands for a style icon until it is first drawn or measured, so windows that are
// built but never shown decode no pictures. Every question goes to the style's icon.
class StandardGlyphEngine : public QIconEngine {
  public:
    explicit StandardGlyphEngine(QStyle::StandardPixmap pixmap) : pixmap_(pixmap) {}

    // Drawn as the style's own (pixmap) icon draws itself: its pixmap at the device's
    // density. Handing the paint to QIcon::paint instead draws scaled sizes a pixel off.
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal dpr =
            painter->device() != nullptr ? painter->device()->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(rect.size() * dpr, mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, 1.0, mode, state);
    }
    void addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state) override {
        icon().addPixmap(pixmap, mode, state);
    }
    void addFile(const QString& fileName, const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        icon().addFile(fileName, size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    // Every tool button asks while it is sized, long before it is drawn. Until then the
    // glyph is taken to be there, as the style has one for each standard pixmap this
    // program uses; decoding them all here cost the start a few milliseconds.
    bool isNull() override { return resolved_ && icon_.isNull(); }
    QString key() const override { return QStringLiteral("StandardGlyphEngine"); }
    QIconEngine* clone() const override { return new StandardGlyphEngine(*this); }

  private:
    QIcon& icon() {
        if (!resolved_) {
            icon_ = styleIcon(pixmap_);
            resolved_ = true;
        }
        return icon_;
    }

    QStyle::StandardPixmap pixmap_;
    bool resolved_ = false;
    QIcon icon_;
};

}  // namespace

QIcon StandardGlyph(QStyle::StandardPixmap pixmap) {
    return QIcon(new StandardGlyphEngine(pixmap));
}
