// Loads comctl32 at run time and registers the common control classes; the
// module stays loaded for the life of the process.
#include "app/common_controls.h"

#include <windows.h>
#include <commctrl.h>

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
