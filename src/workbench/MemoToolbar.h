#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "framework/Forms.h"

class TEdit;
class TLabel;
class TMemo;
class TReplaceDialog;
class TSpeedButton;

// "Special operations": a small tool window that stays on top and applies one text
// operation at a time to every line of the script editor (the first memo), writing
// extracted fields, counts and numerals into the side memo (the second memo).
class TFMemoToolbar : public TForm {
  public:
    explicit TFMemoToolbar(TComponent* owner);
    ~TFMemoToolbar() override;

    TEdit* ELitPre;
    TLabel* Label6;
    TEdit* ELitPost;
    TSpeedButton* SpeedButton2;  // wrap
    TSpeedButton* SpeedButton6;  // fill with blanks
    TSpeedButton* SpeedButton4;  // replace
    TSpeedButton* BTrim;
    TEdit* EPowiel;
    TSpeedButton* SpeedButton3;  // repeat
    TSpeedButton* SpeedButton1;  // drop first character
    TSpeedButton* SpeedButton5;  // drop last character
    TSpeedButton* SpeedButton7;  // "Extract Word"
    TLabel* Label1;
    TEdit* ExtractWord1;
    TLabel* Label2;
    TEdit* ExtractWord2;
    TSpeedButton* SpeedButton9;   // "Set TAB"
    TSpeedButton* SpeedButton8;   // "Word Count"
    TSpeedButton* SpeedButton10;  // "Concat memos"
    TSpeedButton* SpeedButton11;  // "Int To Roman"
    TSpeedButton* SpeedButton12;  // "Int To Hex"
    TSpeedButton* SpeedButton13;  // "Int To Bin"
    TSpeedButton* SpeedButton14;  // "Int To In Words"
    TSpeedButton* BClose;
    TReplaceDialog* ReplaceDialog;

    // The memos and the button handed over by ShowMemoToolbar; none is owned.
    TMemo* FMemo = nullptr;
    TMemo* FSecondMemo = nullptr;
    TSpeedButton* FButton = nullptr;

    // ---- handlers ----
    void BTrimClick(TObject* sender);
    void SpeedButton1Click(TObject* sender);
    void SpeedButton2Click(TObject* sender);
    void SpeedButton3Click(TObject* sender);
    void SpeedButton4Click(TObject* sender);
    void SpeedButton5Click(TObject* sender);
    void SpeedButton6Click(TObject* sender);
    void SpeedButton7Click(TObject* sender);
    void SpeedButton8Click(TObject* sender);
    void SpeedButton9Click(TObject* sender);
    void SpeedButton10Click(TObject* sender);
    void SpeedButton11Click(TObject* sender);
    void SpeedButton12Click(TObject* sender);
    void SpeedButton13Click(TObject* sender);
    void SpeedButton14Click(TObject* sender);
    void BCloseClick(TObject* sender);
    void ReplaceDialogReplace(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);

  private:
    void buildControls();
    void bindHandlers();
    // line := f(line) for every line of the first memo, written back in one edit.
    void rewriteLines(const std::function<QString(const QString&)>& f);
    // Line i of the second memo := f(line i of the first memo); the first memo stays.
    void resultLines(const std::function<QString(const QString&)>& f);
    // Like resultLines, with "Conversion error" for a line whose conversion fails.
    void convertLines(const std::function<QString(const QString&)>& f);
    // The delimiter of the field operations; shows the error box when there is none.
    bool delimiter(QChar& d);
};

// The one text-operations window of the run (nullptr before it is created).
extern TFMemoToolbar* FMemoToolbar;

// Hands the window its memos and the button that toggles it, and shows it modeless.
void ShowMemoToolbar(TMemo* memo, TMemo* secondMemo, TSpeedButton* button);
// Hides the window; the references stay and the button is left alone.
void HideMemoToolbar();

// The 32 bits of a number's two's-complement value, the most significant first.
QString IntToBin(int32_t value);
