// The configuration file: the backend base address it may name, and the
// login results written back into it.
#pragma once

#include <cstdint>
#include <string>

#include "config/login_result.h"

// Used when the configuration file names no backend.
extern const wchar_t kDefaultApiBase[];

// The base address from the configuration file's "api_base", else the
// built-in default; never empty.
std::wstring LoadApiBase();
std::wstring LoadApiBaseFrom(const std::wstring& configPath);

// Rewrites the configuration file with the login's results. A backend that
// the file names is carried over (as apiBase, the address in use), so a
// configured backend survives the first login.
void SaveLoginState(const std::wstring& apiBase, const LoginResult& result);
void SaveLoginStateTo(const std::wstring& configPath, const std::wstring& apiBase,
                      const LoginResult& result);

// The "api_base" a configuration text names, empty when it names none.
std::wstring ApiBaseFromText(const std::string& text);

// The file's exact bytes: LF line ends, two-blank indent, no BOM; the
// "api_base" line only when apiBaseOrNull is given, empty texts left out.
std::string BuildLoginStateText(const std::wstring* apiBaseOrNull, const LoginResult& result);

// The largest configuration file read; a larger one counts as unreadable.
constexpr size_t kMaxConfigBytes = 1u << 20;

// Whole-file read without denying other openers; out untouched on false,
// also when the file is larger than maxBytes (it is then not read at all).
bool ReadFileBytes(const std::wstring& path, std::string& out, size_t maxBytes = SIZE_MAX);

// Creates or truncates the file and writes every byte.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Writes a temporary file beside path, then moves it over path, so a crash
// leaves either the old or the new content, never a truncated file. When
// another program holds path open so that it cannot be replaced (log
// viewers, virus scanners), path is rewritten in place instead; if that is
// refused too, path keeps its old content untouched.
bool ReplaceFileBytes(const std::wstring& path, const std::string& bytes);
