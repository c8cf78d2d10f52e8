// The text-operations window's controls and their glyphs.
#include <QPainter>
#include <QPixmap>

#include "framework/Buttons.h"
#include "framework/ControlPlacement.h"
#include "framework/ReplaceDialog.h"
#include "framework/StdCtrls.h"
#include "workbench/MemoToolbar.h"

namespace {

// A row of boxes, as the glyphs show a line of characters.
void boxes(QPainter& p, int left, int count, int top = 8) {
    for (int i = 0; i < count; ++i) p.drawRect(left + i * 4, top, 3, 5);
}

QIcon glyph(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1));
    draw(p);
    return QIcon(pixmap);
}

TSpeedButton* glyphButton(TFMemoToolbar* owner, const char* name, int left, int top,
                          const std::function<void(QPainter&)>& draw) {
    auto* b = Place<TSpeedButton>(owner, owner, name, left, top, 25, 25);
    b->SetFlat(true);
    b->SetGlyph(glyph(draw));
    return b;
}

TSpeedButton* textButton(TFMemoToolbar* owner, const char* name, int left, int top, const QString& caption) {
    auto* b = Place<TSpeedButton>(owner, owner, name, left, top, 80, 22);
    b->SetFlat(true);
    b->SetCaption(caption);
    return b;
}

// The captions were sized for a narrower font than the desktop's: a caption that would
// not fit its 80 pixels gets a smaller size of the font.
void fitCaption(TSpeedButton* b) {
    QToolButton* button = b->Button();
    QFont font = button->font();
    while (button->sizeHint().width() > b->Width() && font.pixelSize() > 8) {
        font.setPixelSize(font.pixelSize() - 1);
        button->setFont(font);
    }
}

}  // namespace

TFMemoToolbar::TFMemoToolbar(TComponent* owner) : TForm(owner) {
    FMemoToolbar = this;
    SetName(QStringLiteral("FMemoToolbar"));
    SetCaption(QStringLiteral("Special operations"));
    SetBorderStyle(TBorderStyle::bsToolWindow);
    SetStayOnTop(true);
    TFont font = Font();
    // 8 points at the 96 dots per inch the window was laid out for.
    font.font.setPixelSize(11);
    SetFont(font);
    SetClientSize(403, 162);
    SetPlacement(QRect(373, 369, 403, 162));
    buildControls();
    for (TControl* c : Controls()) c->SetFont(font);
    for (TSpeedButton* b : {SpeedButton7, SpeedButton9, SpeedButton8, SpeedButton10, SpeedButton11,
                            SpeedButton12, SpeedButton13, SpeedButton14})
        fitCaption(b);
    ReplaceDialog = new TReplaceDialog(this);
    ReplaceDialog->SetName(QStringLiteral("ReplaceDialog"));
    bindHandlers();
}

TFMemoToolbar::~TFMemoToolbar() {
    if (FMemoToolbar == this) FMemoToolbar = nullptr;
}

void TFMemoToolbar::buildControls() {
    ELitPre = Place<TEdit>(this, this, "ELitPre", 4, 4, 150, 21);
    Label6 = Place<TLabel>(this, this, "Label6", 160, 7, 40, 16, QStringLiteral("<text>"));
    ELitPost = Place<TEdit>(this, this, "ELitPost", 204, 4, 150, 21);
    SpeedButton2 = glyphButton(this, "SpeedButton2", 372, 2, [](QPainter& p) {
        p.drawLine(2, 4, 2, 16);
        boxes(p, 5, 3);
        p.drawLine(18, 4, 18, 16);
    });

    SpeedButton6 = glyphButton(this, "SpeedButton6", 4, 30, [](QPainter& p) {
        for (int y : {4, 8, 12, 16}) p.drawLine(2, y, 4 + (y * 7) % 15, y);
    });
    SpeedButton4 = glyphButton(this, "SpeedButton4", 30, 30, [](QPainter& p) {
        p.drawText(QRect(0, 0, 8, 20), Qt::AlignCenter, QStringLiteral("A"));
        p.drawText(QRect(12, 0, 8, 20), Qt::AlignCenter, QStringLiteral("B"));
        p.drawLine(8, 7, 12, 7);
        p.drawLine(8, 13, 12, 13);
    });
    BTrim = glyphButton(this, "BTrim", 56, 30, [](QPainter& p) {
        p.drawLine(2, 4, 5, 4);
        p.drawLine(15, 4, 18, 4);
        boxes(p, 4, 3, 10);
    });
    EPowiel = Place<TEdit>(this, this, "EPowiel", 86, 32, 30, 21);
    EPowiel->SetText(QStringLiteral("="));
    SpeedButton3 = glyphButton(this, "SpeedButton3", 120, 30, [](QPainter& p) {
        boxes(p, 2, 3, 12);
        p.drawLine(6, 8, 16, 8);
        p.drawLine(16, 8, 13, 5);
        p.drawLine(16, 8, 13, 11);
    });
    SpeedButton1 = glyphButton(this, "SpeedButton1", 146, 30, [](QPainter& p) {
        boxes(p, 3, 4);
        p.drawLine(2, 6, 7, 14);
        p.drawLine(7, 6, 2, 14);
    });
    SpeedButton5 = glyphButton(this, "SpeedButton5", 172, 30, [](QPainter& p) {
        boxes(p, 3, 4);
        p.drawLine(14, 6, 19, 14);
        p.drawLine(19, 6, 14, 14);
    });

    SpeedButton7 = textButton(this, "SpeedButton7", 4, 58, QStringLiteral("Extract Word"));
    Label1 = Place<TLabel>(this, this, "Label1", 90, 61, 24, 16, QStringLiteral("No:"));
    ExtractWord1 = Place<TEdit>(this, this, "ExtractWord1", 116, 58, 34, 21);
    ExtractWord1->SetText(QStringLiteral("1"));
    Label2 = Place<TLabel>(this, this, "Label2", 158, 61, 56, 16, QStringLiteral("Delimiter:"));
    ExtractWord2 = Place<TEdit>(this, this, "ExtractWord2", 216, 58, 30, 21);
    ExtractWord2->SetText(QStringLiteral("|"));
    SpeedButton9 = textButton(this, "SpeedButton9", 252, 58, QStringLiteral("Set TAB"));

    SpeedButton8 = textButton(this, "SpeedButton8", 4, 84, QStringLiteral("Word Count"));
    SpeedButton10 = textButton(this, "SpeedButton10", 4, 110, QStringLiteral("Concat memos"));

    SpeedButton11 = textButton(this, "SpeedButton11", 4, 136, QStringLiteral("Int To Roman"));
    SpeedButton12 = textButton(this, "SpeedButton12", 86, 136, QStringLiteral("Int To Hex"));
    SpeedButton13 = textButton(this, "SpeedButton13", 168, 136, QStringLiteral("Int To Bin"));
    SpeedButton14 = textButton(this, "SpeedButton14", 250, 136, QStringLiteral("Int To In Words"));
    BClose = glyphButton(this, "BClose", 372, 134, [](QPainter& p) {
        p.drawRect(4, 2, 10, 16);
        p.setBrush(Qt::darkYellow);
        p.drawRect(6, 4, 6, 12);
        p.drawLine(14, 10, 19, 10);
        p.drawLine(19, 10, 16, 7);
        p.drawLine(19, 10, 16, 13);
    });
}
