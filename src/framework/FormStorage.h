#pragma once

#include <QString>
#include <memory>

#include "rtl/Classes.h"

class TForm;

// Where a form storage keeps its values: a registry key or a section of an INI file.
class StorageBackend {
  public:
    virtual ~StorageBackend() = default;
    // The value, or nullopt-like empty with found=false when it was never stored.
    virtual bool Read(const QString& name, QString& value) = 0;
    virtual void Write(const QString& name, const QString& value) = 0;
};

// Keeps a window's placement and a named list of its controls' properties
// ("SQL1.Text", "N.Lines", "Grid.Font", "KindOfHint.ItemIndex", "ChStopOnError.Checked",
// "PFULL.Height"...). It restores them each time the window goes from hidden to shown
// (texts come back without their outer blanks and control characters), saves them when
// the window is asked to close (once it has restored at least once), and again when the
// window is destroyed if nothing was saved since the last restore.
class TFormStorage : public TComponent {
  public:
    explicit TFormStorage(TForm* form);
    ~TFormStorage() override;

    void SetBackend(std::unique_ptr<StorageBackend> backend) { backend_ = std::move(backend); }
    void SetStorePlacement(bool on) { storePlacement_ = on; }
    TStringList& StoredProps() { return storedProps_; }

    void Restore();
    void Save();

  private:
    QString readProperty(TComponent* c, const QString& property) const;
    void writeProperty(TComponent* c, const QString& property, const QString& value) const;

    TForm* form_;
    std::unique_ptr<StorageBackend> backend_;
    TStringList storedProps_;
    bool storePlacement_ = true;
    bool restoredOnce_ = false;
    bool savedSinceRestore_ = false;
};
