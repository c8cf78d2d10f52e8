// The converter's handlers: codes and characters in step, the proposed destination,
// clearing, previews and the conversion.
#include <QElapsedTimer>

#include "common/Helpers.h"
#include "common/MessageBoxes.h"
#include "framework/BusyCursor.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "tools/CharASCI.h"
#include "tools/CopyAnimation.h"
#include "tools/FileConversion.h"
#include "tools/FilenameEdit.h"
#include "tools/Konwerter.h"
#include "tools/ScanGrid.h"

namespace {

// How often a running conversion moves the animation on.
constexpr int kAnimationStepMs = 50;

}  // namespace

void TFKonwerter::FormCreate(TObject*) {
    for (int r = 1; r <= kRules; ++r) {
        const auto edit = [this](const QString& name) { return static_cast<TEdit*>(FindComponent(name)); };
        KodZrodlowy[r] = edit(QStringLiteral("K%1").arg(r));
        ZnakZrodlowy[r] = edit(QStringLiteral("Z%1").arg(r));
        KodDocelowy[r] = edit(r == 1 ? QStringLiteral("D1") : QStringLiteral("d%1").arg(r));
        ZnakDocelowy[r] = edit(QStringLiteral("dz%1").arg(r));
    }
}

void TFKonwerter::bindHandlers() {
    for (int r = 1; r <= kRules; ++r) {
        KodZrodlowy[r]->OnChange = [this](TObject* s) { K1Change(s); };
        KodDocelowy[r]->OnChange = [this](TObject* s) { D1Change(s); };
        ZnakZrodlowy[r]->OnChange = [this](TObject* s) { Z1Change(s); };
        ZnakDocelowy[r]->OnChange = [this](TObject* s) { dz1Change(s); };
    }
    Source->OnChange = [this](TObject* s) { SourceChange(s); };
    BWYczysc->OnClick = [this](TObject* s) { BWYczyscClick(s); };
    BitBtn4->OnClick = [this](TObject* s) { BitBtn4Click(s); };
    BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };
    BitBtn1->OnClick = [this](TObject*) { Close(); };
    PreviewSource->OnClick = [this](TObject* s) { PreviewSourceClick(s); };
    PreviewDest->OnClick = [this](TObject* s) { PreviewDestClick(s); };
}

// Only the field the user types in passes its value on; texts the program sets stop here.
void TFKonwerter::K1Change(TObject* sender) {
    auto* code = static_cast<TEdit*>(sender);
    if (code != ActiveControl()) return;
    ZnakZrodlowy[code->Tag()]->SetText(CharOfCodeText(code->Text()));
}

void TFKonwerter::D1Change(TObject* sender) {
    auto* code = static_cast<TEdit*>(sender);
    if (code != ActiveControl()) return;
    ZnakDocelowy[code->Tag()]->SetText(CharOfCodeText(code->Text()));
}

void TFKonwerter::Z1Change(TObject* sender) {
    auto* chars = static_cast<TEdit*>(sender);
    if (chars != ActiveControl()) return;
    if (chars->Text().size() > 1) chars->SetText(chars->Text().left(1));
    KodZrodlowy[chars->Tag()]->SetText(CodeTextOfChars(chars->Text()));
}

void TFKonwerter::dz1Change(TObject* sender) {
    auto* chars = static_cast<TEdit*>(sender);
    if (chars != ActiveControl()) return;
    if (chars->Text().size() > 1) chars->SetText(chars->Text().left(1));
    KodDocelowy[chars->Tag()]->SetText(CodeTextOfChars(chars->Text()));
}

void TFKonwerter::SourceChange(TObject*) {
    Dest->SetText(Source->Text() + QStringLiteral(".po_konwersji.txt"));
}

void TFKonwerter::BWYczyscClick(TObject*) {
    for (int r = 1; r <= kRules; ++r)
        for (TEdit* e : {KodZrodlowy[r], ZnakZrodlowy[r], KodDocelowy[r], ZnakDocelowy[r]})
            e->SetText(QString());
}

ByteRules TFKonwerter::ActiveRules() const {
    ByteRules rules;
    for (int r = 1; r <= kRules; ++r) {
        const QString from = ZnakZrodlowy[r]->Text();
        const QString to = ZnakDocelowy[r]->Text();
        uint8_t a = 0, b = 0;
        if (from.size() == 1 && to.size() == 1 && ByteOfChar(from.at(0), a) && ByteOfChar(to.at(0), b))
            rules.Add(a, b);
    }
    return rules;
}

void TFKonwerter::BitBtn4Click(TObject*) {
    platform::EnsureDriveRoot(Source->Text());
    platform::EnsureDriveRoot(Dest->Text());
    const QString source = platform::MapPath(Source->Text());
    const QString dest = platform::MapPath(Dest->Text());
    // Writing onto the source would empty it before it is read.
    if (SameFile(source, dest)) {
        ShowError(QStringLiteral("Plik docelowy jest plikiem źródłowym - podaj inny plik docelowy"));
        return;
    }
    Anim->SetActive(true);
    QElapsedTimer clock;
    clock.start();
    try {
        const BusyCursor busy;
        ConvertFile(source, dest, ActiveRules(), [this, &clock](const char* block, int size) {
            Scan->ShowBlock(block, size);
            if (clock.elapsed() >= kAnimationStepMs) {
                Anim->Step();
                clock.restart();
            }
        });
    } catch (...) {
        Anim->SetActive(false);
        ShowError(QStringLiteral("Błąd podczas kopiawnia"));
        throw;
    }
    Anim->SetActive(false);
    ShowInfo(QStringLiteral("OK"));
}

void TFKonwerter::BitBtn2Click(TObject*) {
    FCharASCI->ShowModal();
}

void TFKonwerter::PreviewSourceClick(TObject*) {
    RunProgram(QStringLiteral("NotePad.exe"), Source->Text(), QString(), platform::SW_SHOW);
}

void TFKonwerter::PreviewDestClick(TObject*) {
    RunProgram(QStringLiteral("NotePad.exe"), Dest->Text(), QString(), platform::SW_SHOW);
}
