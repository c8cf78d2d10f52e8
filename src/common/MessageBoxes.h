#pragma once

#include <QString>

// The shared message boxes: application-modal, captioned with the caption variables
// of the settings store.
void ShowInfo(const QString& msg);
void ShowError(const QString& msg);
// 6 (Yes) or 7 (No).
int AskYesNo(const QString& msg);
