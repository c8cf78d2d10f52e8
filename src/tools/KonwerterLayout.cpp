// The converter's controls, their places and its form storage.
#include <QStyle>

#include "framework/Buttons.h"
#include "framework/ControlPlacement.h"
#include "framework/ExtCtrls.h"
#include "framework/FormStorage.h"
#include "framework/StdCtrls.h"
#include "framework/StorageBackends.h"
#include "tools/CopyAnimation.h"
#include "tools/FilenameEdit.h"
#include "tools/Konwerter.h"
#include "tools/ScanGrid.h"

TFKonwerter* FKonwerter = nullptr;

namespace {

constexpr int kRowTop = 150;
constexpr int kRowHeight = 24;

TSpeedButton* previewButton(TComponent* owner, TWinControl* parent, const char* name, int top) {
    auto* b = Place<TSpeedButton>(owner, parent, name, 526, top, 25, 22);
    b->SetGlyph(StandardGlyph(QStyle::SP_FileDialogContentsView));
    b->SetHint(QStringLiteral("Podgląd pliku"));
    b->SetShowHint(true);
    return b;
}

}  // namespace

TFKonwerter::TFKonwerter(TComponent* owner) : TForm(owner) {
    FKonwerter = this;
    SetName(QStringLiteral("FKonwerter"));
    SetCaption(QStringLiteral("Konwerter ver.1.0"));
    SetBorderStyle(TBorderStyle::bsDialog);
    SetClientSize(560, 532);
    SetPosition(TPosition::poScreenCenter);

    LSource = Place<TLabel>(this, this, "LSource", 8, 8, 400, 16,
                            QStringLiteral("Plik źródłowy:..........................."));
    Source = Place<TFilenameEdit>(this, this, "Source", 8, 26, 514, 22);
    PreviewSource = previewButton(this, this, "PreviewSource", 26);
    LDest = Place<TLabel>(this, this, "LDest", 8, 56, 400, 16,
                          QStringLiteral("Plik docelowy (<> plik źr.):..........................."));
    Dest = Place<TFilenameEdit>(this, this, "Dest", 8, 74, 514, 22);
    PreviewDest = previewButton(this, this, "PreviewDest", 74);
    buildRuleRows();

    Anim = Place<TCopyAnimation>(this, this, "Anim", 330, 150, 200, 60);
    BWYczysc = Place<TBitBtn>(this, this, "BWYczysc", 380, 330, 100, 25, QStringLiteral("Wyczyść"));
    Scan = Place<TScanGrid>(this, this, "Scan", 8, kRowTop + 12 * kRowHeight + 4, 544, 40);

    Panel1 = Place<TPanel>(this, this, "Panel1", 0, 491, 560, 41);
    Panel1->SetAlign(TAlign::alBottom);
    BitBtn2 = Place<TBitBtn>(this, Panel1, "BitBtn2", 8, 8, 270, 25,
                             QStringLiteral("Konwersja znaki na kody/ kody na znaki"));
    BitBtn4 = Place<TBitBtn>(this, Panel1, "BitBtn4", 340, 8, 100, 25, QStringLiteral("Konwertuj"),
                             QStyle::SP_DialogApplyButton);
    BitBtn1 = Place<TBitBtn>(this, Panel1, "BitBtn1", 452, 8, 100, 25, QStringLiteral("&Zamknij"),
                             QStyle::SP_DialogCloseButton);

    FormCreate(this);
    bindHandlers();

    Storage = new TFormStorage(this);
    Storage->SetName(QStringLiteral("Storage"));
    Storage->SetStorePlacement(false);
    Storage->SetBackend(IniStorage(QStringLiteral("Konwerter"), QStringLiteral("TFKonwerter")));
    QStringList props{QStringLiteral("Dest.Text"), QStringLiteral("Source.Text")};
    for (const char* column : {"K", "dz", "Z"})
        for (int r = 1; r <= kRules; ++r)
            props << QStringLiteral("%1%2.Text").arg(QLatin1String(column)).arg(r);
    props << QStringLiteral("D1.Text");
    for (int r = 2; r <= kRules; ++r) props << QStringLiteral("d%1.Text").arg(r);
    Storage->StoredProps().Assign(props);
}

TFKonwerter::~TFKonwerter() {
    if (FKonwerter == this) FKonwerter = nullptr;
}

void TFKonwerter::buildRuleRows() {
    LZmien = Place<TLabel>(this, this, "LZmien", 40, kRowTop - 40, 110, 16, QStringLiteral("Zmień znak"));
    LNa = Place<TLabel>(this, this, "LNa", 190, kRowTop - 40, 110, 16, QStringLiteral("Na znak"));
    Place<TLabel>(this, this, "LKod1", 40, kRowTop - 20, 50, 16, QStringLiteral("Kod"));
    Place<TLabel>(this, this, "LZnak1", 96, kRowTop - 20, 50, 16, QStringLiteral("Znak"));
    Place<TLabel>(this, this, "LKod2", 190, kRowTop - 20, 50, 16, QStringLiteral("Kod"));
    Place<TLabel>(this, this, "LZnak2", 246, kRowTop - 20, 50, 16, QStringLiteral("Znak"));
    for (int r = 1; r <= kRules; ++r) {
        const int top = kRowTop + (r - 1) * kRowHeight;
        const auto make = [&](const QString& name, int left, int width) {
            auto* e = new TEdit(this);
            e->SetName(name);
            e->SetBounds(left, top, width, 21);
            e->SetParent(this);
            e->SetTag(r);
        };
        make(QStringLiteral("K%1").arg(r), 40, 50);
        make(QStringLiteral("Z%1").arg(r), 96, 56);
        make(r == 1 ? QStringLiteral("D1") : QStringLiteral("d%1").arg(r), 190, 50);
        make(QStringLiteral("dz%1").arg(r), 246, 56);
    }
}
