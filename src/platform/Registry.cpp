#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "platform/TextFiles.h"
#include "rtl/Exception.h"

namespace platform {

namespace {

// A hive that cannot be read counts as empty: reads then give empty texts, and a
// write refuses to replace a file it could not read (see store()).
struct Loaded {
    RegistryHive hive;
    bool readable = true;
};

Loaded load(RootKey root) {
    const QString path = HiveFileName(root);
    Loaded result;
    if (!QFileInfo::exists(path)) return result;
    try {
        result.hive = RegistryHive::Parse(FromCp1250(ReadLocalFile(path)));
    } catch (const EInOutError&) {
        result.readable = false;
    }
    return result;
}

bool store(RootKey root, const Loaded& loaded) {
    // An existing file that could not be read would be lost by writing over it.
    if (!loaded.readable) return false;
    if (!QDir().mkpath(ConfigFolder())) return false;
    try {
        ReplaceFile(HiveFileName(root), ToCp1250(loaded.hive.Format()));
    } catch (const EInOutError&) {
        return false;
    }
    return true;
}

QString normalized(const QString& path) {
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

[[noreturn]] void failedToSet(const QString& name) {
    throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
}

}  // namespace

QString RootKeyName(RootKey root) {
    return root == RootKey::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                         : QStringLiteral("HKEY_CURRENT_USER");
}

QString HiveFileName(RootKey root) {
    return ConfigFolder() + QLatin1Char('/') + RootKeyName(root) + QStringLiteral(".reg");
}

TRegistry::TRegistry(RootKey root) : root_(root) {}

void TRegistry::SetRootKey(RootKey root) {
    CloseKey();
    root_ = root;
}

QString TRegistry::fullCurrentPath() const {
    return currentPath_.isEmpty() ? RootKeyName(root_) : RootKeyName(root_) + QLatin1Char('\\') + currentPath_;
}

QString TRegistry::resolve(const QString& key) const {
    const bool absolute = key.startsWith(QLatin1Char('\\')) || !open_;
    const QString below = normalized(absolute ? key : currentPath_ + QLatin1Char('\\') + key);
    return below.isEmpty() ? RootKeyName(root_) : RootKeyName(root_) + QLatin1Char('\\') + below;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    const QString full = resolve(key);
    Loaded loaded = load(root_);
    const bool isRoot = full == RootKeyName(root_);
    if (!isRoot && !loaded.hive.HasKey(full)) {
        if (!canCreate) return false;
        loaded.hive.AddKey(full);
        if (!store(root_, loaded)) return false;
    }
    currentPath_ = full.mid(RootKeyName(root_).size() + 1);
    open_ = true;
    return true;
}

void TRegistry::CloseKey() {
    open_ = false;
    currentPath_.clear();
}

QString TRegistry::ReadString(const QString& name) const {
    if (!open_) return QString();
    const Loaded loaded = load(root_);
    const HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    const HiveEntry* value = key != nullptr ? RegistryHive::FindValue(*key, name) : nullptr;
    if (value == nullptr) return QString();
    if (!value->isString) throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value->text;
}

void TRegistry::WriteString(const QString& name, const QString& value) {
    if (!open_) failedToSet(name);
    Loaded loaded = load(root_);
    // A key another object deleted meanwhile comes back, as the open handle would keep it.
    HiveKey& key = loaded.hive.AddKey(fullCurrentPath());
    RegistryHive::SetString(key, name, value);
    if (!store(root_, loaded)) failedToSet(name);
}

bool TRegistry::ValueExists(const QString& name) const {
    if (!open_) return false;
    const Loaded loaded = load(root_);
    const HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    return key != nullptr && RegistryHive::FindValue(*key, name) != nullptr;
}

bool TRegistry::DeleteValue(const QString& name) {
    if (!open_) return false;
    Loaded loaded = load(root_);
    HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    if (key == nullptr || !RegistryHive::RemoveValue(*key, name)) return false;
    return store(root_, loaded);
}

QStringList TRegistry::GetValueNames() const {
    if (!open_) return {};
    const Loaded loaded = load(root_);
    const HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    return key != nullptr ? RegistryHive::ValueNames(*key) : QStringList();
}

bool TRegistry::KeyExists(const QString& key) const {
    const QString full = resolve(key);
    return full == RootKeyName(root_) || load(root_).hive.HasKey(full);
}

bool TRegistry::DeleteKey(const QString& key) {
    const QString full = resolve(key);
    if (full == RootKeyName(root_)) return false;
    Loaded loaded = load(root_);
    if (!loaded.hive.RemoveKeyTree(full)) return false;
    return store(root_, loaded);
}

}  // namespace platform
