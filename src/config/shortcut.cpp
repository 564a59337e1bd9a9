// The desktop shortcut: an IShellLinkW saved once on the user's desktop and
// never updated afterwards.
#include "config/shortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "mainwnd/main_wnd.h"
#include "util/handles.h"

const wchar_t kShortcutFileName[] = L"奥凡安装助手.lnk";

namespace {

constexpr const wchar_t* kShortcutDescription = L"奥凡安装助手";

// COM for one scope. S_FALSE (already initialised here) still takes a
// reference that must be given back; RPC_E_CHANGED_MODE takes none, though
// the thread's existing apartment still serves the shell link.
class ScopedComInit {
public:
    ScopedComInit() : m_hr(CoInitialize(nullptr)) {}
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    ~ScopedComInit() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }

private:
    HRESULT m_hr;
};

// A file or a folder of that name.
bool PathFound(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ExecutablePath() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD len = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return std::wstring(buf, len);
}

}  // namespace

std::wstring DesktopShortcutPath() {
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT,
                                desktop)) ||
        desktop[0] == L'\0') {
        return std::wstring();
    }
    return std::wstring(desktop) + L"\\" + kShortcutFileName;
}

bool CreateShortcutAt(const std::wstring& linkPath, const std::wstring& exePath) {
    if (PathFound(linkPath)) return false;

    ScopedComInit com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
        return false;
    }

    const std::wstring exeFolder = FolderOf(exePath);
    link->SetPath(exePath.c_str());
    link->SetWorkingDirectory(exeFolder.c_str());
    link->SetDescription(kShortcutDescription);

    const std::wstring icon = exeFolder + L"\\test.ico";
    if (PathFound(icon)) {
        link->SetIconLocation(icon.c_str(), 0);
        OutputDebugStringW((L"Using icon from: " + icon).c_str());
    } else {
        link->SetIconLocation(exePath.c_str(), 0);
        OutputDebugStringW((L"test.ico not found, using exe icon: " + exePath).c_str());
    }
    link->SetShowCmd(SW_SHOWNORMAL);

    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
    // The shell is told and the trace sent even when Save fails: the desktop
    // is only a convenience and start-up goes on either way.
    const HRESULT saved = file->Save(linkPath.c_str(), TRUE);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    OutputDebugStringW((L"Shortcut created at: " + linkPath).c_str());
    return SUCCEEDED(saved);
}

void CMainWnd::CreateDesktopShortcut() {
    const std::wstring linkPath = DesktopShortcutPath();
    if (linkPath.empty()) return;
    CreateShortcutAt(linkPath, ExecutablePath());
}
