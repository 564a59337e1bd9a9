// The DPI the window starts with: that of the primary monitor, where it is
// made and centred.
#pragma once
#include <windows.h>

struct MonitorDpi {
    UINT x = 96;
    UINT y = 96;
};

// The primary monitor's effective DPI (GetDpiForMonitor, Windows 8.1 and
// later); the system DPI where that function is missing or answers nothing
// (Wine 8 answers 0). With one monitor both are the same.
MonitorDpi PrimaryMonitorDpi();
