#include <gtest/gtest.h>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>

#include "TestEnv.h"
#include "app/EntryRoutine.h"
#include "export/CountRecords.h"
#include "export/MultiFileEksport.h"
#include "export/SuperUnion.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"

namespace {

// Where a control sits on its parent: its designed bounds, or where the parent's
// alignment put it.
QRect placeOf(const TControl* c) {
    return c->Align() == TAlign::alNone ? c->BoundsRect() : c->Widget()->geometry();
}

// The width a container gives its children, as designed.
int widthOf(const TControl* p) {
    // A page is as wide as its page control, within the control's frame.
    if (auto* page = dynamic_cast<const TTabSheet*>(p)) return widthOf(page->PageControl()) - 4;
    if (auto* form = dynamic_cast<const TForm*>(p)) return form->Widget()->width();
    switch (p->Align()) {
        case TAlign::alTop:
        case TAlign::alBottom:
        case TAlign::alClient:
            return p->Parent() != nullptr ? widthOf(p->Parent()) : 0;
        default:
            return p->Width();
    }
}

int roomOfParent(const TControl* c) {
    return c->Parent() != nullptr ? widthOf(c->Parent()) : 0;
}

// Siblings that start to the right of the control on the rows it covers: its text
// must not run under them.
std::vector<QRect> neighboursOf(const TControl* c) {
    const QRect me = placeOf(c);
    std::vector<QRect> result;
    for (const TControl* other : c->Parent()->Controls()) {
        if (other == c || !other->Visible()) continue;
        const QRect r = placeOf(other);
        if (r.top() < me.bottom() + 1 && me.top() < r.bottom() + 1 && r.left() > me.left())
            result.push_back(r);
    }
    return result;
}

// The first character of a text-bearing control that is clipped or runs under a
// neighbour (blanks may: a label's gap is often where an edit sits); empty when all fit.
QString clippedText(const TControl* c) {
    const QString text = c->Caption();
    const QFontMetrics fm(c->Widget()->font());
    const QRect me = placeOf(c);
    // Where the text starts: after the box of a check box or radio button.
    const int start = me.left() + c->Widget()->sizeHint().width() - fm.horizontalAdvance(text);
    int edge = roomOfParent(c);
    if (dynamic_cast<const TLabel*>(c) == nullptr)
        edge = edge > 0 ? std::min(edge, me.right() + 1) : me.right() + 1;
    const std::vector<QRect> neighbours = neighboursOf(c);
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k].isSpace()) continue;
        const int from = start + fm.horizontalAdvance(text.left(k));
        const int to = start + fm.horizontalAdvance(text.left(k + 1));
        if (edge > 0 && to > edge)
            return QStringLiteral("\"%1\" ends at %2 px, its room at %3").arg(text.mid(k)).arg(to).arg(edge);
        for (const QRect& r : neighbours)
            if (from < r.right() + 1 && r.left() < to)
                return QStringLiteral("\"%1\" runs under the control at %2 px")
                    .arg(text.mid(k))
                    .arg(r.left());
    }
    return QString();
}

// Every control the window owns, on whatever page or panel it sits.
void checkTextsFit(const TForm* form, QStringList& clipped) {
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* c = dynamic_cast<const TControl*>(form->Components(i));
        if (c == nullptr || c->Parent() == nullptr) continue;
        const bool text = dynamic_cast<const TLabel*>(c) != nullptr ||
                          dynamic_cast<const TCheckBox*>(c) != nullptr ||
                          dynamic_cast<const TRadioButton*>(c) != nullptr;
        if (!text || c->Caption().isEmpty()) continue;
        if (const QString fault = clippedText(c); !fault.isEmpty())
            clipped << form->Name() + QChar('.') + c->Name() + QStringLiteral(": ") + fault;
    }
}

// Walks every window the application owns after start-up has created them; a window
// made only when asked for is created here beside them to be walked too.
TEST(WindowLayout, EveryLabelAndCheckBoxTextFitsItsDesignedPlace) {
    TApplication app;
    CreateLongLivedWindows(app);
    app.CreateForm<TFMultiFileEksport>();
    app.CreateForm<TFCountRecords>();
    app.CreateForm<TFSuperUnion>();
    QStringList clipped;
    int windows = 0;
    for (int i = 0; i < app.ComponentCount(); ++i) {
        auto* form = dynamic_cast<TForm*>(app.Components(i));
        if (form == nullptr) continue;
        ++windows;
        checkTextsFit(form, clipped);
    }
    EXPECT_GE(windows, 3);
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join("\n").toStdString();
}

}  // namespace
