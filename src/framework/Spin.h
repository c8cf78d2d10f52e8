#pragma once

#include <QSpinBox>

#include "framework/Controls.h"

// An edit for a whole number with up and down arrows.
class TSpinEdit : public TWinControl {
  public:
    explicit TSpinEdit(TComponent* owner);
    int Value() const;
    void SetValue(int value);
    QSpinBox* SpinBox() const { return static_cast<QSpinBox*>(Widget()); }

    TNotifyEvent OnChange;
};
