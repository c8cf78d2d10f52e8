#include "framework/StorageBackends.h"

#include "platform/IniFile.h"
#include "platform/Registry.h"

namespace {

class RegistryBackend : public StorageBackend {
  public:
    explicit RegistryBackend(QString key) : key_(std::move(key)) {}
    bool Read(const QString& name, QString& value) override {
        platform::TRegistry reg(platform::RootKey::CurrentUser);
        if (!reg.OpenKey(QStringLiteral("\\") + key_, false) || !reg.ValueExists(name)) return false;
        value = reg.ReadString(name);
        return true;
    }
    void Write(const QString& name, const QString& value) override {
        platform::TRegistry reg(platform::RootKey::CurrentUser);
        reg.OpenKey(QStringLiteral("\\") + key_, true);
        reg.WriteString(name, value);
    }

  private:
    QString key_;
};

class IniBackend : public StorageBackend {
  public:
    IniBackend(const QString& fileName, QString section) : file_(fileName), section_(std::move(section)) {}
    bool Read(const QString& name, QString& value) override {
        if (!file_.ReadSection(section_).contains(name, Qt::CaseInsensitive)) return false;
        value = file_.ReadString(section_, name, QString());
        return true;
    }
    void Write(const QString& name, const QString& value) override {
        file_.WriteString(section_, name, value);
    }

  private:
    platform::TIniFile file_;
    QString section_;
};

}  // namespace

std::unique_ptr<StorageBackend> RegistryStorage(const QString& keyPath) {
    return std::make_unique<RegistryBackend>(keyPath);
}

std::unique_ptr<StorageBackend> IniStorage(const QString& fileName, const QString& section) {
    return std::make_unique<IniBackend>(fileName, section);
}
