// Reading the backend address from, and saving login results to, the
// configuration file; whole-file reads and writes that survive a held file.
#include "config/config.h"

#include <windows.h>

#include <algorithm>

#include "util/handles.h"
#include "util/log.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE CreateForWriting(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Overwrites an existing file from its start without truncating it first,
// so a refused open leaves it whole. The content is tiny and goes out in one
// write; if the old tail cannot be cut off it is blanked, which JSON reads
// as trailing white space.
bool RewriteInPlace(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return false;
    if (!WriteAllBytes(file.get(), bytes)) return false;
    if (SetEndOfFile(file.get())) return FlushFileBuffers(file.get()) != FALSE;
    const auto oldSize = static_cast<unsigned long long>(size.QuadPart);
    if (oldSize > bytes.size() && !WriteAllBytes(file.get(), std::string(oldSize - bytes.size(), ' '))) return false;
    return FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace

const wchar_t kDefaultApiBase[] = L"http://127.0.0.1:8001/api/v1";

bool ReadFileBytes(const std::wstring& path, std::string& out, size_t maxBytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || static_cast<unsigned long long>(size.QuadPart) > maxBytes) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[done], chunk, &got, nullptr)) return false;
        if (got == 0) break;  // shrank since it was measured
        done += got;
    }
    bytes.resize(done);
    out.swap(bytes);
    return true;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateForWriting(path));
    if (!file) return false;
    return WriteAllBytes(file.get(), bytes);
}

bool ReplaceFileBytes(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    bool written = false;
    {
        UniqueHandle file(CreateForWriting(temp));
        if (file) written = WriteAllBytes(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temp.c_str());
    // Held open without delete sharing, the name cannot be replaced, but the
    // content may still be rewritten where it lies.
    return RewriteInPlace(path, bytes);
}

std::wstring LoadApiBaseFrom(const std::wstring& configPath) {
    std::string text;
    std::wstring base;
    if (ReadFileBytes(configPath, text, kMaxConfigBytes)) base = ApiBaseFromText(text);
    return base.empty() ? std::wstring(kDefaultApiBase) : base;
}

std::wstring LoadApiBase() {
    return LoadApiBaseFrom(GetConfigFilePath());
}

void SaveLoginStateTo(const std::wstring& configPath, const std::wstring& apiBase,
                      const LoginResult& result) {
    // Only a backend the file itself names is kept; the built-in default is
    // never written, so changing it in a later build still takes effect.
    std::string current;
    const bool keepBase = ReadFileBytes(configPath, current, kMaxConfigBytes) && !ApiBaseFromText(current).empty();
    ReplaceFileBytes(configPath, BuildLoginStateText(keepBase ? &apiBase : nullptr, result));
}

void SaveLoginState(const std::wstring& apiBase, const LoginResult& result) {
    SaveLoginStateTo(GetConfigFilePath(), apiBase, result);
}
