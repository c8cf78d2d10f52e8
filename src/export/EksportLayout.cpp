// The export window's controls, their defaults and its form storage.
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include "export/Eksport.h"
#include "framework/ComCtrls.h"
#include "framework/ControlPlacement.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FormStorage.h"
#include "framework/Grids.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/StorageBackends.h"

TFEksport* FEksport = nullptr;
bool ExportRunning = false;

namespace {

TLabel* label(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
              const QString& text) {
    return Place<TLabel>(owner, parent, name, left, top, 260, 16, text);
}

TCheckBox* checkBox(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                    const QString& text, bool checked) {
    auto* c = Place<TCheckBox>(owner, parent, name, left, top, 330, 17, text);
    c->SetChecked(checked);
    return c;
}

TBitBtn* browseButton(TComponent* owner, TWinControl* parent, const char* name, int left, int top) {
    auto* b = Place<TBitBtn>(owner, parent, name, left, top, 25, 22);
    b->SetGlyph(StandardGlyph(QStyle::SP_DirOpenIcon));
    return b;
}

// The text page's illustration: a sheet of delimited lines.
QImage textFileIllustration() {
    QImage image(96, 112, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QPen(Qt::darkGray, 2));
    p.drawRect(4, 4, 86, 102);
    p.setPen(QPen(Qt::darkBlue, 3));
    for (int y = 18; y < 100; y += 12) {
        p.drawLine(12, y, 32, y);
        p.drawLine(40, y, 58, y);
        p.drawLine(66, y, 82, y);
    }
    return image;
}

}  // namespace

TFEksport::TFEksport(TComponent* owner) : TForm(owner) {
    FEksport = this;
    SetName(QStringLiteral("FEksport"));
    SetCaption(QStringLiteral("Export data"));
    SetBorderStyle(TBorderStyle::bsDialog);
    SetClientSize(733, 475);
    SetPosition(TPosition::poScreenCenter);
    SetStayOnTop(true);

    Panel1 = Place<TPanel>(this, this, "Panel1", 0, 434, 733, 41);
    Panel1->SetAlign(TAlign::alBottom);
    BitBtn9 = Place<TBitBtn>(this, Panel1, "BitBtn9", 520, 8, 100, 25, QStringLiteral("Export"),
                             QStyle::SP_DialogSaveButton);
    BClose = Place<TBitBtn>(this, Panel1, "BClose", 626, 8, 100, 25, QStringLiteral("Close"),
                            QStyle::SP_DialogCloseButton);
    BClose->SetCancel(true);

    PageControl = Place<TPageControl>(this, this, "PageControl", 0, 0, 733, 434);
    PageControl->SetAlign(TAlign::alClient);
    TabSheet1 = new TTabSheet(this, PageControl);
    TabSheet1->SetName(QStringLiteral("TabSheet1"));
    TabSheet1->SetCaption(QStringLiteral("Export as text"));
    TabSheet2 = new TTabSheet(this, PageControl);
    TabSheet2->SetName(QStringLiteral("TabSheet2"));
    TabSheet2->SetCaption(QStringLiteral("Export as SQL script"));
    buildTextPage();
    buildSqlPage();
    PageControl->SetActivePage(TabSheet2);

    auto dialog = [](TOpenDialog* d, const char* name, const char* ext) {
        d->SetName(QString::fromLatin1(name));
        d->SetDefaultExt(QString::fromLatin1(ext));
    };
    SDialogTxt = new TSaveDialog(this);
    dialog(SDialogTxt, "SDialogTxt", "txt");
    SDialogSQL = new TSaveDialog(this);
    dialog(SDialogSQL, "SDialogSQL", "sql");
    SDialogCFG = new TSaveDialog(this);
    dialog(SDialogCFG, "SDialogCFG", "cfg");
    ODialogCFG = new TOpenDialog(this);
    dialog(ODialogCFG, "ODialogCFG", "cfg");
    for (TSaveDialog* d : {SDialogTxt, SDialogSQL, SDialogCFG}) d->SetOverwritePrompt(true);
    for (TOpenDialog* d : {static_cast<TOpenDialog*>(SDialogCFG), ODialogCFG}) {
        d->SetFileName(QStringLiteral("default"));
        d->SetFilter(QStringLiteral("*.cfg|*.cfg|*.*|*.*"));
    }

    bindHandlers();

    Storage = new TFormStorage(this);
    Storage->SetName(QStringLiteral("Storage"));
    Storage->SetBackend(RegistryStorage(QStringLiteral("Software\\Veri")));
    QStringList stored;
    for (const char* p :
         {"CheckBox1.Checked", "CreateTable.Checked", "Edit1.Text", "EmptyLine.Checked", "EmptyValue.Text",
          "FileName.Text", "FileName2.Text", "InsertCR.Text", "Ogranicznik.Text",
          "RunAfterGenerating.Checked", "RunAfterGenerating2.Checked", "Sep.Text", "Srednik.Checked",
          "TABLENAME.Text", "Transpon.Checked", "CHBLOCK.Checked"})
        stored << QLatin1String(p);
    Storage->StoredProps().Assign(stored);
}

TFEksport::~TFEksport() {
    if (FEksport == this) FEksport = nullptr;
}

void TFEksport::buildTextPage() {
    LFileName =
        label(this, TabSheet1, "LFileName", 16, 20, QStringLiteral("File name:......................."));
    FileName = Place<TEdit>(this, TabSheet1, "FileName", 150, 16, 360, 22);
    FileName->SetText(QStringLiteral("c:\\1.txt"));
    BitBtn1 = browseButton(this, TabSheet1, "BitBtn1", 514, 16);
    LSep = label(this, TabSheet1, "LSep", 16, 52, QStringLiteral("Field separator:.............."));
    Sep = Place<TEdit>(this, TabSheet1, "Sep", 150, 48, 40, 22);
    Sep->SetText(QStringLiteral(","));
    LOgranicznik =
        label(this, TabSheet1, "LOgranicznik", 16, 84, QStringLiteral("Field delimiter:............"));
    Ogranicznik = Place<TEdit>(this, TabSheet1, "Ogranicznik", 150, 80, 40, 22);
    Ogranicznik->SetText(QStringLiteral("\""));
    Transpon = checkBox(this, TabSheet1, "Transpon", 16, 120, QStringLiteral("Transpose"), false);
    RunAfterGenerating = checkBox(this, TabSheet1, "RunAfterGenerating", 16, 146,
                                  QStringLiteral("Open file after generation"), true);
    Image1 = Place<TImage>(this, TabSheet1, "Image1", 560, 16, 96, 112);
    Image1->SetPicture(textFileIllustration());
}

void TFEksport::buildSqlPage() {
    LFileName2 =
        label(this, TabSheet2, "LFileName2", 8, 12, QStringLiteral("File name:......................."));
    FileName2 = Place<TEdit>(this, TabSheet2, "FileName2", 140, 8, 250, 22);
    FileName2->SetText(QStringLiteral("C:\\skrypt.sql"));
    BitBtn3 = browseButton(this, TabSheet2, "BitBtn3", 394, 8);
    LTableName = label(this, TabSheet2, "LTableName", 8, 40, QStringLiteral("Table name:.............."));
    TABLENAME = Place<TEdit>(this, TabSheet2, "TABLENAME", 140, 36, 250, 22);
    TABLENAME->SetText(QStringLiteral("Nazwa_tabeli"));
    LInsertCR =
        label(this, TabSheet2, "LInsertCR", 8, 68,
              QStringLiteral("Insert EOL after each                  columns  (0 means not inserting EOL)"));
    LInsertCR->SetWidth(420);
    {
        // The count's edit sits in the label's run of blanks, wherever the font puts it.
        const QString caption = LInsertCR->Caption();
        const qsizetype gapStart = caption.indexOf(QStringLiteral("  "));
        qsizetype gapEnd = gapStart;
        while (gapEnd < caption.size() && caption[gapEnd] == QChar(u' ')) ++gapEnd;
        const QFontMetrics metrics(LInsertCR->Widget()->font());
        const int from = LInsertCR->Left() + metrics.horizontalAdvance(caption.left(gapStart + 1));
        const int to = LInsertCR->Left() + metrics.horizontalAdvance(caption.left(gapEnd - 1));
        InsertCR = Place<TEdit>(this, TabSheet2, "InsertCR", from, 64, std::max(to - from, 24), 22);
    }
    InsertCR->SetText(QStringLiteral("4"));
    LEmptyValue =
        label(this, TabSheet2, "LEmptyValue", 8, 96, QStringLiteral("Empty value replace with :......."));
    EmptyValue = Place<TEdit>(this, TabSheet2, "EmptyValue", 200, 92, 100, 22);
    EmptyValue->SetText(QStringLiteral("NULL"));

    RunAfterGenerating2 = checkBox(this, TabSheet2, "RunAfterGenerating2", 430, 8,
                                   QStringLiteral("Open file after generating"), true);
    Srednik = checkBox(this, TabSheet2, "Srednik", 430, 28,
                       QStringLiteral("Set the \";\" at the end of expression"), true);
    EmptyLine = checkBox(this, TabSheet2, "EmptyLine", 430, 48,
                         QStringLiteral("Set empty line betwens expresions"), false);
    CreateTable =
        checkBox(this, TabSheet2, "CreateTable", 430, 68, QStringLiteral("Append CREATE TABLE"), true);
    CheckBox1 = checkBox(this, TabSheet2, "CheckBox1", 430, 88,
                         QStringLiteral("Apostrof zastępuj podwójnym apostrofem"), true);
    CheckBox1->SetEnabled(false);
    CHBLOCK = checkBox(this, TabSheet2, "CHBLOCK", 430, 108,
                       QStringLiteral("Lock export when  columns statutes are doubt"), true);

    Edit1 = Place<TEdit>(this, TabSheet2, "Edit1", 8, 130, 250, 22);
    Edit1->SetText(QStringLiteral("TYPY PÓL - ORACLE"));
    Edit1->SetEnabled(false);
    BOpen = Place<TBitBtn>(this, TabSheet2, "BOpen", 540, 130, 80, 22, QStringLiteral("Open"));
    BSaveAs = Place<TBitBtn>(this, TabSheet2, "BSaveAs", 626, 130, 80, 22, QStringLiteral("Save as"));
    BitBtn4 = Place<TBitBtn>(this, TabSheet2, "BitBtn4", 460, 130, 75, 22, QStringLiteral("BitBtn4"));
    BitBtn4->SetVisible(false);

    Configuration = Place<TStringGrid>(this, TabSheet2, "Configuration", 8, 156, 712, 208);
    Configuration->SetColCount(5);
    Configuration->SetRowCount(2);
    const int widths[] = {210, 179, 93, 116, 118};
    for (int c = 0; c < 5; ++c) Configuration->SetColWidths(c, widths[c]);
    Configuration->SetDefaultRowHeight(20);

    PopupMenu = new TPopupMenu(this);
    PopupMenu->SetName(QStringLiteral("PopupMenu"));
    auto item = [this](const char* name, const QString& caption) {
        auto* m = new TMenuItem(this, caption);
        m->SetName(QString::fromLatin1(name));
        PopupMenu->Add(m);
        return m;
    };
    OracleVARCHAR21 = item("OracleVARCHAR21", QStringLiteral("Oracle - VARCHAR2(255)"));
    OracleNUMBER1 = item("OracleNUMBER1", QStringLiteral("Oracle - NUMBER(10)"));
    OracleNUMBER142kwota1 = item("OracleNUMBER142kwota1", QStringLiteral("Oracle - NUMBER(14,2) - kwota"));
    OracleDATA1 = item("OracleDATA1", QStringLiteral("Oracle - DATE"));
    Configuration->SetPopupMenu(PopupMenu);

    Panel2 = Place<TPanel>(this, TabSheet2, "Panel2", 8, 366, 712, 34);
    auto typeButton = [this](const char* name, int left, const QString& caption) {
        return Place<TBitBtn>(this, Panel2, name, left, 4, 110, 25, caption);
    };
    BitBtn5 = typeButton("BitBtn5", 4, QStringLiteral("VARCHAR2(255)"));
    BitBtn6 = typeButton("BitBtn6", 118, QStringLiteral("NUMBER(10)"));
    BitBtn8 = typeButton("BitBtn8", 232, QStringLiteral("NUMBER(14,2)"));
    BitBtn7 = typeButton("BitBtn7", 346, QStringLiteral("DATE"));
}
