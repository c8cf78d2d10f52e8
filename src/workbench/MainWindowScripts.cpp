// The "SQL Scripts" page: the script's file operations, the save question, the script
// runner and the script status bar.
#include <QElapsedTimer>

#include "common/MessageBoxes.h"
#include "db/Query.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/StdCtrls.h"
#include "platform/Launcher.h"
#include "rtl/Exception.h"
#include "seam/DialogSeam.h"
#include "workbench/MainWindow.h"
#include "workbench/ScriptFile.h"
#include "workbench/ScriptStatements.h"

namespace {

const QString kNewScriptName = QStringLiteral("c:\\noname.sql");

// A script is open while these controls are enabled.
void enableScriptControls(TFMain* m, bool enabled) {
    for (TControl* c : std::initializer_list<TControl*>{m->BSave, m->BExecSQL, m->BSaveAs, m->BZamknij,
                                                        m->EScript, m->AssistMemo, m->MErrorsAndWarnings})
        c->SetEnabled(enabled);
}

// The part of a Windows file name after its folder and drive.
QString namePart(const QString& fileName) {
    const qsizetype cut = std::max({fileName.lastIndexOf(QChar('\\')), fileName.lastIndexOf(QChar('/')),
                                    fileName.lastIndexOf(QChar(':'))});
    return fileName.mid(cut + 1);
}

void emptyEditor(TMemo* editor) {
    editor->Lines().Clear();
    editor->SetModified(false);
}

// How many statements a script run has executed, in the last panel of the script status
// bar, with the error entries so far. Painted at once, as nothing else runs meanwhile,
// but at most a few times a second, so that many short statements are not slowed down.
class RunProgress {
  public:
    RunProgress(TStatusBar* bar, TMemo* errors) : bar_(bar), errors_(errors) { show(); }
    void Executed() {
        ++count_;
        if (count_ == 1 || clock_.elapsed() >= kRepaintMs) show();
    }
    void Finish() { show(); }

  private:
    static constexpr int kPanel = 3;
    static constexpr qint64 kRepaintMs = 200;
    void show() {
        bar_->SetPanelText(kPanel, QStringLiteral("Statements run: %1").arg(count_));
        bar_->Repaint();
        errors_->Repaint();
        clock_.start();
    }
    TStatusBar* bar_;
    TMemo* errors_;
    long count_ = 0;
    QElapsedTimer clock_;
};

}  // namespace

void TFMain::bindScriptHandlers() {
    BNew->OnClick = [this](TObject* s) { BNewClick(s); };
    Bload->OnClick = [this](TObject* s) { BloadClick(s); };
    BSave->OnClick = [this](TObject* s) { BSaveClick(s); };
    BSaveAs->OnClick = [this](TObject* s) { BSaveAsClick(s); };
    BZamknij->OnClick = [this](TObject* s) { BZamknijClick(s); };
    BNotePad->OnClick = [this](TObject* s) { BNotePadClick(s); };
    BFontChange->OnClick = [this](TObject* s) { BFontChangeClick(s); };
    BExecSQL->OnClick = [this](TObject* s) { BExecSQLClick(s); };
    for (TMemo* memo : {EScript, AssistMemo}) {
        memo->OnChange = [this](TObject* s) { AssistMemoChange(s); };
        memo->OnKeyUp = [this](TObject* s, int& key, TShiftState shift) { AssistMemoKeyUp(s, key, shift); };
        memo->OnClick = [this](TObject* s) { AssistMemoClick(s); };
    }
}

bool TFMain::ZachowajPlik() {
    if (!EScript->Modified()) return true;
    // With no script open there is nothing the user could want saved.
    if (!BSave->Enabled()) return true;
    platform::MessageBoxRequest box;
    box.text = QStringLiteral("Do you wish save file ") + OpenDialog1->FileName() + QStringLiteral(" ?");
    box.caption = Application()->Title();
    box.icon = platform::BoxIcon::None;
    box.buttons = platform::BoxButtons::YesNoCancel;
    box.defaultAnswer = platform::IDYES;
    box.taskModal = false;
    const int answer = platform::Dialogs().messageBox(box);
    if (answer == platform::IDYES) {
        // A failed write raises, so the caller never goes on to discard the script.
        BSaveClick(this);
        return true;
    }
    return answer != platform::IDCANCEL;
}

void TFMain::BNewClick(TObject*) {
    if (!ZachowajPlik()) return;
    OpenDialog1->SetFileName(kNewScriptName);
    emptyEditor(EScript);
    enableScriptControls(this, true);
    // Focusing fails quietly while another page is shown.
    if (EScript->CanFocus()) EScript->SetFocus();
    LFileName->SetCaption(OpenDialog1->FileName());
}

void TFMain::BloadClick(TObject*) {
    if (!ZachowajPlik()) return;
    const QString previous = OpenDialog1->FileName();
    if (!OpenDialog1->Execute()) return;
    const QString chosen = OpenDialog1->FileName();
    const BusyCursor busy;
    QString text;
    try {
        text = script::ReadScriptFile(chosen);
    } catch (...) {
        // The editor still holds the previous script, so its name stays the one a later
        // Save writes to; the unreadable file is never written over.
        OpenDialog1->SetFileName(previous);
        throw;
    }
    EScript->SetText(text);
    enableScriptControls(this, true);
    SetActiveControl(EScript);
    LFileName->SetCaption(chosen);
}

void TFMain::BSaveClick(TObject*) {
    const BusyCursor busy;
    script::WriteScriptFile(OpenDialog1->FileName(), EScript->Text());
}

void TFMain::BSaveAsClick(TObject*) {
    if (!SD->Execute()) return;
    const QString name = SD->FileName();
    const BusyCursor busy;
    script::WriteScriptFile(name, EScript->Text());
    OpenDialog1->SetFileName(name);
    EScript->SetText(script::ReadScriptFile(name));
    enableScriptControls(this, true);
    SetActiveControl(EScript);
    LFileName->SetCaption(name);
}

void TFMain::BZamknijClick(TObject*) {
    if (!ZachowajPlik()) return;
    emptyEditor(EScript);
    enableScriptControls(this, false);
}

void TFMain::BNotePadClick(TObject* sender) {
    const QString fileName = OpenDialog1->FileName();
    if (namePart(fileName).isEmpty()) return;
    // A closed script has an emptied editor: writing it would wipe the last file.
    if (BSave->Enabled()) BSaveClick(sender);
    ExecuteFile(QStringLiteral("NotePad.exe"), fileName, QString(), platform::SW_SHOW);
    // The user picks the file again once it has been edited outside.
    BloadClick(sender);
}

void TFMain::BFontChangeClick(TObject*) {
    FD->SetFont(EScript->Font());
    if (FD->Execute()) EScript->SetFont(FD->Font());
}

void TFMain::ExecuteFile(const QString& fileName, const QString& params, const QString& dir, int showCmd) {
    // The launcher may wait a moment for the opener's verdict.
    const BusyCursor busy;
    platform::ShellExecute(fileName, params, dir, showCmd);
}

void TFMain::BExecSQLClick(TObject*) {
    if (!EnsureConnected()) return;
    MErrorsAndWarnings->Lines().Clear();
    // Replacing the statement closes any result the main query had open.
    MainQuery->SQL().Clear();

    TStrings& errors = MErrorsAndWarnings->Lines();
    const BusyCursor busy;
    RunProgress progress(ScriptStatusBar, MErrorsAndWarnings);
    auto executeCollected = [this, &errors, &progress](QStringList& buffer, int firstLine) {
        if (buffer.isEmpty()) return true;
        bool failed = true;
        QString message;
        try {
            // The database would stop reading at a NUL and run the statement's first part.
            for (qsizetype i = 0; i < buffer.size(); ++i)
                if (buffer[i].contains(QChar(u'\0')))
                    throw EDatabaseError(
                        QStringLiteral("Line %1 holds a NUL character; the statement was not run")
                            .arg(firstLine + i));
            MainQuery->SQL().Assign(buffer);
            MainQuery->ExecSQL();
            failed = false;
        } catch (const EDatabaseError& e) {
            message = e.Message();
        } catch (...) {
            message = QStringLiteral("Error different that EDataBaseError");
        }
        if (failed)
            errors.Add(QStringLiteral("Error: ") + script::CommaForm(buffer) + QStringLiteral("\r\n") +
                       message);
        buffer.clear();
        MainQuery->SQL().Clear();
        progress.Executed();
        return failed;
    };
    const bool stopped =
        script::RunStatements(EScript->Lines().ToStringList(), ChStopOnError->Checked(), executeCollected);
    progress.Finish();
    if (stopped)
        ShowError(QStringLiteral("Executing of the script has benn stopped due error"));
    else
        ShowInfo(QStringLiteral("Executing of the script is over"));
}

void TFMain::UpdateScriptStatus() {
    int line = 0;
    int column = 0;
    EScript->CaretPos(line, column);
    ScriptStatusBar->SetPanelText(0, QString::number(line + 1));
    ScriptStatusBar->SetPanelText(1, QString::number(column + 1));
    ScriptStatusBar->SetPanelText(2, QString::number(EScript->Lines().Count()));
}

void TFMain::AssistMemoChange(TObject*) {
    UpdateScriptStatus();
}

void TFMain::AssistMemoKeyUp(TObject*, int&, TShiftState) {
    UpdateScriptStatus();
}

void TFMain::AssistMemoClick(TObject*) {
    UpdateScriptStatus();
}
