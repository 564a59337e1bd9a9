// Path rules for the program's files, and the append-only log.
#include "util/log.h"

#include <shlobj.h>

#include <algorithm>

#include "util/handles.h"
#include "util/text.h"

namespace {

// Text before the last '\' or '/', or "." when there is neither.
std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

std::wstring ExecutablePath() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD len = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return std::wstring(buf, len);
}

// Lines written from several threads must not interleave in the file.
SRWLOCK g_logLock = SRWLOCK_INIT;

}  // namespace

std::wstring GetDataFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData))) {
        return std::wstring();
    }
    std::wstring folder = std::wstring(appData) + L"\\OrvaneDownloader";
    CreateDirectoryW(folder.c_str(), nullptr);  // already there is fine
    return folder;
}

std::wstring ConfigPathFor(const std::wstring& dataFolderOrEmpty, const std::wstring& exePath) {
    if (!dataFolderOrEmpty.empty()) return dataFolderOrEmpty + L"\\config.json";
    return FolderOf(exePath) + L"\\OrvaneDownloader_config.json";
}

std::wstring LogPathFor(const std::wstring& configPath) {
    return FolderOf(configPath) + L"\\OrvaneDownloader.log";
}

std::wstring GetConfigFilePath() {
    const std::wstring folder = GetDataFolder();
    return ConfigPathFor(folder, folder.empty() ? ExecutablePath() : std::wstring());
}

std::wstring GetLogFilePath() {
    return LogPathFor(GetConfigFilePath());
}

std::wstring FormatLogLine(const SYSTEMTIME& st, const std::wstring& msg) {
    return L"[" + FormatTime(st, true) + L"] " + msg + L"\r\n";
}

bool WriteAllBytes(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool AppendFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    return WriteAllBytes(file.get(), bytes);
}

void WriteLog(const std::wstring& msg) {
    ExclusiveLock lock(g_logLock);
    SYSTEMTIME st;
    GetLocalTime(&st);
    const std::wstring line = FormatLogLine(st, msg);
    OutputDebugStringW(line.c_str());
    AppendFileBytes(GetLogFilePath(), WideToUtf8(line));
}
