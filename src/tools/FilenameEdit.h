#pragma once

#include "framework/StdCtrls.h"

// A one-line edit for a file name with a browse button at its right end; the browse
// dialog (through the dialog seam) puts the chosen name into the edit.
class TFilenameEdit : public TEdit {
  public:
    explicit TFilenameEdit(TComponent* owner);
    // What the browse button does.
    void Browse();
};
