#include "common/Info.h"

#include <QApplication>
#include <QFrame>
#include <QStyle>

#include "framework/ControlPlacement.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

TFInfo* FInfo = nullptr;

namespace {

// The read-only text areas are drawn in the menu colour, as static text.
TMemo* staticMemo(TForm* form, const char* name, int left, int top, int width, int height) {
    auto* m = Place<TMemo>(form, form, name, left, top, width, height);
    m->SetReadOnly(true);
    m->SetColor(FromQColor(QApplication::palette().color(QPalette::Window)));
    return m;
}

const char* const kManual[] = {
    "INSTRUKCJA OBSŁUGI:",
    "",
    "W polu kombi \"Database name\" należy wybrać alias bazy danych.",
    "W polu Memo (karta \"Skrypty SQL\") należy",
    "umieścić skrypt SQL, stosując",
    "nastepujące zasady:",
    "   a) linia zaczynająca się od \"REM\",\"PROMPT\" ,\";\",\"--\",\"//\" nie ",
    "będzie",
    "kompilowana,",
    "   b) komenda SQL może być umieszczona w kilku liniach,",
    "   c) wywołanie komenty SQL następuje po napotkaniu średnika na ",
    "końcu linii",
    "      (nie dotyczy ostatniego wiersza),",
    "   d) ewentualne błędy sygnalizowane są za pomocą komunikatów.",
    "",
    "Zastosowania automatu:",
    " - wykonanie skryptów SQL dla baz danych, które nie mają możliwości",
    "uruchamiania skryptów, np. access.",
    "",
    "Opcje skrótów \"Komendy SQL\":",
    "S  |SELECT * FROM",
    "SC |SELECT COUNT(*) FROM",
    "SD |SELECT DISTINCT * FROM",
    "U  |UPDATE  SET",
    "D  |DELETE FROM  WHERE",
    "I  |INSERT INTO  VALUES",
};

}  // namespace

TFInfoParent::TFInfoParent(TComponent* owner) : TFormConfig(owner) {
    SetName(QStringLiteral("FInfoParent"));
    SetCaption(QStringLiteral("<Nazwa programu> - informacje"));
    SetClientSize(504, 401);
    SetBorderStyle(TBorderStyle::bsDialog);

    Image1 = Place<TImage>(this, this, "Image1", 9, 9, 113, 285);
    LTekst = Place<TLabel>(this, this, "LTekst", 129, 181, 0, 13, QStringLiteral("<Tekst>"));
    LProgram = Place<TLabel>(this, this, "LProgram", 129, 9, 0, 24);
    LProgram->SetFont(TFont{DesignFont(QStringLiteral("MS Sans Serif"), 20)});
    LProgram->SetCaption(QStringLiteral("<Nazwa programu>"));
    LAutorzy = Place<TLabel>(this, this, "LAutorzy", 129, 34, 0, 13, QStringLiteral("<Autorzy>"));

    BOK =
        Place<TBitBtn>(this, this, "BOK", 379, 345, 124, 27, QStringLiteral("OK"), QStyle::SP_DialogOkButton);
    // OK closes the box, as its users expect of an OK button.
    BOK->SetModalResult(mrOk);

    Memo1 = staticMemo(this, "Memo1", 9, 310, 354, 62);
    Memo1->Editor()->setFrameShape(QFrame::NoFrame);
    Memo1->SetFont(TFont{DesignFont(QStringLiteral("Small Fonts"), 9)});
    Memo1->SetTag(PersistContentTag);

    MLICENCJA = staticMemo(this, "MLICENCJA", 129, 198, 372, 96);
    MLICENCJA->Lines().Add(QStringLiteral("<Licencja>"));
}

TFInfo::TFInfo(TComponent* owner) : TFInfoParent(owner) {
    SetName(QStringLiteral("FInfo"));
    SetCaption(QStringLiteral("Zorvantic - informacje"));
    LProgram->SetCaption(QStringLiteral("Zorvantic"));
    LAutorzy->SetCaption(QStringLiteral("Autorzy: zespół Morvane, 1999 - 2002"));
    LTekst->SetCaption(QStringLiteral("Krótka instrukcja:"));
    Memo1->Lines().Assign(
        QStringList{QStringLiteral("Zorvantic - środowisko pracy z bazami danych SQL."),
                    QStringLiteral("Program rozpowszechniany bez opłat; bez żadnej gwarancji.")});
    QStringList manual;
    for (const char* line : kManual) manual << QString::fromUtf8(line);
    MLICENCJA->Lines().Assign(manual);
    MLICENCJA->Editor()->moveCursor(QTextCursor::Start);

    Label1 = Place<TLabel>(
        this, this, "Label1", 129, 47, 0, 13,
        QStringLiteral("Lipiec 2000 - moduł Multifileexport, ParamStr=UserName, Password, Alias"));
    FInfo = this;
}

TFInfo::~TFInfo() {
    if (FInfo == this) FInfo = nullptr;
}
