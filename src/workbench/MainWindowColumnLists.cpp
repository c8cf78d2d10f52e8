// A click on a column title of the query grid puts the column's title, or its values
// as a list, on the clipboard.
#include "common/UtilityParent.h"
#include "db/Field.h"
#include "db/Query.h"
#include "framework/BusyCursor.h"
#include "framework/DBGrids.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"
#include "seam/DialogSeam.h"
#include "workbench/ColumnLists.h"
#include "workbench/MainWindow.h"

namespace {

enum AfterClick { kColumnName = 0, kInCondition = 1, kCommaList = 2, kLineList = 3 };
enum Quoting { kByFieldClass = 0, kAlwaysQuoted = 1, kNeverQuoted = 2 };

// Past this many records the user is asked whether the list should grow on.
constexpr int kPiecesBeforeQuestion = 256;

}  // namespace

bool FieldNeedsQuotes(const TField* field) {
    return dynamic_cast<const TIntegerField*>(field) == nullptr &&
           dynamic_cast<const TDateTimeField*>(field) == nullptr &&
           dynamic_cast<const TFloatField*>(field) == nullptr;
}

QString QuotedSQLValue(const QString& text) {
    if (Trim(text).isEmpty()) return QString();
    QString doubled = text;
    doubled.replace(QChar('\''), QStringLiteral("''"));
    return QChar('\'') + doubled + QChar('\'');
}

void TFMain::GridTitleClick(TColumn& column) {
    const int kind = AfterClickInColumn->ItemIndex();
    if (kind != kInCondition && kind != kCommaList && kind != kLineList) {
        if (kind != kColumnName) ShowInfo(QStringLiteral("Option "));
        const QString caption = column.Title.Caption;
        if (Trim(caption).isEmpty()) return;
        CopyTextToClipboard(caption);
        ShowStatus(QStringLiteral("There is the text in the clipboard : ") + caption);
        return;
    }

    const QString separator = kind == kLineList ? QStringLiteral("\r\n") : QStringLiteral(",");
    bool quoted = false;
    switch (ObtainInExpression->ItemIndex()) {
        case kByFieldClass:
            quoted = FieldNeedsQuotes(column.Field());
            break;
        case kAlwaysQuoted:
            quoted = true;
            break;
        default:
            quoted = false;
            break;
    }

    QString list;
    {
        // Reattached even when reading a value fails, so the grid never stays frozen.
        TControlsDisabled detached(*MainQuery);
        const BusyCursor busy;
        int records = 0;
        MainQuery->First();
        while (!MainQuery->Eof()) {
            QString value = MainQuery->FieldByName(column.FieldName)->AsString();
            if (quoted) value = QuotedSQLValue(value);
            if (!Trim(value).isEmpty()) {
                if (!list.isEmpty()) list += separator;
                list += value;
            }
            MainQuery->Next();
            ++records;
            if (records == kPiecesBeforeQuestion &&
                AskYesNo(
                    QStringLiteral("Expression has already reached 256 pieces. Do you want to continue ?")) ==
                    platform::IDNO)
                MainQuery->Last();
        }
    }

    const QString text =
        kind == kInCondition ? column.FieldName + QStringLiteral(" in (") + list + QChar(')') : list;
    CopyTextToClipboard(text);
    ShowStatus(QStringLiteral("Result was set in the clipboard"));
}
