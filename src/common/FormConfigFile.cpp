#include "common/FormConfigFile.h"

#include <utility>

#include "db/Field.h"
#include "framework/Buttons.h"
#include "framework/Charts.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/RxCtrls.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"
#include "framework/Tabs.h"
#include "platform/Codepage.h"
#include "rtl/SysUtils.h"

namespace {

constexpr int kMaxLine = 255;
constexpr char16_t kEndOfFile = 26;

// ---- content records -------------------------------------------------------

// One kind per row of the record table, in the order the rows are tested.
enum class Record {
    None,
    Label,
    ComboBox,
    LookupCombo,
    Button,
    MenuItem,
    CheckBoxWithChecked,
    CheckBox,
    RadioButton,
    GroupBox,
    RadioGroup,
    TabbedNotebook,
    Field,
    Notebook,
    ToolButton,
    SpeedButton,
    TabSheet,
    DBGrid,
    TabSet,
    Panel,
    Chart,
    DBChart,
    Edit,
    DateEditWithText,
    DateEdit,
    SpinEdit,
    MemoLines,
    RxQuerySQL,
    StrHolderLines,
};

QString typeLine(Record r) {
    switch (r) {
        case Record::Label:
            return QStringLiteral("TLabel");
        case Record::ComboBox:
            return QStringLiteral("TComboBox");
        case Record::LookupCombo:
            return QStringLiteral("TRxDBLookupCombo");
        case Record::Button:
            return QStringLiteral("TButton\\TBitBtn");
        case Record::MenuItem:
            return QStringLiteral("TMenuItem");
        case Record::CheckBoxWithChecked:
            return QStringLiteral("TCheckBoxWithChecked");
        case Record::CheckBox:
            return QStringLiteral("TCheckBox");
        case Record::RadioButton:
            return QStringLiteral("TRadioButton");
        case Record::GroupBox:
            return QStringLiteral("TGroupBox");
        case Record::RadioGroup:
            return QStringLiteral("TRadioGroup");
        case Record::TabbedNotebook:
            return QStringLiteral("TTabbedNoteBook");
        case Record::Field:
            return QStringLiteral("TField");
        case Record::Notebook:
            return QStringLiteral("TNotebook");
        case Record::ToolButton:
            return QStringLiteral("TToolButton");
        case Record::SpeedButton:
            return QStringLiteral("TSpeedButton");
        case Record::TabSheet:
            return QStringLiteral("TTabSheet");
        case Record::DBGrid:
            return QStringLiteral("TDBGrid");
        case Record::TabSet:
            return QStringLiteral("TTabSet");
        case Record::Panel:
            return QStringLiteral("TPanel");
        case Record::Chart:
            return QStringLiteral("TChart");
        case Record::DBChart:
            return QStringLiteral("TDBChart");
        case Record::Edit:
            return QStringLiteral("TEdit");
        case Record::DateEditWithText:
            return QStringLiteral("TDateEditWithTEXT");
        case Record::DateEdit:
            return QStringLiteral("TDateEdit");
        case Record::SpinEdit:
            return QStringLiteral("TSpinEdit");
        case Record::MemoLines:
            return QStringLiteral("TMemoLines");
        case Record::RxQuerySQL:
            return QStringLiteral("TRxQuerySQL");
        case Record::StrHolderLines:
            return QStringLiteral("TStrHolderLines");
        case Record::None:
            break;
    }
    return QString();
}

template <class T>
bool is(const TComponent* c) {
    return c->InheritsFrom<T>();
}

// The first row whose class the component is decides; a row that asks for a mark the
// component lacks gives no record (later rows are not tried).
Record recordOf(const TComponent* c) {
    const bool persist = (c->Tag() & PersistContentTag) == PersistContentTag;
    const bool skipTitles = (c->Tag() & SkipGridTitlesTag) == SkipGridTitlesTag;
    if (is<TLabel>(c)) return Record::Label;
    if (is<TComboBox>(c)) return Record::ComboBox;
    if (is<TRxDBLookupCombo>(c)) return Record::LookupCombo;
    if (is<TButton>(c)) return Record::Button;
    if (is<TMenuItem>(c)) return Record::MenuItem;
    if (is<TCheckBox>(c)) return persist ? Record::CheckBoxWithChecked : Record::CheckBox;
    if (is<TRadioButton>(c)) return Record::RadioButton;
    if (is<TGroupBox>(c)) return Record::GroupBox;
    if (is<TRadioGroup>(c)) return Record::RadioGroup;
    if (is<TTabbedNotebook>(c)) return Record::TabbedNotebook;
    if (is<TField>(c)) return Record::Field;
    if (is<TNotebook>(c)) return Record::Notebook;
    if (is<TToolButton>(c)) return Record::ToolButton;
    if (is<TSpeedButton>(c)) return Record::SpeedButton;
    if (is<TTabSheet>(c)) return Record::TabSheet;
    if (is<TDBGrid>(c)) return skipTitles ? Record::None : Record::DBGrid;
    if (is<TTabSet>(c)) return Record::TabSet;
    if (is<TPanel>(c)) return Record::Panel;
    if (is<TChart>(c)) return Record::Chart;
    if (is<TDBChart>(c)) return Record::DBChart;
    if (is<TEdit>(c)) return persist ? Record::Edit : Record::None;
    if (is<TDateEdit>(c)) return persist ? Record::DateEditWithText : Record::DateEdit;
    if (is<TSpinEdit>(c)) return persist ? Record::SpinEdit : Record::None;
    if (is<TMemo>(c)) return persist ? Record::MemoLines : Record::None;
    if (is<TRxQuery>(c)) return Record::RxQuerySQL;
    if (is<TStrHolder>(c)) return persist ? Record::StrHolderLines : Record::None;
    return Record::None;
}

template <class T>
T* as(TComponent* c) {
    return static_cast<T*>(c);
}
template <class T>
const T* as(const TComponent* c) {
    return static_cast<const T*>(c);
}

// A handler slot emptied for as long as the guard lives, so that a value set from the
// file runs no handler.
template <class Slot>
class Detached {
  public:
    explicit Detached(Slot& slot) : slot_(slot), saved_(std::exchange(slot, Slot{})) {}
    ~Detached() { slot_ = std::move(saved_); }
    Detached(const Detached&) = delete;
    Detached& operator=(const Detached&) = delete;

  private:
    Slot& slot_;
    Slot saved_;
};

// ---- writing ---------------------------------------------------------------

class Writer {
  public:
    void Line(const QString& s) {
        text_ += s;
        text_ += QLatin1String("\r\n");
    }
    void Integer(int v) { Line(QString::number(v)); }
    void Boolean(bool v) { Line(v ? QStringLiteral("T") : QStringLiteral("N")); }
    void CommaText(const TStrings& list) { Line(list.CommaText()); }
    const QString& Text() const { return text_; }

  private:
    QString text_;
};

QString windowStateText(TWindowState s) {
    switch (s) {
        case TWindowState::wsMinimized:
            return QStringLiteral("wsMinimized");
        case TWindowState::wsMaximized:
            return QStringLiteral("wsMaximized");
        case TWindowState::wsNormal:
            break;
    }
    return QStringLiteral("wsNormal");
}

void writeContent(Writer& w, const TComponent* c, Record r) {
    w.Line(typeLine(r));
    w.Line(c->Name());
    switch (r) {
        case Record::ComboBox:
            w.Integer(as<TComboBox>(c)->ItemIndex());
            break;
        case Record::LookupCombo:
            w.Line(as<TRxDBLookupCombo>(c)->DisplayEmpty());
            break;
        case Record::MenuItem:
            w.Line(as<TMenuItem>(c)->Caption());
            break;
        case Record::CheckBoxWithChecked:
            w.Line(as<TCheckBox>(c)->Caption());
            w.Boolean(as<TCheckBox>(c)->Checked());
            break;
        case Record::RadioGroup: {
            auto* g = const_cast<TRadioGroup*>(as<TRadioGroup>(c));
            w.Line(g->Caption());
            w.Integer(g->ItemIndex());
            w.CommaText(g->Items());
            break;
        }
        case Record::TabbedNotebook:
            break;
        case Record::Field:
            w.Line(as<TField>(c)->DisplayLabel());
            break;
        case Record::Notebook:
            w.CommaText(const_cast<TNotebook*>(as<TNotebook>(c))->Pages());
            break;
        case Record::DBGrid: {
            const auto* g = as<TDBGrid>(c);
            w.Integer(g->ColumnCount());
            for (int j = 0; j < g->ColumnCount(); ++j) w.Line(g->Columns(j).Title.Caption);
            break;
        }
        case Record::TabSet:
            w.CommaText(const_cast<TTabSet*>(as<TTabSet>(c))->Tabs());
            break;
        case Record::Chart:
        case Record::DBChart:
            w.CommaText(as<TCustomChart>(c)->Title.Text());
            break;
        case Record::Edit:
            w.Line(as<TEdit>(c)->Text());
            break;
        case Record::DateEditWithText:
            w.Line(as<TDateEdit>(c)->DialogTitle());
            w.Line(as<TDateEdit>(c)->Text());
            break;
        case Record::DateEdit:
            w.Line(as<TDateEdit>(c)->DialogTitle());
            break;
        case Record::SpinEdit:
            w.Integer(as<TSpinEdit>(c)->Value());
            break;
        case Record::MemoLines:
            w.CommaText(as<TMemo>(c)->Lines());
            break;
        case Record::RxQuerySQL:
            w.CommaText(const_cast<TRxQuery*>(as<TRxQuery>(c))->SQL());
            break;
        case Record::StrHolderLines:
            w.CommaText(const_cast<TStrHolder*>(as<TStrHolder>(c))->Strings());
            break;
        default:
            // Every other row keeps the caption alone.
            w.Line(as<TControl>(c)->Caption());
            break;
    }
}

// ---- reading ---------------------------------------------------------------

// Raised by the name check: the file no longer fits the window.
struct NameMismatch {};

class Reader {
  public:
    explicit Reader(const QByteArray& bytes) : lines_(bytes) {}
    QString Text() { return lines_.ReadLine(); }
    // The framework's integer conversion; anything else is damage.
    int Integer() { return StrToInt(lines_.ReadLine()); }
    bool Boolean() { return lines_.ReadLine() != QLatin1String("N"); }
    void CommaText(TStrings& list) { list.SetCommaText(lines_.ReadWholeLine()); }
    // The type line is read and dropped; the name line must name the live component.
    void Frame(const TComponent* c) {
        lines_.ReadLine();
        if (lines_.ReadLine() != c->Name()) throw NameMismatch{};
    }
    bool AtEnd() const { return lines_.AtEnd(); }

  private:
    ConfigLineReader lines_;
};

void readContent(Reader& in, TComponent* c, Record r) {
    in.Frame(c);
    switch (r) {
        case Record::ComboBox: {
            auto* b = as<TComboBox>(c);
            const Detached<TNotifyEvent> quiet(b->OnChange);
            b->SetItemIndex(in.Integer());
            break;
        }
        case Record::LookupCombo:
            as<TRxDBLookupCombo>(c)->SetDisplayEmpty(in.Text());
            break;
        case Record::MenuItem:
            as<TMenuItem>(c)->SetCaption(in.Text());
            break;
        case Record::CheckBoxWithChecked: {
            auto* b = as<TCheckBox>(c);
            const Detached<TNotifyEvent> quiet(b->OnClick);
            b->SetCaption(in.Text());
            b->SetChecked(in.Boolean());
            break;
        }
        case Record::CheckBox: {
            auto* b = as<TCheckBox>(c);
            const Detached<TNotifyEvent> quiet(b->OnClick);
            b->SetCaption(in.Text());
            break;
        }
        case Record::RadioGroup: {
            auto* g = as<TRadioGroup>(c);
            const Detached<TNotifyEvent> quiet(g->OnClick);
            g->SetCaption(in.Text());
            // The index is set while the old items are still in place.
            g->SetItemIndex(in.Integer());
            in.CommaText(g->Items());
            break;
        }
        case Record::TabbedNotebook:
            break;
        case Record::Field:
            as<TField>(c)->SetDisplayLabel(in.Text());
            break;
        case Record::Notebook:
            in.CommaText(as<TNotebook>(c)->Pages());
            break;
        case Record::DBGrid: {
            auto* g = as<TDBGrid>(c);
            const int n = in.Integer();
            for (int j = 0; j < n; ++j) {
                // Past the end every line is empty and one the grid has no column for is
                // dropped: a huge count in a short file ends here instead of spinning.
                if (j >= g->ColumnCount() && in.AtEnd()) break;
                const QString title = in.Text();
                if (j < g->ColumnCount()) g->SetTitleCaption(j, title);
            }
            break;
        }
        case Record::TabSet:
            in.CommaText(as<TTabSet>(c)->Tabs());
            break;
        case Record::Chart:
        case Record::DBChart:
            in.CommaText(as<TCustomChart>(c)->Title.Text());
            break;
        case Record::Edit:
            as<TEdit>(c)->SetText(in.Text());
            break;
        case Record::DateEditWithText:
            as<TDateEdit>(c)->SetDialogTitle(in.Text());
            as<TDateEdit>(c)->SetText(in.Text());
            break;
        case Record::DateEdit:
            as<TDateEdit>(c)->SetDialogTitle(in.Text());
            break;
        case Record::SpinEdit:
            as<TSpinEdit>(c)->SetValue(in.Integer());
            break;
        case Record::MemoLines:
            in.CommaText(as<TMemo>(c)->Lines());
            break;
        case Record::RxQuerySQL: {
            auto* q = as<TRxQuery>(c);
            const bool wasOpen = q->Active();
            in.CommaText(q->SQL());
            try {
                q->SetActive(wasOpen);
            } catch (...) {
                // A query that cannot be opened again is no fault of the file.
            }
            break;
        }
        case Record::StrHolderLines:
            in.CommaText(as<TStrHolder>(c)->Strings());
            break;
        default:
            as<TControl>(c)->SetCaption(in.Text());
            break;
    }
}

void readHeader(Reader& in, TForm& form) {
    const QString state = in.Text();
    form.SetWindowState(state == QLatin1String("wsNormal")      ? TWindowState::wsNormal
                        : state == QLatin1String("wsMinimized") ? TWindowState::wsMinimized
                                                                : TWindowState::wsMaximized);
    form.SetCaption(in.Text());
    QRect r = form.Placement();
    r.moveLeft(in.Integer());
    form.SetPlacement(r);
    r = form.Placement();
    r.moveTop(in.Integer());
    form.SetPlacement(r);
    if (const int width = in.Integer(); width != -1) {
        r = form.Placement();
        r.setWidth(width);
        form.SetPlacement(r);
    }
    if (const int height = in.Integer(); height != -1) {
        r = form.Placement();
        r.setHeight(height);
        form.SetPlacement(r);
    }
    form.SetHelpFile(in.Text());
    form.SetHelpContext(in.Integer());
}

}  // namespace

// ---- ConfigLineReader ------------------------------------------------------

ConfigLineReader::ConfigLineReader(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf(char(kEndOfFile));
    text_ = platform::FromCp1250(end >= 0 ? bytes.left(end) : bytes);
}

QString ConfigLineReader::ReadWholeLine() {
    if (AtEnd()) return QString();
    qsizetype cr = text_.indexOf(QChar('\r'), pos_);
    if (cr < 0) cr = text_.size();
    const QString line = text_.mid(pos_, cr - pos_);
    pos_ = cr + 1;
    if (pos_ < text_.size() && text_[pos_] == QChar('\n')) ++pos_;
    return line;
}

QString ConfigLineReader::ReadLine() {
    QString line = ReadWholeLine();
    line.truncate(kMaxLine);
    return line;
}

// ---- the file --------------------------------------------------------------

QByteArray FormConfigBytes(const TForm& form, const QString& fileName) {
    Writer w;
    const TWindowState state = form.WindowState();
    const QRect r = form.Placement();
    w.Line(windowStateText(state));
    w.Line(form.Caption());
    w.Integer(r.left());
    w.Integer(r.top());
    w.Integer(state == TWindowState::wsMaximized ? -1 : r.width());
    w.Integer(state == TWindowState::wsMaximized ? -1 : r.height());
    w.Line(form.HelpFile());
    w.Integer(form.HelpContext());
    for (int i = 0; i < form.ComponentCount(); ++i) {
        const TComponent* c = form.Components(i);
        if (const Record r = recordOf(c); r != Record::None) writeContent(w, c, r);
        if (const auto* control = dynamic_cast<const TControl*>(c)) {
            w.Line(QStringLiteral("TControl"));
            w.Line(control->Name());
            w.Boolean(control->ShowHint());
            w.Line(control->Hint());
        }
    }
    return platform::ToCp1250Strict(w.Text(), fileName);
}

FormConfigOutcome ApplyFormConfig(TForm& form, const QByteArray& bytes) {
    Reader in(bytes);
    QString object = form.Name();
    try {
        readHeader(in, form);
        for (int i = 0; i < form.ComponentCount(); ++i) {
            TComponent* c = form.Components(i);
            object = c->Name();
            if (const Record r = recordOf(c); r != Record::None) readContent(in, c, r);
            if (auto* control = dynamic_cast<TControl*>(c)) {
                in.Frame(control);
                control->SetShowHint(in.Boolean());
                control->SetHint(in.Text());
            }
        }
    } catch (const NameMismatch&) {
        return {FormConfigOutcome::Stopped, QString()};
    } catch (const std::exception&) {
        return {FormConfigOutcome::Damaged, object};
    }
    return {FormConfigOutcome::Complete, QString()};
}
