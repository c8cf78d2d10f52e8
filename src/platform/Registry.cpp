#include "platform/Registry.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <future>
#include <system_error>

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

// What tells a changed file: every write replaces it (a new inode), and an editor that
// writes in place changes its time or size.
struct Stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const Stamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

Stamp stampOf(const QString& path) {
    Stamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = st.st_mtim;
    return stamp;
}

// A hive read and parsed as its file stood at `stamp`.
struct Prepared {
    QString path;
    Stamp stamp;
    Loaded loaded;
};

Prepared prepare(const QString& path) {
    Prepared p;
    p.path = path;
    p.stamp = stampOf(path);
    if (p.stamp.exists) {
        try {
            p.loaded.hive = RegistryHive::ParseBytes(ReadLocalFile(path));
        } catch (const EInOutError&) {
            p.loaded.readable = false;
        }
    }
    return p;
}

// The parsed hive of each root, read again only when its file changed on disk (another
// instance of the program or a text editor), so reads and writes cost no parse.
struct Cached {
    QString path;
    Stamp stamp;
    Loaded loaded;
    bool valid = false;
    // A large hive is read on a thread of its own as soon as the other root is first
    // used: at start-up the windows are made meanwhile.
    std::future<Prepared> pending;
};

Cached& cached(RootKey root) {
    static Cached roots[2];
    return roots[root == RootKey::LocalMachine ? 0 : 1];
}

void readAheadOther(RootKey root) {
    constexpr off_t kReadAheadFrom = 1 << 20;
    const RootKey other = root == RootKey::LocalMachine ? RootKey::CurrentUser : RootKey::LocalMachine;
    Cached& c = cached(other);
    // Once read from its file, a hive is read again only when it is used.
    if (c.pending.valid() || (c.valid && c.stamp.exists)) return;
    const QString path = HiveFileName(other);
    const Stamp stamp = stampOf(path);
    if (!stamp.exists || stamp.size < kReadAheadFrom || (c.valid && c.path == path && c.stamp == stamp))
        return;
    try {
        c.pending = std::async(std::launch::async, prepare, path);
    } catch (const std::system_error&) {
        // No thread to be had: the hive is read when it is first used.
    }
}

Loaded& load(RootKey root) {
    const QString path = HiveFileName(root);
    Cached& c = cached(root);
    if (c.pending.valid()) {
        Prepared read = c.pending.get();
        if (read.path == path) {
            c.path = path;
            c.stamp = read.stamp;
            c.loaded = std::move(read.loaded);
            c.valid = true;
        }
    }
    readAheadOther(root);
    const Stamp stamp = stampOf(path);
    if (c.valid && c.path == path && c.stamp == stamp) return c.loaded;
    Prepared read = prepare(path);
    c.path = path;
    c.stamp = read.stamp;
    c.loaded = std::move(read.loaded);
    c.valid = true;
    return c.loaded;
}

// Writes the cached hive, changed in place by the caller. When the file cannot be
// replaced the change is dropped: the next read takes the file as it stayed; `why`
// then names the file and the reason.
bool store(RootKey root, QString* why = nullptr) {
    Cached& c = cached(root);
    // An existing file that could not be read would be lost by writing over it.
    bool written = c.loaded.readable && QDir().mkpath(ConfigFolder());
    if (!written && why != nullptr)
        *why = c.loaded.readable ? QStringLiteral("Cannot create folder \"%1\"").arg(ConfigFolder())
                                 : QStringLiteral("File \"%1\" could not be read").arg(c.path);
    if (written) {
        try {
            ReplaceFile(c.path, c.loaded.hive.FormatBytes());
        } catch (const EInOutError& e) {
            written = false;
            if (why != nullptr) *why = e.Message();
        }
    }
    c.stamp = stampOf(c.path);
    c.valid = written;
    return written;
}

QString normalized(const QString& path) {
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

[[noreturn]] void failedToSet(const QString& name, const QString& why = QString()) {
    const QString message = QStringLiteral("Failed to set data for '%1'").arg(name);
    throw ERegistryException(why.isEmpty() ? message : message + QStringLiteral(": ") + why);
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
    return currentPath_.isEmpty() ? RootKeyName(root_)
                                  : RootKeyName(root_) + QLatin1Char('\\') + currentPath_;
}

QString TRegistry::resolve(const QString& key) const {
    const bool absolute = key.startsWith(QLatin1Char('\\')) || !open_;
    const QString below = normalized(absolute ? key : currentPath_ + QLatin1Char('\\') + key);
    return below.isEmpty() ? RootKeyName(root_) : RootKeyName(root_) + QLatin1Char('\\') + below;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    createFailure_.clear();
    const QString full = resolve(key);
    Loaded& loaded = load(root_);
    const bool isRoot = full == RootKeyName(root_);
    if (!isRoot && !loaded.hive.HasKey(full)) {
        if (!canCreate) return false;
        loaded.hive.AddKey(full);
        if (!store(root_, &createFailure_)) return false;
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
    const Loaded& loaded = load(root_);
    const HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    const HiveEntry* value = key != nullptr ? RegistryHive::FindValue(*key, name) : nullptr;
    if (value == nullptr) return QString();
    if (!value->isString) throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value->text;
}

void TRegistry::WriteString(const QString& name, const QString& value) {
    // A key that could not be created says why (a full disk), as a failed write does.
    if (!open_) failedToSet(name, createFailure_);
    Loaded& loaded = load(root_);
    // Windows save every stored value when they close: an unchanged one costs no write.
    if (const HiveKey* existing = loaded.hive.FindKey(fullCurrentPath())) {
        const HiveEntry* stored = RegistryHive::FindValue(*existing, name);
        if (stored != nullptr && stored->isString && stored->text == value) return;
    }
    // A key another object deleted meanwhile comes back, as the open handle would keep it.
    HiveKey& key = loaded.hive.AddKey(fullCurrentPath());
    RegistryHive::SetString(key, name, value);
    if (QString why; !store(root_, &why)) failedToSet(name, why);
}

bool TRegistry::ValueExists(const QString& name) const {
    if (!open_) return false;
    const Loaded& loaded = load(root_);
    const HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    return key != nullptr && RegistryHive::FindValue(*key, name) != nullptr;
}

bool TRegistry::DeleteValue(const QString& name) {
    if (!open_) return false;
    Loaded& loaded = load(root_);
    HiveKey* key = loaded.hive.FindKey(fullCurrentPath());
    if (key == nullptr || !RegistryHive::RemoveValue(*key, name)) return false;
    return store(root_);
}

QStringList TRegistry::GetValueNames() const {
    if (!open_) return {};
    const Loaded& loaded = load(root_);
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
    Loaded& loaded = load(root_);
    if (!loaded.hive.RemoveKeyTree(full)) return false;
    return store(root_);
}

}  // namespace platform
