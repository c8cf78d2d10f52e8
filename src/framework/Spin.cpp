#include "framework/Spin.h"

#include <limits>

#include "framework/Dispatch.h"

TSpinEdit::TSpinEdit(TComponent* owner) : TWinControl(owner, new QSpinBox) {
    WatchInput();
    // Without limits of its own the edit takes any 32-bit number.
    SpinBox()->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    QObject::connect(SpinBox(), &QSpinBox::valueChanged, SpinBox(), [this](int) {
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
}

int TSpinEdit::Value() const {
    return SpinBox()->value();
}

void TSpinEdit::SetValue(int value) {
    SpinBox()->setValue(value);
}
