#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Root of the runtime's classes: a class test is a dynamic_cast.
class TObject {
  public:
    virtual ~TObject() = default;
    template <class T>
    bool InheritsFrom() const {
        return dynamic_cast<const T*>(this) != nullptr;
    }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// A component has a Name, a Tag and an owner; the owner keeps its components in
// creation order and destroys them (most recent first) when it is destroyed.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const QString& Name() const { return name_; }
    virtual void SetName(const QString& name) { name_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    // First owned component with that name, letter case ignored (nullptr when none).
    TComponent* FindComponent(const QString& name) const;

    // Moves this component to another owner (appended at the end of its list).
    void SetOwner(TComponent* owner);

    // Destroys the owned components, most recent first. Classes whose own resources
    // must outlive their components call it first thing in their destructor.
    void DestroyComponents();
    // True while the component is destroying its owned components: handlers that
    // reach for siblings must not run then.
    bool Destroying() const { return destroying_; }

  private:
    void insertComponent(TComponent* c);
    void removeComponent(TComponent* c);

    QString name_;
    int tag_ = 0;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    bool destroying_ = false;
};

// An ordered list of text lines. Subclasses supply the storage (a plain list, a
// memo's lines, a combo box's items); everything else is written on top of five calls.
class TStrings : public TObject {
  public:
    virtual int Count() const = 0;
    virtual QString Get(int index) const = 0;
    virtual void Put(int index, const QString& s) = 0;
    virtual void Insert(int index, const QString& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear();

    QString operator[](int index) const { return Get(index); }
    int Add(const QString& s);
    void Append(const QString& s) { Add(s); }
    int IndexOf(const QString& s) const;
    void AddStrings(const TStrings& other);
    void Assign(const TStrings& other);
    // Every line at once (storages that fill faster in one go override it).
    virtual void Assign(const QStringList& lines);
    // Every line at once (storages that walk faster in one go override it).
    virtual QStringList ToStringList() const;

    // Lines each followed by CR LF; set: lines split at CR LF, lone CR or lone LF,
    // and a break at the very end starts no further line.
    virtual QString Text() const;
    virtual void SetText(const QString& text);

    // Items separated by ","; an item with a character of code 0..32, a double quote or
    // a comma is written in double quotes (inner quotes doubled); one empty item is "".
    QString CommaText() const;
    void SetCommaText(const QString& text);

    // name=value lines. Setting an empty value removes the line.
    QString Names(int index) const;
    QString Values(const QString& name) const;
    void SetValue(const QString& name, const QString& value);
    int IndexOfName(const QString& name) const;

    // Batches changes: OnChange fires once at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

  protected:
    // Subclasses call this after every change; it fires Changed() now or at EndUpdate.
    void NotifyChanged();
    // Fired once per change, or once per outermost BeginUpdate/EndUpdate batch.
    virtual void Changed() {}
    virtual void SetUpdateState(bool updating) {}

  private:
    int updateCount_ = 0;
    bool changedWhileUpdating_ = false;
};

class TStringList : public TStrings {
  public:
    TStringList() = default;
    explicit TStringList(const QStringList& lines) : lines_(lines) {}
    TStringList(const TStringList& other) : TStrings(), lines_(other.lines_) {}
    TStringList& operator=(const TStringList& other) {
        lines_ = other.lines_;
        NotifyChanged();
        return *this;
    }

    int Count() const override { return static_cast<int>(lines_.size()); }
    QString Get(int index) const override;
    void Put(int index, const QString& s) override;
    void Insert(int index, const QString& s) override;
    void Delete(int index) override;
    void Clear() override;

    const QStringList& Lines() const { return lines_; }

    TNotifyEvent OnChange;

  protected:
    void Changed() override;

  private:
    void checkIndex(int index, bool allowEnd) const;
    QStringList lines_;
};
