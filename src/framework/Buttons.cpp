#include "framework/Buttons.h"

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner, new QToolButton) {
    Button()->setAutoRaise(true);
    Button()->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QObject::connect(Button(), &QToolButton::clicked, Button(), [this](bool) { FireClick(); });
}

QString TSpeedButton::Caption() const {
    return Button()->text();
}

void TSpeedButton::SetCaption(const QString& caption) {
    Button()->setText(caption);
}

void TSpeedButton::SetGlyph(const QIcon& icon) {
    Button()->setIcon(icon);
    Button()->setToolButtonStyle(Button()->text().isEmpty() ? Qt::ToolButtonIconOnly
                                                            : Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::SetFlat(bool flat) {
    Button()->setAutoRaise(flat);
}

void TSpeedButton::SetGroupIndex(int index) {
    groupIndex_ = index;
    Button()->setCheckable(index != 0);
}

bool TSpeedButton::Down() const {
    return Button()->isChecked();
}

void TSpeedButton::SetDown(bool down) {
    const QSignalBlocker block(Button());
    Button()->setChecked(down);
}

void TSpeedButton::Click() {
    Button()->click();
}
