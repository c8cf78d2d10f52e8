#pragma once

#include <QString>
#include <memory>

#include "framework/FormStorage.h"

// A form storage kept under a key of HKEY_CURRENT_USER ("Software\Morvane\TFMain").
std::unique_ptr<StorageBackend> RegistryStorage(const QString& keyPath);
// A form storage kept in a section of an INI file ("Konwerter").
std::unique_ptr<StorageBackend> IniStorage(const QString& fileName, const QString& section);
