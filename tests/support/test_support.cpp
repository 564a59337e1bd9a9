// Shared helpers for the unit tests (see test_support.h).
#include "support/test_support.h"

#include <winternl.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "util/handles.h"

namespace testing_support {

WorkerTicket StartQuietWorker(WorkerSlot& slot) {
    slot.Start([](LPVOID job) -> DWORD { return TakeJob<WorkerJob>(job) ? 0 : 1; }, std::make_unique<WorkerJob>());
    return slot.Ticket();
}

CMainWnd* NewMainWnd() {
    return CMainWnd::CreateZeroFilled();
}

void DeleteMainWnd(CMainWnd* wnd) { delete wnd; }

void DestroyMainWnd(CMainWnd* wnd) {
    if (wnd->m_hWnd) DestroyWindow(wnd->m_hWnd);
    PumpMessages();
    // WM_DESTROY posts a quit message; drop it so later loops are unaffected.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring ProgramBeside(const wchar_t* fileName) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring self(exe);
    return self.substr(0, self.find_last_of(L'\\') + 1) + fileName;
}

bool RunProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs, DWORD& exitCode) {
    std::wstring command = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    const UniqueHandle process(pi.hProcess);
    const UniqueHandle thread(pi.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        return false;
    }
    return GetExitCodeProcess(process.get(), &exitCode) != FALSE;
}

namespace {

// One entry of the per-process GDI handle table that the PEB points at.
struct GdiTableEntry {
    unsigned long long object;
    unsigned short processId;
    unsigned short count;
    unsigned short unique;
    unsigned char type;
    unsigned char flags;
    unsigned long long user;
};

int CountWineGdiTable() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    PPEB peb = NtCurrentTeb()->ProcessEnvironmentBlock;
#pragma GCC diagnostic pop
    auto* table = *reinterpret_cast<GdiTableEntry**>(reinterpret_cast<char*>(peb) + 0xF8);
    if (!table) return -1;
    int live = 0;
    for (int i = 0; i < 0x10000; ++i) {
        // Stock objects carry the 0x80 flag in their unique word.
        if (table[i].type != 0 && (table[i].unique & 0x80) == 0) ++live;
    }
    return live;
}

}  // namespace

int CountGdiObjects() {
    const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n != 0) return static_cast<int>(n);
    return CountWineGdiTable();
}

int ExpectedDpi() {
    const char* v = std::getenv("ORVANE_EXPECT_DPI");
    return v ? std::atoi(v) : 96;
}

int ScreenDpiX() {
    HDC dc = GetDC(nullptr);
    const int v = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return v;
}

int ScreenDpiY() {
    HDC dc = GetDC(nullptr);
    const int v = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return v;
}

void SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

std::wstring ClipboardText() {
    std::wstring text = L"<none>";
    if (!OpenClipboard(nullptr)) return L"<busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

}  // namespace testing_support
