// The "Queries" page: the six one-line query fields with their abbreviations and
// completion from the suggestion list, running a field's statement with Enter, the
// status light, the elapsed time and the history.
#include <QDateTime>
#include <array>
#include <charconv>

#include "db/Query.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"
#include "workbench/MainWindow.h"

namespace {

// How the database layer ends a statement that gives no rows: it has been executed.
const QString kNoRowsMessage = QStringLiteral("Error creating cursor handle");

struct Abbreviation {
    const char* abbreviation;
    const char* expansion;
};

// Tested in this order; no expansion begins with an abbreviation, so at most one applies.
constexpr std::array<Abbreviation, 6> kAbbreviations{{
    {"S ", "SELECT * FROM "},
    {"SC ", "SELECT COUNT(*) FROM "},
    {"SD ", "SELECT DISTINCT * FROM "},
    {"U ", "UPDATE  SET "},
    {"D ", "DELETE FROM  WHERE "},
    {"I ", "INSERT INTO  VALUES "},
}};

}  // namespace

void TFMain::bindQueryHandlers() {
    for (TEdit* field : {SQL1, SQL2, SQL3, SQL4, SQL5, SQL6}) {
        field->OnChange = [this](TObject* s) { SQL1Change(s); };
        field->OnKeyDown = [this](TObject* s, int& key, TShiftState shift) { SQL1KeyDown(s, key, shift); };
    }
    BWykonaj->OnClick = [this](TObject* s) { BWykonajClick(s); };
    OnKeyDown = [this](TObject* s, int& key, TShiftState shift) { FormKeyDown(s, key, shift); };
    Grid->OnTitleClick = [this](TColumn& column) { GridTitleClick(column); };
}

QString TFMain::FormatElapsed(long double days) {
    // Hundredths of a minute: one second gives 1.66667.
    const long double value = days * 100.0f * 60.0f * 24.0f;
    // to_chars ignores the locale, so the separator is always a point.
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 5);
    QString text = QString::fromLatin1(buffer.data(), static_cast<qsizetype>(result.ptr - buffer.data()));
    if (text.size() < 5) text = QString(5 - text.size(), QChar(' ')) + text;
    return text;
}

void TFMain::BWykonajClick(TObject*) {
    // A mouse click moves the focus to the button itself, so only Enter in a field runs.
    TWinControl* active = ActiveControl();
    TEdit* field = nullptr;
    for (TEdit* candidate : {SQL1, SQL2, SQL3, SQL4, SQL5, SQL6})
        if (active == candidate) field = candidate;
    if (field == nullptr) return;
    if (!EnsureConnected()) return;

    const QString statement = field->Text();
    MainQuery->SQL().Clear();
    MainQuery->SQL().Add(statement);
    Light->SetBrushColor(clRed);
    Light->Repaint();
    try {
        H->Lines().Add(statement);
        const BusyCursor busy;
        const QDateTime started = QDateTime::currentDateTime();
        MainQuery->Open();
        const QDateTime finished = QDateTime::currentDateTime();
        const long double days = static_cast<long double>(started.msecsTo(finished)) / 86400000.0L;
        StatusBar->SetPanelText(1, FormatElapsed(days));
    } catch (const EDatabaseError& e) {
        ShowQueryOutcome(e);
    } catch (const std::exception&) {
        // The light stays red: something outside the database went wrong.
        ShowMessage(QStringLiteral("Error different that EDataBaseError"));
        throw;
    }
    Light->SetBrushColor(clGreen);
}

void TFMain::ShowQueryOutcome(const EDatabaseError& e) {
    if (e.Message() == kNoRowsMessage) {
        ShowMessage(QStringLiteral("OK !"));
    } else {
        ShowMessage(e.Message());
        H->Lines().Add(e.Message());
    }
}

void TFMain::SQL1Change(TObject* sender) {
    auto* field = dynamic_cast<TEdit*>(sender);
    if (field == nullptr) return;
    if (FSkipHint) {
        FSkipHint = false;
        return;
    }

    // Setting the text runs this handler again, nested, on the expanded text.
    auto ExpandAbbreviation = [field](const QString& abbreviation, const QString& expansion) {
        const QString text = field->Text();
        if (!UpperCase(text).startsWith(abbreviation)) return;
        field->SetText(expansion + text.mid(abbreviation.size() - 1));
        field->SetSelStart(static_cast<int>(field->Text().size()));
    };
    for (const Abbreviation& a : kAbbreviations)
        ExpandAbbreviation(QString::fromLatin1(a.abbreviation), QString::fromLatin1(a.expansion));

    TABELA->SetCaption(QString());
    const QString text = field->Text();
    if (text.isEmpty()) return;
    const QString word = UpperCase(text.mid(text.lastIndexOf(QChar(' ')) + 1));
    if (!word.isEmpty()) {
        const TStrings& hints = HINTS->Lines();
        for (int i = 0; i < hints.Count(); ++i) {
            const QString line = hints.Get(i);
            if (line.startsWith(word)) {
                TABELA->SetCaption(line.mid(word.size()));
                break;
            }
        }
    }

    const QString rest = TABELA->Caption();
    if (rest.isEmpty()) return;
    const int length = static_cast<int>(text.size());
    // The appended rest must not be completed again; the nested change clears the flag.
    FSkipHint = true;
    field->SetText(field->Text() + rest);
    field->SetSelStart(length);
    field->SetSelLength(static_cast<int>(rest.size()));
}

void TFMain::SQL1KeyDown(TObject* sender, int& key, TShiftState) {
    if (key != VK_INSERT) return;
    auto* field = dynamic_cast<TEdit*>(sender);
    if (field == nullptr) return;
    // Puts back a completion that Delete or Backspace removed.
    field->SetText(field->Text() + TABELA->Caption());
}

void TFMain::FormKeyDown(TObject*, int& key, TShiftState) {
    if (key != VK_DELETE && key != VK_BACK) return;
    TWinControl* active = ActiveControl();
    for (TEdit* field : {SQL1, SQL2, SQL3, SQL4, SQL5, SQL6})
        if (active == field) FSkipHint = true;  // the deletion is not completed again at once
}
