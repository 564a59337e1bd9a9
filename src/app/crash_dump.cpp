// The unhandled-exception filter. The report is written on a thread of its
// own: the failing thread may have no stack left, and a dump of it is best
// taken from outside it.
#include "app/crash_dump.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstdlib>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "app/crash_files.h"
#include "util/handles.h"
#include "util/log.h"

namespace {

// The code a C++ exception that nobody caught ends the process with: an
// application's own code (0xE0000000) followed by "CPX".
constexpr DWORD kUncaughtCppException = 0xE0435058;
// How long the report may take before the process ends without it.
constexpr DWORD kReportTimeoutMs = 30000;

// Set when the handler is installed, so a crash needs no path lookups.
wchar_t g_folder[MAX_PATH];
// The failure being reported; written once, before the reporting thread starts.
EXCEPTION_POINTERS* g_failure;
DWORD g_failedThread;
LONG g_reporting;

std::wstring Hex(DWORD value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// 0 once the dump is written, else the error that stopped it.
DWORD WriteDump(const std::wstring& path) {
    const UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    // The dump needs no symbols. A symbol handler that loads them only when
    // asked keeps Wine's dbghelp from first reading the debug information of
    // every module, which takes seconds; Windows reads none either way.
    SymSetOptions(SYMOPT_DEFERRED_LOADS);
    SymInitializeW(GetCurrentProcess(), nullptr, FALSE);
    MINIDUMP_EXCEPTION_INFORMATION failure = {g_failedThread, g_failure, FALSE};
    if (!MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, &failure, nullptr,
                           nullptr)) {
        return GetLastError();
    }
    return 0;
}

void RemoveOldDumps(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\crash-*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& name : DumpsBeyond(names, kKeptCrashDumps)) DeleteFileW((folder + L"\\" + name).c_str());
}

DWORD WINAPI ReportAndEnd(LPVOID) {
    const DWORD code = g_failure->ExceptionRecord->ExceptionCode;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring folder = g_folder;
    const std::wstring name = CrashDumpName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    const DWORD error = WriteDump(folder + L"\\" + name);
    if (error == 0) {
        RemoveOldDumps(folder);
        WriteLog(L"Crash: unhandled exception " + Hex(code) + L", dump " + name);
    } else {
        WriteLog(L"Crash: unhandled exception " + Hex(code) + L", no dump written (error " + std::to_wstring(error) +
                 L")");
    }
    TerminateProcess(GetCurrentProcess(), code);
    return 0;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* failure) {
    // One report: a thread that fails while it is being written waits for
    // the process to end.
    if (InterlockedExchange(&g_reporting, 1) != 0) Sleep(INFINITE);
    g_failure = failure;
    g_failedThread = GetCurrentThreadId();
    const UniqueHandle reporter(CreateThread(nullptr, 0, ReportAndEnd, nullptr, 0, nullptr));
    if (reporter) WaitForSingleObject(reporter.get(), kReportTimeoutMs);
    TerminateProcess(GetCurrentProcess(), failure->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// An escaped C++ exception reaches std::terminate, not the filter: raise it
// as an exception of the system so it is reported the same way.
[[noreturn]] void OnTerminate() {
    RaiseException(kUncaughtCppException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::abort();
}

}  // namespace

void InstallCrashHandler() {
    const std::wstring log = GetLogFilePath();
    const std::wstring folder = log.substr(0, log.find_last_of(L'\\'));
    wcsncpy(g_folder, folder.c_str(), MAX_PATH - 1);
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
}
