// The log file and where the program's files lie: the data folder, the
// configuration file and the log beside it.
#pragma once

#include <windows.h>

#include <string>

// Roaming application data + "\OrvaneDownloader", created if missing;
// empty when there is no application-data folder.
std::wstring GetDataFolder();

// Data folder + "\config.json", or "OrvaneDownloader_config.json" beside
// the executable when there is no data folder. Computed afresh each call.
std::wstring GetConfigFilePath();

// "OrvaneDownloader.log" in the configuration file's folder.
std::wstring GetLogFilePath();

// Path rules behind the two functions above, kept pure for testing.
std::wstring ConfigPathFor(const std::wstring& dataFolderOrEmpty, const std::wstring& exePath);
std::wstring LogPathFor(const std::wstring& configPath);

// "[YYYY-MM-DD hh:mm:ss.mmm] " + msg + "\r\n".
std::wstring FormatLogLine(const SYSTEMTIME& st, const std::wstring& msg);

// Writes every byte to an open file; false on the first failed write.
bool WriteAllBytes(HANDLE file, const std::string& bytes);

// Appends bytes to the file, creating it if missing, without denying other
// openers anything. True when the file opened and every byte was written.
bool AppendFileBytes(const std::wstring& path, const std::string& bytes);

// One time-stamped line to the debugger output and to the UTF-8 log file.
// Callers on any thread are serialised so their lines never interleave.
void WriteLog(const std::wstring& msg);
