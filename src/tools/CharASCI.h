#pragma once

#include "framework/Forms.h"

class TEdit;
class TLabel;

// Characters to their codes and codes to characters, both ways while the user types.
class TFCharASCI : public TForm {
  public:
    explicit TFCharASCI(TComponent* owner);
    ~TFCharASCI() override;

    TLabel* LE;
    TEdit* E;  // the characters
    TLabel* LP;
    TEdit* P;  // their codes, separated by commas

    void EChange(TObject* sender);
    void PChange(TObject* sender);
};

// The one character/code converter of the run (nullptr before it is created).
extern TFCharASCI* FCharASCI;
