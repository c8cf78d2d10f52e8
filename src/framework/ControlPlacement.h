#pragma once

#include <QString>
#include <QStyle>

#include "framework/Controls.h"

// Creates a control owned by `owner`, named and placed on `parent`.
template <class T>
T* Place(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
    auto* c = new T(owner);
    c->SetName(QString::fromLatin1(name));
    c->SetBounds(left, top, width, height);
    if (parent != nullptr) c->SetParent(parent);
    return c;
}

// The same, with its caption set once it is placed.
template <class T>
T* Place(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height,
         const QString& caption) {
    T* c = Place<T>(owner, parent, name, left, top, width, height);
    c->SetCaption(caption);
    return c;
}

// The same for a button with one of the style's standard glyphs besides its caption.
template <class T>
T* Place(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height,
         const QString& caption, QStyle::StandardPixmap glyph) {
    T* c = Place<T>(owner, parent, name, left, top, width, height, caption);
    c->SetGlyph(StandardGlyph(glyph));
    return c;
}

// Creates a control that fills one side of its parent.
template <class T>
T* Dock(TComponent* owner, TWinControl* parent, const char* name, TAlign align, int size = 0) {
    auto* c = new T(owner);
    c->SetName(QString::fromLatin1(name));
    if (align == TAlign::alTop || align == TAlign::alBottom)
        c->SetHeight(size);
    else if (align == TAlign::alLeft || align == TAlign::alRight)
        c->SetWidth(size);
    c->SetAlign(align);
    c->SetParent(parent);
    return c;
}

// The look of the working editors and grids: yellow text on dark blue.
inline void PaintWorkingArea(TControl* control, bool fixedPitch = false) {
    TFont font = control->Font();
    if (fixedPitch) font.font = FixedsysFont();
    font.color = clYellow;
    control->SetFont(font);
    control->SetColor(clNavyBlue);
}
