#pragma once

#include "framework/Forms.h"

class TImage;

// The splash window: a borderless picture of 528 x 412 in the centre of the screen,
// shown while the long-lived windows are created.
class TFIntro : public TForm {
  public:
    explicit TFIntro(TComponent* owner);
    TImage* Image1;

    // Loads "Intro.jpg" from the current directory (any error leaves the picture empty)
    // and shows the window.
    void FormCreate(TObject* sender);
};
