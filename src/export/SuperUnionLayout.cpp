// The super union's controls.
#include <QPainter>
#include <QStyle>

#include "db/Catalog.h"
#include "db/Query.h"
#include "export/ListMemo.h"
#include "export/SuperUnion.h"
#include "framework/ControlPlacement.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

namespace {

// Several tables flowing into one.
QImage unionIllustration() {
    QImage image(80, 160, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(QColor(200, 220, 250));
        p.drawRect(6 + i * 24, 12, 18, 36);
        p.drawLine(15 + i * 24, 50, 40, 96);
    }
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(16, 100, 48, 48);
    p.setPen(QPen(Qt::darkBlue, 2));
    for (int y = 110; y < 145; y += 8) p.drawLine(22, y, 58, y);
    return image;
}

}  // namespace

TFSuperUnion::TFSuperUnion(TComponent* owner) : TForm(owner) {
    FSuperUnion = this;
    SetName(QStringLiteral("FSuperUnion"));
    SetCaption(QStringLiteral("Super union"));
    SetClientSize(600, 400);
    SetPosition(TPosition::poScreenCenter);

    Panel = Dock<TPanel>(this, this, "Panel", TAlign::alBottom, 41);
    Panel->SetCaption(QString());
    Label1 = Place<TLabel>(this, Panel, "Label1", 8, 12, 160, 16, QStringLiteral("file c:\\superunion.csv"));
    BRefresh = Place<TBitBtn>(this, Panel, "BRefresh", 200, 8, 125, 25, QStringLiteral("Refresh columns"),
                              QStyle::SP_BrowserReload);
    BExport = Place<TBitBtn>(this, Panel, "BExport", 331, 8, 125, 25, QStringLiteral("Export"),
                             QStyle::SP_DialogSaveButton);
    BClose = Place<TBitBtn>(this, Panel, "BClose", 462, 8, 125, 25, QStringLiteral("Close"),
                            QStyle::SP_DialogCloseButton);
    BClose->SetCancel(true);

    Image1 = Dock<TImage>(this, this, "Image1", TAlign::alLeft, 80);
    Image1->SetPicture(unionIllustration());
    GroupBox1 = Dock<TGroupBox>(this, this, "GroupBox1", TAlign::alLeft, 260);
    GroupBox1->SetCaption(QStringLiteral("Tables"));
    MTables = ListMemo(this, GroupBox1, "MTables");
    GroupBox2 = Dock<TGroupBox>(this, this, "GroupBox2", TAlign::alClient);
    GroupBox2->SetCaption(QStringLiteral("Columns"));
    MColumns = ListMemo(this, GroupBox2, "MColumns");

    TableItems = new TTableItems(this);
    TableItems->SetName(QStringLiteral("TableItems"));
    Query = new TQuery(this);
    Query->SetName(QStringLiteral("Query"));

    BRefresh->OnClick = [this](TObject* s) { BRefreshClick(s); };
    BExport->OnClick = [this](TObject* s) { BExportClick(s); };
    BClose->OnClick = [this](TObject* s) { BCloseClick(s); };
}
