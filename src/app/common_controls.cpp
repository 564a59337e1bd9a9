// Loads comctl32 and registers the common control classes off the window
// thread; the module stays loaded for the life of the process.
#include "app/common_controls.h"

#include <commctrl.h>

namespace {

bool RegisterCommonControls() {
    // Under the program's manifest this is version 6.
    const HMODULE module = LoadLibraryW(L"comctl32.dll");
    if (!module) return false;
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")));
    if (!init) return false;
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof(icc);
    icc.dwICC = 0xFF;
    return init(&icc) != FALSE;
}

}  // namespace

CommonControlsRegistration::CommonControlsRegistration()
    : m_thread(CreateThread(nullptr, 0, &CommonControlsRegistration::Run, nullptr, 0, nullptr)) {
    if (!m_thread) m_registered = RegisterCommonControls();
}

DWORD WINAPI CommonControlsRegistration::Run(LPVOID) { return RegisterCommonControls() ? 1 : 0; }

bool CommonControlsRegistration::Wait() {
    if (m_thread) {
        WaitForSingleObject(m_thread.get(), INFINITE);
        DWORD code = 0;
        m_registered = GetExitCodeThread(m_thread.get(), &code) && code == 1;
        m_thread.reset();
    }
    return m_registered;
}
