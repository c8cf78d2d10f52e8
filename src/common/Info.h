#pragma once

#include "common/FormConfig.h"

class TImage;
class TLabel;
class TBitBtn;
class TMemo;

// The about-box layout with placeholder texts; only its descendant is ever created.
class TFInfoParent : public TFormConfig {
  public:
    explicit TFInfoParent(TComponent* owner);

    TImage* Image1;
    TLabel* LTekst;
    TLabel* LProgram;
    TLabel* LAutorzy;
    TBitBtn* BOK;
    TMemo* Memo1;
    TMemo* MLICENCJA;
};

// The about box: the program's name, its module dates and the short user manual.
class TFInfo : public TFInfoParent {
  public:
    explicit TFInfo(TComponent* owner);
    ~TFInfo() override;

    TLabel* Label1;
};

extern TFInfo* FInfo;
