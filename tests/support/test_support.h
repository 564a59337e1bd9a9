// Shared helpers for the unit tests: a main window built the way the entry
// point builds it, GDI object counting that also works under Wine, and the
// DPI the test run was started with.
#pragma once
#include <windows.h>

#include <ostream>
#include <string>

#include "mainwnd/main_wnd.h"

// The window's states by their numbers in test messages.
inline std::ostream& operator<<(std::ostream& os, Page page) { return os << "page " << static_cast<int>(page); }
inline std::ostream& operator<<(std::ostream& os, PayState state) {
    return os << "pay state " << static_cast<int>(state);
}
inline std::ostream& operator<<(std::ostream& os, FocusField field) {
    return os << "focus " << static_cast<int>(field);
}
inline std::ostream& operator<<(std::ostream& os, OrderStatus status) {
    return os << "order status " << static_cast<int>(status);
}

namespace testing_support {

// Allocates, zero-fills and constructs a CMainWnd as the entry point does.
CMainWnd* NewMainWnd();

// Starts a job in slot that hands nothing over, as a worker whose result is
// still on its way; the start's ticket.
WorkerTicket StartQuietWorker(WorkerSlot& slot);

// Deletes a window object whose window was never created or already gone.
void DeleteMainWnd(CMainWnd* wnd);

// Destroys the window of wnd (which then deletes itself) and pumps messages.
void DestroyMainWnd(CMainWnd* wnd);

// Dispatches every queued message of this thread.
void PumpMessages();

// Live GDI objects of this process. GetGuiResources where it answers; Wine
// returns 0 there, so the process's own GDI handle table is counted instead.
int CountGdiObjects();

// The LogPixels the test runner set for this prefix (96 when not told).
int ExpectedDpi();

// The screen's actual LOGPIXELSX / LOGPIXELSY.
int ScreenDpiX();
int ScreenDpiY();

// The full path of a program in this test program's folder.
std::wstring ProgramBeside(const wchar_t* fileName);

// Runs path with the arguments and waits up to timeoutMs for it to end.
// False when it cannot start or does not end in time (it is then ended).
bool RunProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs, DWORD& exitCode);

// Puts text on the clipboard from the test itself, as a marker.
void SetClipboardText(const std::wstring& text);

// The clipboard's Unicode text; "<none>" when it holds none, "<busy>" when
// it cannot be opened, so that an empty text is told from no text.
std::wstring ClipboardText();

}  // namespace testing_support
