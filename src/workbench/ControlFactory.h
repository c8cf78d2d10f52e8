#pragma once

#include "framework/ControlPlacement.h"

// The look of the working editors and grids: yellow text on dark blue.
void PaintWorkingArea(TControl* control, bool fixedPitch = false);
