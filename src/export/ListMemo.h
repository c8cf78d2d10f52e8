#pragma once

#include "framework/ControlPlacement.h"
#include "framework/StdCtrls.h"

// A memo of one name per line filling its group: no wrapping, both scroll bars.
inline TMemo* ListMemo(TComponent* owner, TWinControl* group, const char* name) {
    auto* memo = Dock<TMemo>(owner, group, name, TAlign::alClient);
    memo->SetWordWrap(false);
    memo->SetScrollBars(TScrollStyle::ssBoth);
    return memo;
}
