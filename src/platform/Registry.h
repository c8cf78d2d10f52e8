#pragma once

#include <QString>
#include <QStringList>

// The registry as the program uses it. Each root is one REGEDIT4 text file in the
// settings folder ($XDG_CONFIG_HOME/zorvantic/HKEY_LOCAL_MACHINE.reg and
// HKEY_CURRENT_USER.reg), Windows-1250, readable and editable with a text editor.
// Key and value names compare without letter case; a backslash in a value name is
// part of the name. Each root's parsed file is kept in memory and read again when the
// file changed on disk (a large one is read ahead on a thread of its own as soon as the
// other root is first used); every write replaces the file whole, so two objects (or two
// instances of the program) never lose each other's values.
namespace platform {

enum class RootKey { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
QString RootKeyName(RootKey root);
// The file that holds the root.
QString HiveFileName(RootKey root);

class TRegistry {
  public:
    explicit TRegistry(RootKey root = RootKey::CurrentUser);

    RootKey GetRootKey() const { return root_; }
    // Closes the open key.
    void SetRootKey(RootKey root);

    // A key path with a leading "\" starts at the root, any other one at the open key
    // (at the root when none is open). False when the key does not exist and may not
    // or cannot be created.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return open_; }
    // Path of the open key below the root, without a leading "\".
    QString CurrentPath() const { return currentPath_; }

    // Missing value, or no key open: an empty text. A value of another type raises
    // ERegistryException "Invalid data type for 'NAME'".
    QString ReadString(const QString& name) const;
    // Raises ERegistryException "Failed to set data for 'NAME'" when no key is open or
    // the file cannot be written; then followed by ": " and the file's error (its name
    // and the system's reason, "No space left on device").
    void WriteString(const QString& name, const QString& value);
    bool ValueExists(const QString& name) const;
    bool DeleteValue(const QString& name);
    QStringList GetValueNames() const;

    // Relative to the open key like OpenKey.
    bool KeyExists(const QString& key) const;
    // Deletes the key with every key below it.
    bool DeleteKey(const QString& key);

  private:
    QString resolve(const QString& key) const;  // full path, root name included
    QString fullCurrentPath() const;

    RootKey root_;
    bool open_ = false;
    QString currentPath_;
    QString createFailure_;  // why the last OpenKey could not create its key
};

}  // namespace platform
