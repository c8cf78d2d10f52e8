// The multi-file export's controls, their defaults, the sample query and its form storage.
#include <QPainter>
#include <QStyle>

#include "db/DataSource.h"
#include "db/Query.h"
#include "export/MultiFileEksport.h"
#include "framework/ComCtrls.h"
#include "framework/ControlPlacement.h"
#include "framework/DBGrids.h"
#include "framework/ExtCtrls.h"
#include "framework/FormStorage.h"
#include "framework/StdCtrls.h"
#include "framework/StorageBackends.h"

namespace {

// The sample query the memo starts with: one file per unit code, units that share their
// first five characters in one folder, the last four columns only driving the split.
const char* const kSampleQuery[] = {
    "SELECT",
    "  P.NAZWISKO,",
    "  P.IMIE,",
    "  P.DRUGIE_IMIE,",
    "  P.PESEL,",
    "  P.NIP,",
    "  P.DATA_URODZENIA,",
    "  P.MIEJSCE_URODZENIA,",
    "  A.ULICA,",
    "  A.NR_DOMU,",
    "  A.NR_LOKALU,",
    "  A.KOD_POCZTOWY,",
    "  A.MIEJSCOWOSC,",
    "  S.NAZWA STANOWISKO,",
    "  Z.DATA_OD,",
    "  Z.DATA_DO,",
    "  DECODE(Z.STATUS, 'A', 'AKTYWNY', 'Z', 'ZAWIESZONY', 'U', 'USUNIETY', 'NIEZNANY') STATUS_OPIS,",
    "  J.NAZWA JEDNOSTKA,",
    "  J.KOD NJS,",
    "  S.KATEGORIA,",
    "  O.NAZWA ODDZIAL,",
    "  J.KOD || '.txt' NJS_txt,",
    "  Z.STATUS,",
    "  P.ID_OSOBY,",
    "  SUBSTR(J.KOD, 1, 5) || '00' FOLDER",
    "FROM OSOBY P,",
    "  ADRESY A,",
    "  ZATRUDNIENIA Z,",
    "  STANOWISKA S,",
    "  JEDNOSTKI J,",
    "  ODDZIALY O",
    "WHERE A.ID_OSOBY (+) = P.ID_OSOBY",
    "  AND A.RODZAJ (+) = 'S'",
    "  AND Z.ID_OSOBY = P.ID_OSOBY",
    "  AND S.ID_STANOWISKA (+) = Z.ID_STANOWISKA",
    "  AND J.ID_JEDNOSTKI = Z.ID_JEDNOSTKI",
    "  AND O.ID_ODDZIALU (+) = J.ID_ODDZIALU",
    "ORDER BY",
    "  NJS,",
    "  P.NAZWISKO",
    "",
};

// Rows split into files in folders.
QImage filesIllustration() {
    QImage image(90, 72, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        const int x = 6 + i * 27, y = 22 + (i % 2) * 6;
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(x, y, 24, 30);
        p.setPen(QPen(Qt::darkBlue, 2));
        for (int l = y + 7; l < y + 28; l += 6) p.drawLine(x + 4, l, x + 20, l);
    }
    p.setPen(QPen(Qt::darkGray, 2));
    p.drawLine(18, 10, 72, 10);
    p.drawLine(18, 10, 18, 20);
    p.drawLine(45, 10, 45, 26);
    p.drawLine(72, 10, 72, 20);
    return image;
}

}  // namespace

TFMultiFileEksport::TFMultiFileEksport(TComponent* owner) : TForm(owner) {
    FMultiFileEksport = this;
    SetName(QStringLiteral("FMultiFileEksport"));
    SetCaption(QStringLiteral("Multifile export - export data to many files"));
    SetClientSize(800, 560);
    SetWindowState(TWindowState::wsMaximized);
    buildControls();

    BRefresh->OnClick = [this](TObject* s) { BRefreshClick(s); };
    BExport->OnClick = [this](TObject* s) { BExportClick(s); };
    BClose->OnClick = [this](TObject* s) { BCloseClick(s); };

    Storage = new TFormStorage(this);
    Storage->SetName(QStringLiteral("Storage"));
    Storage->SetBackend(RegistryStorage(QStringLiteral("Software\\Morvane\\FMultiFileExport")));
    Storage->StoredProps().Assign(QStringList{
        QStringLiteral("EGROUP.Text"), QStringLiteral("EFILE.Text"), QStringLiteral("EPath.Text"),
        QStringLiteral("ESep.Text"), QStringLiteral("EDelimiter.Text"), QStringLiteral("EFOLDER.Text"),
        QStringLiteral("EOrphColumns.Text"), QStringLiteral("SQL.Lines")});
}

void TFMultiFileEksport::buildControls() {
    // The grid goes before its data source when the window is destroyed.
    Query = new TQuery(this);
    Query->SetName(QStringLiteral("Query"));
    Query->SetDatabaseName(QStringLiteral("X"));
    DataSource = new TDataSource(this);
    DataSource->SetName(QStringLiteral("DataSource"));
    DataSource->SetDataSet(Query);

    Panel1 = Dock<TPanel>(this, this, "Panel1", TAlign::alTop, 186);
    int top = 8;
    auto field = [this, &top](TLabel*& label, const char* labelName, const QString& caption, TEdit*& edit,
                              const char* editName, int width, const QString& text) {
        label = Place<TLabel>(this, Panel1, labelName, 8, top + 3, 440, 16, caption);
        edit = Place<TEdit>(this, Panel1, editName, 450, top, width, 21);
        edit->SetText(text);
        top += 24;
    };
    field(LGroup, "LGroup",
          QStringLiteral("Create new file after the value in the column is changed:..............."), EGROUP,
          "EGROUP", 160, QStringLiteral("NJS"));
    field(LFile, "LFile",
          QStringLiteral("The rule of creating the file name (enter Column Name):....................."),
          EFILE, "EFILE", 160, QStringLiteral("NJS_TXT"));
    field(LPath, "LPath", QStringLiteral("Path:............."), EPath, "EPath", 260,
          QStringLiteral("c:\\Export\\"));
    field(LFolder, "LFolder",
          QStringLiteral("The files set in the folder (enter Column Name):.........................."),
          EFOLDER, "EFOLDER", 160, QStringLiteral("FOLDER"));
    field(
        LOrphColumns, "LOrphColumns",
        QStringLiteral(
            "Dont`t set in the file last n columns:......................................................."),
        EOrphColumns, "EOrphColumns", 40, QStringLiteral("4"));
    field(LSep, "LSep", QStringLiteral("Field separator:..........."), ESep, "ESep", 40, QStringLiteral("|"));
    field(LDelimiter, "LDelimiter", QStringLiteral("Field delimiter:............"), EDelimiter, "EDelimiter",
          40, QStringLiteral("\""));

    BRefresh = Place<TBitBtn>(this, Panel1, "BRefresh", 724, 8, 120, 25, QStringLiteral("Refresh query"),
                              QStyle::SP_BrowserReload);
    BExport = Place<TBitBtn>(this, Panel1, "BExport", 724, 38, 120, 25, QStringLiteral("Export"),
                             QStyle::SP_DialogSaveButton);
    BClose = Place<TBitBtn>(this, Panel1, "BClose", 724, 68, 120, 25, QStringLiteral("Close"),
                            QStyle::SP_DialogCloseButton);
    BClose->SetCancel(true);
    Image1 = Place<TImage>(this, Panel1, "Image1", 740, 104, 90, 72);
    Image1->SetPicture(filesIllustration());

    StatusBar = Dock<TStatusBar>(this, this, "StatusBar", TAlign::alBottom, 20);
    StatusBar->SetSimpleText(QString());
    GroupBox1 = Dock<TGroupBox>(this, this, "GroupBox1", TAlign::alTop, 220);
    GroupBox1->SetCaption(QStringLiteral("SQL command"));
    SQL = Dock<TMemo>(this, GroupBox1, "SQL", TAlign::alClient);
    SQL->SetWordWrap(false);
    SQL->SetScrollBars(TScrollStyle::ssVertical);
    QStringList sample;
    for (const char* line : kSampleQuery) sample << QString::fromLatin1(line);
    SQL->Lines().Assign(sample);
    Splitter1 = Dock<TSplitter>(this, this, "Splitter1", TAlign::alTop, 5);
    DBGrid = Dock<TDBGrid>(this, this, "DBGrid", TAlign::alClient);
    DBGrid->SetReadOnly(true);

    PaintWorkingArea(SQL);
    PaintWorkingArea(DBGrid);

    DBGrid->SetDataSource(DataSource);
}
