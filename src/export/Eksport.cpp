// The export window's behaviour: preparation, the column type table and its actions,
// the configuration files, the file dialogs, the Export button and closing.
#include "export/Eksport.h"

#include "common/FileMode.h"
#include "common/UtilityParent.h"
#include "db/Field.h"
#include "db/Query.h"
#include "export/ExportConfiguration.h"
#include "export/ExportWriters.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/Dialogs.h"
#include "framework/Grids.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/Launcher.h"
#include "rtl/SysUtils.h"

namespace {

const QString kHeaders[5] = {QStringLiteral("Nazwa pola"), QStringLiteral("Typ pola"),
                             QStringLiteral("Przedrostek"), QStringLiteral("Przyrostek"),
                             QStringLiteral("Status")};

std::vector<ExportColumn> columnsOf(TDBGrid* grid) {
    std::vector<ExportColumn> columns;
    if (grid == nullptr) return columns;
    for (int i = 0; i < grid->ColumnCount(); ++i)
        columns.push_back({grid->Columns(i).Title.Caption, grid->Columns(i).FieldName});
    return columns;
}

void openInNotepad(const QString& fileName) {
    RunProgram(QStringLiteral("NotePad.exe"), fileName, QString(), platform::SW_SHOWMAXIMIZED);
}

}  // namespace

void TFEksport::bindHandlers() {
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    BClose->OnClick = [this](TObject* s) { BCloseClick(s); };
    BitBtn9->OnClick = [this](TObject* s) { BitBtn9Click(s); };
    BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
    BitBtn3->OnClick = [this](TObject* s) { BitBtn3Click(s); };
    BitBtn4->OnClick = [this](TObject* s) { BitBtn4Click(s); };
    BOpen->OnClick = [this](TObject* s) { BOpenClick(s); };
    BSaveAs->OnClick = [this](TObject* s) { BSaveAsClick(s); };
    OracleVARCHAR21->OnClick = BitBtn5->OnClick = [this](TObject* s) { OracleVARCHAR21Click(s); };
    OracleNUMBER1->OnClick = BitBtn6->OnClick = [this](TObject* s) { OracleNUMBER1Click(s); };
    OracleNUMBER142kwota1->OnClick = BitBtn8->OnClick = [this](TObject* s) { OracleNUMBER142kwota1Click(s); };
    OracleDATA1->OnClick = BitBtn7->OnClick = [this](TObject* s) { OracleDATA1Click(s); };
}

void ShowEksport(TQuery* dataSet, TDBGrid* grid, const QString& configFile) {
    TFEksport* f = FEksport;
    if (ExportRunning) ShowInfo(QStringLiteral("Eksport jest już uruchomiony"));
    ExportRunning = true;
    f->ExportDataSet = dataSet;
    f->ExportGrid = grid;
    for (int c = 0; c < 5; ++c) f->Configuration->SetCells(c, 0, kHeaders[c]);
    f->TABLENAME->SetText(TableNameFromSQL(dataSet->SQL().Text()));
    f->BitBtn4Click(f);
    if (!Trim(configFile).isEmpty()) {
        f->LoadConfiguration(configFile);
        f->BitBtn9Click(f);
        Application()->Terminate();
        f->Close();
    }
    f->Show();
}

TOracleFieldDef TFEksport::GetOracleFieldDef(const QString& name) const {
    TField* field = ExportDataSet->FieldByName(name);
    const QString w = QString::number(field->DisplayWidth());
    if (dynamic_cast<TIntegerField*>(field) != nullptr)
        return {QStringLiteral("NUMBER(") + w + QChar(u')'), QString(), QString(), QString()};
    if (dynamic_cast<TStringField*>(field) != nullptr)
        return {QStringLiteral("VARCHAR2(") + w + QChar(u')'), QStringLiteral("'"), QStringLiteral("'"),
                QString()};
    if (dynamic_cast<TDateTimeField*>(field) != nullptr)
        return {QStringLiteral("DATE"), QStringLiteral("TO_DATE('"), QStringLiteral("','yyyy.mm.dd')"),
                QStringLiteral("Wątpliwa maska pola")};
    if (dynamic_cast<TMemoField*>(field) != nullptr)
        return {QStringLiteral("VARCHAR2(2000)"), QStringLiteral("'"), QStringLiteral("'"),
                QStringLiteral("Pole typu MEMO")};
    if (dynamic_cast<TFloatField*>(field) != nullptr)
        return {QStringLiteral("NUMBER(") + w + QStringLiteral(",2)"), QString(), QString(),
                QStringLiteral("Wątpliwa długość pola")};
    return {QStringLiteral("VARCHAR2(") + w + QChar(u')'), QStringLiteral("'"), QStringLiteral("'"),
            QStringLiteral("Nieznany typ pola")};
}

void TFEksport::BitBtn4Click(TObject*) {
    const int n = ExportGrid != nullptr ? ExportGrid->ColumnCount() : 0;
    Configuration->SetRowCount(n + 1);
    for (int i = 0; i < n; ++i) {
        const QString caption = ExportGrid->Columns(i).Title.Caption;
        Configuration->SetCells(0, i + 1, caption);
        const TOracleFieldDef def = GetOracleFieldDef(caption);
        Configuration->SetCells(1, i + 1, def.Type);
        Configuration->SetCells(2, i + 1, def.Prefix);
        Configuration->SetCells(3, i + 1, def.Suffix);
        Configuration->SetCells(4, i + 1, def.Status);
    }
}

// The type actions keep the status: a doubtful column stays doubtful until the user
// empties its Status cell.
void TFEksport::setCurrentRowType(const QString& type, const QString& prefix, const QString& suffix) {
    const int row = Configuration->Row();
    Configuration->SetCells(1, row, type);
    Configuration->SetCells(2, row, prefix);
    Configuration->SetCells(3, row, suffix);
}

void TFEksport::OracleVARCHAR21Click(TObject*) {
    setCurrentRowType(QStringLiteral("VARCHAR2(255)"), QStringLiteral("'"), QStringLiteral("'"));
}

void TFEksport::OracleNUMBER1Click(TObject*) {
    setCurrentRowType(QStringLiteral("NUMBER(10)"), QString(), QString());
}

void TFEksport::OracleNUMBER142kwota1Click(TObject*) {
    setCurrentRowType(QStringLiteral("NUMBER(14,2)"), QString(), QString());
}

void TFEksport::OracleDATA1Click(TObject*) {
    setCurrentRowType(QStringLiteral("DATE"), QStringLiteral("TO_DATE('"), QStringLiteral("','YYYY.MM.DD')"));
}

void TFEksport::BitBtn1Click(TObject*) {
    SDialogTxt->SetFileName(FileName->Text());
    if (SDialogTxt->Execute()) FileName->SetText(SDialogTxt->FileName());
}

void TFEksport::BitBtn3Click(TObject*) {
    SDialogSQL->SetFileName(FileName2->Text());
    if (SDialogSQL->Execute()) FileName2->SetText(SDialogSQL->FileName());
}

void TFEksport::BSaveAsClick(TObject*) {
    if (!SDialogCFG->Execute()) return;
    ExportConfiguration c;
    for (int r = 0; r < Configuration->RowCount(); ++r) {
        ExportConfiguration::Row row;
        for (int col = 0; col < 5; ++col) row[static_cast<size_t>(col)] = Configuration->Cells(col, r);
        c.rows.push_back(row);
    }
    c.fileName = FileName2->Text();
    c.tableName = TABLENAME->Text();
    c.lineBreakCount = InsertCR->Text();
    c.emptyValue = EmptyValue->Text();
    c.runAfter = RunAfterGenerating2->Checked();
    c.semicolon = Srednik->Checked();
    c.emptyLine = EmptyLine->Checked();
    c.createTable = CreateTable->Checked();
    c.doubleApostrophes = CheckBox1->Checked();
    c.lockDoubtful = CHBLOCK->Checked();
    SaveExportConfiguration(SDialogCFG->FileName(), c);
}

void TFEksport::BOpenClick(TObject*) {
    if (ODialogCFG->Execute()) LoadConfiguration(ODialogCFG->FileName());
}

void TFEksport::LoadConfiguration(const QString& fileName) {
    // Untyped opens are read-only from here on, for the rest of the run.
    FileMode = fmOpenRead;
    if (ReadConfigurationRowCount(fileName) != Configuration->RowCount()) {
        ShowError(QStringLiteral("Plik konfiguracyjny nie odpowiada zawartości siatki"));
        return;
    }
    FileMode = fmOpenRead;
    const ExportConfiguration c = LoadExportConfiguration(fileName);
    Configuration->SetRowCount(static_cast<int>(c.rows.size()));
    for (size_t r = 0; r < c.rows.size(); ++r)
        for (int col = 0; col < 5; ++col)
            Configuration->SetCells(col, static_cast<int>(r), c.rows[r][static_cast<size_t>(col)]);
    FileName2->SetText(c.fileName);
    TABLENAME->SetText(c.tableName);
    InsertCR->SetText(c.lineBreakCount);
    EmptyValue->SetText(c.emptyValue);
    RunAfterGenerating2->SetChecked(c.runAfter);
    Srednik->SetChecked(c.semicolon);
    EmptyLine->SetChecked(c.emptyLine);
    CreateTable->SetChecked(c.createTable);
    CheckBox1->SetChecked(c.doubleApostrophes);
    CHBLOCK->SetChecked(c.lockDoubtful);
}

void TFEksport::BitBtn9Click(TObject*) {
    const BusyCursor busy;
    ExportWritten = false;
    if (PageControl->ActivePage() == TabSheet1)
        ExportAsText();
    else
        ExportAsSQLScript();
}

void TFEksport::ExportAsText() {
    TextExportOptions o;
    o.fileName = FileName->Text();
    o.separator = Sep->Text();
    o.delimiter = Ogranicznik->Text();
    o.transpose = Transpon->Checked();
    WriteTextExport(*ExportDataSet, columnsOf(ExportGrid), o);
    ExportWritten = true;
    if (RunAfterGenerating->Checked()) openInNotepad(o.fileName);
}

void TFEksport::ExportAsSQLScript() {
    if (CHBLOCK->Checked()) {
        for (int r = 1; r < Configuration->RowCount(); ++r) {
            if (!Trim(Configuration->Cells(4, r)).isEmpty()) {
                ShowError(
                    QStringLiteral("Są kolumny o wątpliwym statusie. Popraw statusy tych kolumn lub wyłącz "
                                   "opcję \"Blokuj eksport, gdy statusy kolumn są wątpliwe\" i uruchom "
                                   "eksport ponownie"));
                return;
            }
        }
    }
    const std::vector<ExportColumn> columns = columnsOf(ExportGrid);
    std::vector<SqlColumnDef> defs;
    for (size_t i = 0; i < columns.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        defs.push_back({Configuration->Cells(0, row), Configuration->Cells(1, row),
                        Configuration->Cells(2, row), Configuration->Cells(3, row)});
    }
    SqlExportOptions o;
    o.fileName = FileName2->Text();
    o.tableName = TABLENAME->Text();
    o.lineBreakCount = InsertCR->Text();
    o.emptyValue = EmptyValue->Text();
    o.separator = Sep->Text();
    o.semicolon = Srednik->Checked();
    o.emptyLine = EmptyLine->Checked();
    o.createTable = CreateTable->Checked();
    WriteSqlScript(*ExportDataSet, columns, defs, o);
    ExportWritten = true;
    if (RunAfterGenerating2->Checked()) openInNotepad(o.fileName);
}

void TFEksport::BCloseClick(TObject*) {
    Close();
}

void TFEksport::FormClose(TObject*, TCloseAction&) {
    ExportRunning = false;
}
