#include "rtl/Classes.h"

#include <algorithm>

#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

// ---- TComponent ------------------------------------------------------------

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr) owner->insertComponent(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_ != nullptr) owner_->removeComponent(this);
}

void TComponent::DestroyComponents() {
    destroying_ = true;
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
    destroying_ = false;
}

TComponent* TComponent::FindComponent(const QString& name) const {
    for (TComponent* c : components_)
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TComponent::SetOwner(TComponent* owner) {
    if (owner_ == owner) return;
    if (owner_ != nullptr) owner_->removeComponent(this);
    if (owner != nullptr) owner->insertComponent(this);
}

void TComponent::insertComponent(TComponent* c) {
    c->owner_ = this;
    components_.push_back(c);
}

void TComponent::removeComponent(TComponent* c) {
    if (destroying_) return;
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it != components_.end()) components_.erase(it);
    c->owner_ = nullptr;
}

// ---- TStrings --------------------------------------------------------------

void TStrings::Clear() {
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
    EndUpdate();
}

int TStrings::Add(const QString& s) {
    const int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::IndexOf(const QString& s) const {
    for (int i = 0; i < Count(); ++i)
        if (Get(i).compare(s, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TStrings::AddStrings(const TStrings& other) {
    BeginUpdate();
    for (int i = 0; i < other.Count(); ++i) Add(other.Get(i));
    EndUpdate();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this) return;
    // Through the list form, so a storage that fills faster in one go does so here too.
    Assign(other.ToStringList());
}

void TStrings::Assign(const QStringList& lines) {
    BeginUpdate();
    Clear();
    for (const QString& line : lines) Add(line);
    EndUpdate();
}

QStringList TStrings::ToStringList() const {
    QStringList r;
    r.reserve(Count());
    for (int i = 0; i < Count(); ++i) r.append(Get(i));
    return r;
}

QString TStrings::Text() const {
    QString r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += QStringLiteral("\r\n");
    }
    return r;
}

void TStrings::SetText(const QString& text) {
    BeginUpdate();
    Clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            Add(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n) Add(text.mid(start));
    EndUpdate();
}

QString TStrings::CommaText() const {
    const int n = Count();
    if (n == 1 && Get(0).isEmpty()) return QStringLiteral("\"\"");
    QString r;
    for (int i = 0; i < n; ++i) {
        const QString item = Get(i);
        bool quote = false;
        for (QChar c : item)
            if (c.unicode() <= 32 || c == QLatin1Char('"') || c == QLatin1Char(',')) {
                quote = true;
                break;
            }
        if (i > 0) r += QLatin1Char(',');
        if (quote) {
            QString inner = item;
            inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            r += QLatin1Char('"') + inner + QLatin1Char('"');
        } else {
            r += item;
        }
    }
    return r;
}

void TStrings::SetCommaText(const QString& text) {
    BeginUpdate();
    Clear();
    // A NUL ends the text, as it ends a terminated 8-bit string.
    const qsizetype nul = text.indexOf(QChar(0));
    const QString s = nul >= 0 ? text.left(nul) : text;
    const qsizetype n = s.size();
    qsizetype p = 0;
    auto skipBlanks = [&]() {
        while (p < n && s[p].unicode() >= 1 && s[p].unicode() <= 32) ++p;
    };
    skipBlanks();
    while (p < n) {
        QString item;
        if (s[p] == QLatin1Char('"')) {
            ++p;
            while (p < n) {
                if (s[p] == QLatin1Char('"')) {
                    if (p + 1 < n && s[p + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += s[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && s[p].unicode() > 32 && s[p] != QLatin1Char(',')) ++p;
            item = s.mid(start, p - start);
        }
        Add(item);
        skipBlanks();
        if (p < n && s[p] == QLatin1Char(',')) {
            do {
                ++p;
            } while (p < n && s[p].unicode() >= 1 && s[p].unicode() <= 32);
        }
    }
    EndUpdate();
}

QString TStrings::Names(int index) const {
    const QString line = Get(index);
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq >= 0 ? line.left(eq) : QString();
}

int TStrings::IndexOfName(const QString& name) const {
    for (int i = 0; i < Count(); ++i) {
        const QString line = Get(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && line.left(eq).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString TStrings::Values(const QString& name) const {
    const int i = IndexOfName(name);
    if (i < 0) return QString();
    const QString line = Get(i);
    return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

void TStrings::SetValue(const QString& name, const QString& value) {
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) Delete(i);
        return;
    }
    const QString line = name + QLatin1Char('=') + value;
    if (i >= 0)
        Put(i, line);
    else
        Add(line);
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) {
        SetUpdateState(false);
        if (changedWhileUpdating_) {
            changedWhileUpdating_ = false;
            Changed();
        }
    }
}

void TStrings::NotifyChanged() {
    if (updateCount_ > 0)
        changedWhileUpdating_ = true;
    else
        Changed();
}

// ---- TStringList -----------------------------------------------------------

void TStringList::checkIndex(int index, bool allowEnd) const {
    const int limit = allowEnd ? Count() : Count() - 1;
    if (index < 0 || index > limit)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TStringList::Get(int index) const {
    checkIndex(index, false);
    return lines_.at(index);
}

void TStringList::Put(int index, const QString& s) {
    checkIndex(index, false);
    lines_[index] = s;
    NotifyChanged();
}

void TStringList::Insert(int index, const QString& s) {
    checkIndex(index, true);
    lines_.insert(index, s);
    NotifyChanged();
}

void TStringList::Delete(int index) {
    checkIndex(index, false);
    lines_.removeAt(index);
    NotifyChanged();
}

void TStringList::Clear() {
    if (lines_.isEmpty()) return;
    lines_.clear();
    NotifyChanged();
}

void TStringList::Changed() {
    if (OnChange) OnChange(this);
}
