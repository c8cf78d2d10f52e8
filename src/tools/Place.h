#pragma once

#include <QString>

#include "framework/Controls.h"

// Creates a control owned by `owner`, named and placed on `parent`.
template <class T>
T* PlaceTool(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
             int height) {
    auto* c = new T(owner);
    c->SetName(QString::fromLatin1(name));
    c->SetBounds(left, top, width, height);
    c->SetParent(parent);
    return c;
}
