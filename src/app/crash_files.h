// The names of crash dumps and which of them to keep. Windows-free, so the
// rules can be tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How many dumps the data folder keeps.
constexpr size_t kKeptCrashDumps = 5;

// "crash-YYYYMMDD-HHMMSS.dmp" for a local time.
std::wstring CrashDumpName(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                           unsigned second);

// Of the file names given, the crash dumps beyond the `keep` newest, oldest
// first. Names of another shape are never chosen. The time in a name orders
// the dumps: its digits have fixed widths.
std::vector<std::wstring> DumpsBeyond(std::vector<std::wstring> names, size_t keep);
