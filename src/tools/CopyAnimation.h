#pragma once

#include "framework/Controls.h"

// The copy animation: a sheet that flies from one folder to the other while a copy
// runs. The copy advances it with Step, as it can spare the time.
class TCopyAnimation : public TControl {
  public:
    explicit TCopyAnimation(TComponent* owner);
    bool Active() const;
    void SetActive(bool active);
    // The next frame, painted at once.
    void Step();
};
