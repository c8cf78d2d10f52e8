#pragma once

#include <QIcon>
#include <QToolButton>

#include "framework/Controls.h"

// A flat button with a caption or a glyph. With a group index it stays down when
// clicked (a toggle); setting Down by program runs no OnClick.
class TSpeedButton : public TControl {
  public:
    explicit TSpeedButton(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    void SetGlyph(const QIcon& icon);
    void SetFlat(bool flat);
    void SetGroupIndex(int index);
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
    bool Down() const;
    void SetDown(bool down);
    // Presses the button as a click does.
    void Click();
    QToolButton* Button() const { return static_cast<QToolButton*>(Widget()); }

  private:
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
};
