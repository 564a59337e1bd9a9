// What an unhandled exception leaves behind: a minidump in the data folder,
// one log line, and a process that ends.
#pragma once

// Makes every unhandled exception, on any thread, and every C++ exception
// that nobody catches write "crash-YYYYMMDD-HHMMSS.dmp" into the log's folder
// (the data folder), keep the five newest dumps there, log one line and end
// the process with the exception's code. Call once, first thing.
void InstallCrashHandler();
