// A small Windows-side probe for the end-to-end tests: finds the program's
// window by class and title from another process and reports or changes its
// state, so the tests see what Windows sees.
//   win_probe find      -> "found <class> <x> <y> <w> <h> <iconic> <visible>" or "none"
//   win_probe minimize  -> minimises the window, then prints like find
//   win_probe stats     -> "stats <threads> <handles> <gdi objects> <working set KiB>" of the
//                          window's process, or "none"
//   win_probe answers S -> for S seconds asks the window with WM_NULL (500 ms time-out) every
//                          100 ms: "answers <asks> <time-outs> <longest ask ms> <longest ms
//                          without an answer>", or "none"
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

int Report(HWND wnd) {
    if (!wnd) {
        std::printf("none\n");
        return 1;
    }
    wchar_t cls[128] = {};
    GetClassNameW(wnd, cls, 128);
    RECT rc = {};
    GetWindowRect(wnd, &rc);
    std::printf("found %ls %ld %ld %ld %ld %d %d\n", cls, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top, IsIconic(wnd) ? 1 : 0, IsWindowVisible(wnd) ? 1 : 0);
    return 0;
}

int CountThreads(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te = {};
    te.dwSize = sizeof(te);
    int count = 0;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID == pid) ++count;
    }
    CloseHandle(snap);
    return count;
}

// Live GDI objects of another process. GetGuiResources where it answers;
// Wine returns 0 there, so the process's own GDI handle table, which its PEB
// points at, is read and counted (stock objects excluded).
int CountGdiObjects(HANDLE process) {
    const DWORD n = GetGuiResources(process, GR_GDIOBJECTS);
    if (n != 0) return static_cast<int>(n);
    PROCESS_BASIC_INFORMATION info = {};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof(info), nullptr) != 0) return -1;
    unsigned long long table = 0;
    const auto* tableField = reinterpret_cast<const char*>(info.PebBaseAddress) + 0xF8;
    if (!ReadProcessMemory(process, tableField, &table, sizeof(table), nullptr) || !table) return -1;
    struct Entry {
        unsigned long long object;
        unsigned short processId, count, unique;
        unsigned char type, flags;
        unsigned long long user;
    };
    std::vector<Entry> entries(0x10000);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(Entry), nullptr)) {
        return -1;
    }
    int live = 0;
    for (const Entry& e : entries) {
        if (e.type != 0 && (e.unique & 0x80) == 0) ++live;
    }
    return live;
}

// Open handles of another process. GetProcessHandleCount where it answers;
// Wine answers 0 for other processes, so the system's handle list is counted.
unsigned long CountHandles(HANDLE process, DWORD pid) {
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count != 0) return count;
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<BYTE> buffer(1 << 20);
    for (int tries = 0; tries < 6; ++tries) {
        ULONG needed = 0;
        const LONG status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                                     static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) {  // buffer too small
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (status != 0) return 0;
        const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* list = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
        unsigned long mine = 0;
        for (ULONG i = 0; i < entries; ++i) {
            if (list[i].ownerPid == pid) ++mine;
        }
        return mine;
    }
    return 0;
}

int ReportStats(HWND wnd) {
    DWORD pid = 0;
    if (!wnd || !GetWindowThreadProcessId(wnd, &pid)) {
        std::printf("none\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::printf("none\n");
        return 1;
    }
    const unsigned long handles = CountHandles(process, pid);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(process, &pmc, sizeof(pmc));
    std::printf("stats %d %lu %d %llu\n", CountThreads(pid), handles, CountGdiObjects(process),
                static_cast<unsigned long long>(pmc.WorkingSetSize / 1024));
    CloseHandle(process);
    return 0;
}

// Whether the window keeps answering, as Windows judges "Not Responding".
int ReportAnswers(HWND wnd, int seconds) {
    if (!wnd) {
        std::printf("none\n");
        return 1;
    }
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    int asks = 0;
    int timeouts = 0;
    ULONGLONG longest = 0;
    ULONGLONG lastAnswer = GetTickCount64();
    ULONGLONG longestSilence = 0;
    while (GetTickCount64() < end && IsWindow(wnd)) {
        DWORD_PTR result = 0;
        const ULONGLONG asked = GetTickCount64();
        const bool answered = SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result) != 0;
        const ULONGLONG now = GetTickCount64();
        if (!answered && IsWindow(wnd)) ++timeouts;
        if (now - asked > longest) longest = now - asked;
        if (answered) lastAnswer = now;
        if (now - lastAnswer > longestSilence) longestSilence = now - lastAnswer;
        ++asks;
        Sleep(100);
    }
    std::printf("answers %d %d %llu %llu\n", asks, timeouts, longest, longestSilence);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HWND wnd = FindWindowW(L"DuiLibWnd", L"Orvane Downloader");
    if (argc > 1 && std::wcscmp(argv[1], L"stats") == 0) {
        const int rc = ReportStats(wnd);
        std::fflush(stdout);
        return rc;
    }
    if (argc > 1 && std::wcsncmp(argv[1], L"answers", 7) == 0) {
        // "answers S" as one argument or as two.
        const int rc = ReportAnswers(wnd, _wtoi(argc > 2 ? argv[2] : argv[1] + 7));
        std::fflush(stdout);
        return rc;
    }
    if (argc > 1 && std::wcscmp(argv[1], L"minimize") == 0 && wnd) {
        ShowWindow(wnd, SW_MINIMIZE);
        Sleep(300);
    }
    std::fflush(stdout);
    return Report(wnd);
}
