#pragma once

#include <QString>

// The machine-wide settings store (string values under one HKEY_LOCAL_MACHINE key
// named after the application), the start-up configuration that runs before any
// window exists, and the message-box captions written back at exit.

// Settings folder: the prefix of every per-window settings file name.
extern QString StringsPath;
extern QString ProgramVersion;
// Application title + " (" + ProgramVersion + ")".
extern QString ProgramCaption;
// Shown after ProgramCaption; empty for the whole run.
extern QString StatusSuffix;

// Message captions, loaded from and saved to the settings store (at most 230 characters).
extern QString KeyViolationCaption;
extern QString WarningCaption;
extern QString InformationCaption;
extern QString ErrorCaption;
extern QString QuestionCaption;
extern QString AfterEditMessage;

constexpr int kMaxSettingLength = 255;
constexpr int kMaxCaptionLength = 230;

// "SOFTWARE\Morvane\" + application title, under HKEY_LOCAL_MACHINE.
QString SettingsKey();

// The value's text (cut to 255 characters), or an empty text when it does not exist.
// The name is upper-cased (a..z) first; a few names get a built-in default written
// when their value is empty. Raises ERegistryException when a default cannot be
// stored or the value is not a string.
QString ReadSetting(const QString& name);
// Stores a string value; the name keeps its letter case. Both texts are cut to 255
// characters. Raises ERegistryException "Failed to set data for 'NAME'" on failure.
void WriteSetting(const QString& name, const QString& value);

void LoadMessageCaptions();
void SaveMessageCaptions();

// Start-up configuration: settings folder, version check with the first-run message
// and clean-up of stale settings files, message captions. Never raises.
void InitializeConfiguration();
// At exit: writes the captions back. Never raises.
void FinalizeConfiguration();

// Deletes the entries of Dir + Mask (Dir is a plain prefix); failures are ignored.
void DeleteFiles(const QString& dir, const QString& mask);
// The current folder, without a final separator except for the root.
QString CurrentDir();
