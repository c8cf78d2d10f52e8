#include "framework/FormStorage.h"

#include <exception>
#include <optional>

#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"

TFormStorage::TFormStorage(TForm* form) : TComponent(form), form_(form) {
    form->AddShowHook([this] { Restore(); });
    form->AddCloseHook([this] { Save(); });
    // A window still open at exit keeps what changed since it was shown.
    form->AddDestroyHook([this] {
        if (!restoredOnce_ || savedSinceRestore_) return;
        try {
            Save();
        } catch (...) {
            // Nothing can be reported any more while the program ends.
        }
    });
}

TFormStorage::~TFormStorage() = default;

void TFormStorage::Restore() {
    if (!backend_) return;
    QString value;
    // A value that cannot be read (stored with another type) is reported once the others
    // are restored; the next save then replaces it with a readable one.
    std::exception_ptr unreadable;
    // Whether the value is stored; nullopt when it is, but cannot be read.
    auto read = [this, &unreadable](const QString& name, QString& out) -> std::optional<bool> {
        try {
            return backend_->Read(name, out);
        } catch (...) {
            if (!unreadable) unreadable = std::current_exception();
            return std::nullopt;
        }
    };
    if (storePlacement_) {
        QString l, t, w, h, state;
        // Each is read, so that one of another type does not hide the others.
        const bool left = read(QStringLiteral("Left"), l).value_or(false);
        const bool top = read(QStringLiteral("Top"), t).value_or(false);
        const bool width = read(QStringLiteral("Width"), w).value_or(false);
        const bool height = read(QStringLiteral("Height"), h).value_or(false);
        const bool stored = left && top && width && height;
        if (stored) {
            int32_t il, it, iw, ih;
            if (TryStrToInt(l, il) && TryStrToInt(t, it) && TryStrToInt(w, iw) && TryStrToInt(h, ih) &&
                iw > 0 && ih > 0)
                form_->SetPlacement(QRect(il, it, iw, ih));
        }
        if (read(QStringLiteral("WindowState"), state).value_or(false)) {
            if (state == QLatin1String("wsMaximized"))
                form_->SetWindowState(TWindowState::wsMaximized);
            else if (state == QLatin1String("wsNormal"))
                form_->SetWindowState(TWindowState::wsNormal);
        }
    }
    for (const QString& entry : storedProps_.Lines()) {
        const qsizetype dot = entry.indexOf(QChar('.'));
        if (dot < 0) continue;
        TComponent* c = form_->FindComponent(entry.left(dot));
        if (c == nullptr) continue;
        const QString property = entry.mid(dot + 1);
        const std::optional<bool> stored = read(entry, value);
        if (!stored) continue;
        // Texts come back trimmed also when nothing is stored yet.
        if (!*stored) {
            if (property.compare(QLatin1String("Text"), Qt::CaseInsensitive) == 0)
                writeProperty(c, property, Trim(readProperty(c, property)));
            continue;
        }
        writeProperty(c, property, value);
    }
    restoredOnce_ = true;
    savedSinceRestore_ = false;
    if (unreadable) std::rethrow_exception(unreadable);
}

void TFormStorage::Save() {
    if (!backend_ || !restoredOnce_) return;
    if (storePlacement_) {
        const QRect r = form_->Placement();
        const TWindowState s = form_->WindowState();
        backend_->Write(QStringLiteral("WindowState"),
                        s == TWindowState::wsMaximized   ? QStringLiteral("wsMaximized")
                        : s == TWindowState::wsMinimized ? QStringLiteral("wsMinimized")
                                                         : QStringLiteral("wsNormal"));
        backend_->Write(QStringLiteral("Left"), QString::number(r.x()));
        backend_->Write(QStringLiteral("Top"), QString::number(r.y()));
        backend_->Write(QStringLiteral("Width"), QString::number(r.width()));
        backend_->Write(QStringLiteral("Height"), QString::number(r.height()));
    }
    for (const QString& entry : storedProps_.Lines()) {
        const qsizetype dot = entry.indexOf(QChar('.'));
        if (dot < 0) continue;
        TComponent* c = form_->FindComponent(entry.left(dot));
        if (c == nullptr) continue;
        backend_->Write(entry, readProperty(c, entry.mid(dot + 1)));
    }
    savedSinceRestore_ = true;
}

QString TFormStorage::readProperty(TComponent* c, const QString& property) const {
    const QString p = property.toLower();
    if (p == QLatin1String("text")) {
        if (auto* e = dynamic_cast<TEdit*>(c)) return e->Text();
        if (auto* b = dynamic_cast<TComboBox*>(c)) return b->Text();
        if (auto* m = dynamic_cast<TMemo*>(c)) return m->Text();
    } else if (p == QLatin1String("lines")) {
        if (auto* m = dynamic_cast<TMemo*>(c)) return m->Lines().CommaText();
    } else if (p == QLatin1String("checked")) {
        if (auto* b = dynamic_cast<TCheckBox*>(c))
            return b->Checked() ? QStringLiteral("1") : QStringLiteral("0");
    } else if (p == QLatin1String("itemindex")) {
        if (auto* g = dynamic_cast<TRadioGroup*>(c)) return QString::number(g->ItemIndex());
        if (auto* b = dynamic_cast<TComboBox*>(c)) return QString::number(b->ItemIndex());
    } else if (p == QLatin1String("height")) {
        if (auto* w = dynamic_cast<TControl*>(c)) return QString::number(w->Height());
    } else if (p == QLatin1String("width")) {
        if (auto* w = dynamic_cast<TControl*>(c)) return QString::number(w->Width());
    } else if (p == QLatin1String("font")) {
        if (auto* w = dynamic_cast<TControl*>(c)) return w->Font().ToText();
    }
    return QString();
}

void TFormStorage::writeProperty(TComponent* c, const QString& property, const QString& value) const {
    const QString p = property.toLower();
    int32_t n = 0;
    if (p == QLatin1String("text")) {
        const QString text = Trim(value);
        if (auto* e = dynamic_cast<TEdit*>(c)) e->SetText(text);
        if (auto* b = dynamic_cast<TComboBox*>(c)) b->SetText(text);
        if (auto* m = dynamic_cast<TMemo*>(c)) m->SetText(text);
    } else if (p == QLatin1String("lines")) {
        // Lines keep their indentation: they are SQL and notes, not single values.
        if (auto* m = dynamic_cast<TMemo*>(c)) {
            TStringList lines;
            lines.SetCommaText(value);
            m->SetText(lines.Count() == 0 ? QString() : lines.Text());
        }
    } else if (p == QLatin1String("checked")) {
        if (auto* b = dynamic_cast<TCheckBox*>(c)) b->SetChecked(Trim(value) == QLatin1String("1"));
    } else if (p == QLatin1String("itemindex")) {
        if (!TryStrToInt(value, n)) return;
        if (auto* g = dynamic_cast<TRadioGroup*>(c)) g->SetItemIndex(n);
        if (auto* b = dynamic_cast<TComboBox*>(c)) b->SetItemIndex(n);
    } else if (p == QLatin1String("height")) {
        if (auto* w = dynamic_cast<TControl*>(c); w != nullptr && TryStrToInt(value, n) && n > 0)
            w->SetHeight(n);
    } else if (p == QLatin1String("width")) {
        if (auto* w = dynamic_cast<TControl*>(c); w != nullptr && TryStrToInt(value, n) && n > 0)
            w->SetWidth(n);
    } else if (p == QLatin1String("font")) {
        if (auto* w = dynamic_cast<TControl*>(c)) {
            TFont f = w->Font();
            if (f.FromText(value)) w->SetFont(f);
        }
    }
}
