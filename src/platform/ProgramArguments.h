#pragma once

#include <QStringList>

// The program's own argument memory, as main received it once the GUI library took its
// own options out. Other local users can read it in the process list (ps, /proc) for as
// long as the program runs, so a secret read from it is overwritten there.
namespace platform {

// Keeps the argument vector; argc 0 forgets it.
void KeepProgramArguments(int argc, char** argv);
// The parameters after the program's name: those kept, else the GUI library's.
QStringList ProgramParameters();
// Overwrites parameter `index` (from 0, after the program's name) from the character
// after its first "=" to its end with stars, its length and the rest of the memory kept.
// Does nothing when nothing is kept or the parameter has no "=".
void HideParameterValue(int index);

}  // namespace platform
