// The text operations: each reads the first memo's lines once and writes its result
// back in one edit, so that large scripts stay quick.
#include "workbench/MemoToolbar.h"

#include "common/AmountToWords.h"
#include "common/Fields.h"
#include "common/MessageBoxes.h"
#include "framework/Buttons.h"
#include "framework/MemoEdit.h"
#include "framework/ReplaceDialog.h"
#include "framework/StdCtrls.h"
#include "rtl/StrUtils.h"
#include "rtl/SysUtils.h"

TFMemoToolbar* FMemoToolbar = nullptr;

namespace {

// A filled line grows by this many blanks at most.
constexpr int kMaxFill = 1000;
// Dropping the first character keeps at most this much of the rest.
constexpr int kMaxDropFirst = 65000;

}  // namespace

void ShowMemoToolbar(TMemo* memo, TMemo* secondMemo, TSpeedButton* button) {
    FMemoToolbar->FMemo = memo;
    FMemoToolbar->FSecondMemo = secondMemo;
    FMemoToolbar->FButton = button;
    FMemoToolbar->Show();
}

void HideMemoToolbar() {
    FMemoToolbar->Hide();
}

QString IntToBin(int32_t value) {
    return QString::number(static_cast<uint32_t>(value), 2).rightJustified(32, QChar('0'));
}

void TFMemoToolbar::bindHandlers() {
    BTrim->OnClick = [this](TObject* s) { BTrimClick(s); };
    SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
    SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
    SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
    SpeedButton5->OnClick = [this](TObject* s) { SpeedButton5Click(s); };
    SpeedButton6->OnClick = [this](TObject* s) { SpeedButton6Click(s); };
    SpeedButton7->OnClick = [this](TObject* s) { SpeedButton7Click(s); };
    SpeedButton8->OnClick = [this](TObject* s) { SpeedButton8Click(s); };
    SpeedButton9->OnClick = [this](TObject* s) { SpeedButton9Click(s); };
    SpeedButton10->OnClick = [this](TObject* s) { SpeedButton10Click(s); };
    SpeedButton11->OnClick = [this](TObject* s) { SpeedButton11Click(s); };
    SpeedButton12->OnClick = [this](TObject* s) { SpeedButton12Click(s); };
    SpeedButton13->OnClick = [this](TObject* s) { SpeedButton13Click(s); };
    SpeedButton14->OnClick = [this](TObject* s) { SpeedButton14Click(s); };
    BClose->OnClick = [this](TObject* s) { BCloseClick(s); };
    ReplaceDialog->OnReplace = [this](TObject* s) { ReplaceDialogReplace(s); };
    OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
}

void TFMemoToolbar::rewriteLines(const std::function<QString(const QString&)>& f) {
    QStringList lines = FMemo->Lines().ToStringList();
    bool changed = false;
    for (QString& line : lines) {
        QString result = f(line);
        if (result != line) {
            line = std::move(result);
            changed = true;
        }
    }
    // An operation that changes nothing leaves the script unmodified.
    if (changed) ReplaceMemoLines(FMemo, lines);
}

void TFMemoToolbar::resultLines(const std::function<QString(const QString&)>& f) {
    const QStringList lines = FMemo->Lines().ToStringList();
    QStringList results;
    results.reserve(lines.size());
    for (const QString& line : lines) results.append(f(line));
    ReplaceMemoLines(FSecondMemo, results);
}

void TFMemoToolbar::convertLines(const std::function<QString(const QString&)>& f) {
    resultLines([&f](const QString& line) {
        try {
            return f(Trim(line));
        } catch (const std::exception&) {
            return QStringLiteral("Conversion error");
        }
    });
}

bool TFMemoToolbar::delimiter(QChar& d) {
    const QString text = ExtractWord2->Text();
    if (text.isEmpty()) {
        ShowError(QStringLiteral("You should set exactly 1 char in Delimiter field"));
        return false;
    }
    d = text.at(0);
    return true;
}

void TFMemoToolbar::BTrimClick(TObject*) {
    rewriteLines([](const QString& line) { return Trim(line); });
}

void TFMemoToolbar::SpeedButton1Click(TObject*) {
    rewriteLines([](const QString& line) { return line.mid(1, kMaxDropFirst); });
}

void TFMemoToolbar::SpeedButton5Click(TObject*) {
    rewriteLines([](const QString& line) { return line.left(line.size() - 1); });
}

void TFMemoToolbar::SpeedButton3Click(TObject*) {
    const QString separator = EPowiel->Text();
    rewriteLines([&separator](const QString& line) { return line + separator + line; });
}

void TFMemoToolbar::SpeedButton2Click(TObject*) {
    const QString prefix = ELitPre->Text();
    const QString suffix = ELitPost->Text();
    rewriteLines([&](const QString& line) { return prefix + line + suffix; });
}

void TFMemoToolbar::SpeedButton6Click(TObject*) {
    QStringList lines = FMemo->Lines().ToStringList();
    qsizetype longest = 0;
    for (const QString& line : lines) longest = std::max(longest, line.size());
    bool changed = false;
    for (QString& line : lines) {
        const qsizetype target = std::min(longest, line.size() + kMaxFill);
        if (line.size() < target) {
            line.append(QString(target - line.size(), QChar(' ')));
            changed = true;
        }
    }
    if (changed) ReplaceMemoLines(FMemo, lines);
}

void TFMemoToolbar::SpeedButton4Click(TObject*) {
    ReplaceDialog->Execute();
}

void TFMemoToolbar::ReplaceDialogReplace(TObject*) {
    const QString find = ReplaceDialog->FindText();
    if (find.isEmpty()) return;
    const QStringList lines = FMemo->Lines().ToStringList();
    const QString text = lines.join(QStringLiteral("\r\n"));
    const QString replaced = ReplaceStr(text, find, ReplaceDialog->ReplaceText());
    if (replaced == text) return;
    ReplaceMemoLines(FMemo, replaced.split(QStringLiteral("\r\n")));
}

void TFMemoToolbar::SpeedButton7Click(TObject*) {
    // The field number first: a bad one is reported before the delimiter is looked at.
    const int n = StrToInt(ExtractWord1->Text());
    QChar d;
    if (!delimiter(d)) return;
    const TCharSet delims{d};
    resultLines([n, &delims](const QString& line) { return ExtractField(n, line, delims); });
}

void TFMemoToolbar::SpeedButton8Click(TObject*) {
    QChar d;
    if (!delimiter(d)) return;
    const TCharSet delims{d};
    resultLines([&delims](const QString& line) { return QString::number(FieldCount(line, delims)); });
}

void TFMemoToolbar::SpeedButton9Click(TObject*) {
    ExtractWord2->SetText(QStringLiteral("\t"));
}

void TFMemoToolbar::SpeedButton10Click(TObject*) {
    QStringList first = FMemo->Lines().ToStringList();
    QStringList second = FSecondMemo->Lines().ToStringList();
    const qsizetype lines = std::max(first.size(), second.size());
    first.resize(lines);
    second.resize(lines);
    for (qsizetype i = 0; i < first.size(); ++i) first[i] += second[i];
    ReplaceMemoLines(FMemo, first);
    ReplaceMemoLines(FSecondMemo, QStringList(first.size(), QString()));
}

void TFMemoToolbar::SpeedButton11Click(TObject*) {
    convertLines([](const QString& line) { return IntToRoman(StrToInt(line)); });
}

void TFMemoToolbar::SpeedButton12Click(TObject*) {
    convertLines([](const QString& line) { return Dec2Hex(StrToInt(line), 10); });
}

void TFMemoToolbar::SpeedButton13Click(TObject*) {
    convertLines([](const QString& line) { return IntToBin(StrToInt(line)); });
}

void TFMemoToolbar::SpeedButton14Click(TObject*) {
    convertLines([](const QString& line) { return AmountToWords(StrToFloat(line)); });
}

void TFMemoToolbar::BCloseClick(TObject*) {
    Close();
}

void TFMemoToolbar::FormClose(TObject*, TCloseAction&) {
    // Raising the button by program fires none of its clicks.
    if (FButton != nullptr) FButton->SetDown(false);
}
