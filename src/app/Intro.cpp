#include "app/Intro.h"

#include "app/JpegDecoder.h"
#include "common/Settings.h"
#include "framework/ExtCtrls.h"
#include "platform/Paths.h"

TFIntro::TFIntro(TComponent* owner) : TForm(owner) {
    SetName(QStringLiteral("FIntro"));
    SetBorderStyle(TBorderStyle::bsNone);
    SetClientSize(528, 412);
    SetPosition(TPosition::poScreenCenter);
    Image1 = new TImage(this);
    Image1->SetName(QStringLiteral("Image1"));
    Image1->SetBounds(0, 0, 528, 412);
    Image1->SetAlign(TAlign::alClient);
    Image1->SetParent(this);
    FormCreate(this);
}

void TFIntro::FormCreate(TObject*) {
    // A missing or broken picture leaves the window empty; start-up goes on.
    Image1->SetPicture(DecodeJpegFile(platform::MapPath(CurrentDir() + QStringLiteral("\\Intro.jpg"))));
    Show();
}
