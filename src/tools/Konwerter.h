#pragma once

#include <array>

#include "framework/Forms.h"
#include "tools/CodeChars.h"

class TBitBtn;
class TCopyAnimation;
class TEdit;
class TFilenameEdit;
class TFormStorage;
class TLabel;
class TPanel;
class TScanGrid;
class TSpeedButton;

// The file converter: copies a file byte for byte, replacing single bytes by up to
// twelve substitution rules. Each rule row holds a source code and character and a
// target code and character; a code and its character are kept in step while the
// user types. File names and rule fields persist in the INI file "Konwerter".
class TFKonwerter : public TForm {
  public:
    explicit TFKonwerter(TComponent* owner);
    ~TFKonwerter() override;

    static constexpr int kRules = 12;

    TLabel* LSource;
    TFilenameEdit* Source;
    TSpeedButton* PreviewSource;
    TLabel* LDest;
    TFilenameEdit* Dest;
    TSpeedButton* PreviewDest;
    TLabel* LZmien;
    TLabel* LNa;
    // Row r (1..12) of each column; index 0 is unused.
    std::array<TEdit*, kRules + 1> KodZrodlowy{};
    std::array<TEdit*, kRules + 1> ZnakZrodlowy{};
    std::array<TEdit*, kRules + 1> KodDocelowy{};
    std::array<TEdit*, kRules + 1> ZnakDocelowy{};
    TBitBtn* BWYczysc;
    TCopyAnimation* Anim;
    TScanGrid* Scan;
    TPanel* Panel1;
    TBitBtn* BitBtn1;  // "&Zamknij"
    TBitBtn* BitBtn4;  // "Konwertuj"
    TBitBtn* BitBtn2;  // "Konwersja znaki na kody/ kody na znaki"
    TFormStorage* Storage;

    // ---- handlers ----
    void FormCreate(TObject* sender);
    void K1Change(TObject* sender);
    void D1Change(TObject* sender);
    void Z1Change(TObject* sender);
    void dz1Change(TObject* sender);
    void SourceChange(TObject* sender);
    void BWYczyscClick(TObject* sender);
    void BitBtn4Click(TObject* sender);
    void BitBtn2Click(TObject* sender);
    void PreviewSourceClick(TObject* sender);
    void PreviewDestClick(TObject* sender);

    // The active rules, rows 1 to 12 in order.
    ByteRules ActiveRules() const;

  private:
    void buildRuleRows();
    void bindHandlers();
};

// The one file converter of the run (nullptr before it is created).
extern TFKonwerter* FKonwerter;
