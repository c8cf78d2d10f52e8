#pragma once

// The program-wide access mode of untyped (binary) file opens: 0 read-only, 1 write-only,
// 2 read and write. It starts at 2; loading an export configuration file sets it to 0
// for the rest of the run, and binary opens made afterwards use that mode.
extern int FileMode;

constexpr int fmOpenRead = 0;
constexpr int fmOpenWrite = 1;
constexpr int fmOpenReadWrite = 2;
