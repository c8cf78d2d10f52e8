#include "tools/CharASCI.h"

#include "framework/ControlPlacement.h"
#include "framework/StdCtrls.h"
#include "tools/CodeChars.h"

TFCharASCI* FCharASCI = nullptr;

TFCharASCI::TFCharASCI(TComponent* owner) : TForm(owner) {
    FCharASCI = this;
    SetName(QStringLiteral("FCharASCI"));
    SetCaption(QStringLiteral("Konwersja znaki na kody/ kody na znaki"));
    SetBorderStyle(TBorderStyle::bsDialog);
    SetClientSize(420, 84);
    SetPosition(TPosition::poScreenCenter);
    LE = Place<TLabel>(this, this, "LE", 8, 16, 100, 16, QStringLiteral("Znaki:............."));
    E = Place<TEdit>(this, this, "E", 110, 12, 300, 22);
    LP = Place<TLabel>(this, this, "LP", 8, 50, 100, 16, QStringLiteral("Kody:............."));
    P = Place<TEdit>(this, this, "P", 110, 46, 300, 22);
    SetActiveControl(E);
    E->OnChange = [this](TObject* s) { EChange(s); };
    P->OnChange = [this](TObject* s) { PChange(s); };
}

TFCharASCI::~TFCharASCI() {
    if (FCharASCI == this) FCharASCI = nullptr;
}

// Each field rewrites its partner only while the user types in it.
void TFCharASCI::EChange(TObject*) {
    if (ActiveControl() != E) return;
    P->SetText(CharsToCodes(E->Text()));
}

void TFCharASCI::PChange(TObject*) {
    if (ActiveControl() != P) return;
    E->SetText(CodesToChars(P->Text()));
}
