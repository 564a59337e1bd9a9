// Looking up the primary monitor's DPI, through shcore.dll where the system
// has it, else from the screen's device context.
#include "mainwnd/monitor_dpi.h"

#include <shellscalingapi.h>

#include "util/handles.h"

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);

MonitorDpi SystemDpi() {
    WindowDC screen(nullptr);
    return {static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSX)),
            static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSY))};
}

}  // namespace

MonitorDpi PrimaryMonitorDpi() {
    // Loaded at run time: shcore.dll is not there before Windows 8.1.
    const UniqueModule shcore(LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const FARPROC found = shcore ? GetProcAddress(shcore.get(), "GetDpiForMonitor") : nullptr;
    const auto getDpi = reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(found));
    // The point (0,0) is always on the primary monitor.
    const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MonitorDpi dpi;
    if (getDpi && SUCCEEDED(getDpi(primary, MDT_EFFECTIVE_DPI, &dpi.x, &dpi.y)) && dpi.x != 0 && dpi.y != 0) {
        return dpi;
    }
    return SystemDpi();
}
