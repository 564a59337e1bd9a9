// Registration of the common control classes beside the window's start-up.
// The window draws every control itself, so nothing waits for the classes;
// loading comctl32 where the process starts would delay the first frame.
#pragma once
#include <windows.h>

#include "util/handles.h"

class CommonControlsRegistration {
public:
    // Loads comctl32 and calls InitCommonControlsEx (all eight classes) on a
    // thread of its own, or at once when no thread can be had.
    CommonControlsRegistration();
    CommonControlsRegistration(const CommonControlsRegistration&) = delete;
    CommonControlsRegistration& operator=(const CommonControlsRegistration&) = delete;
    // Waits for the thread, which has long finished by the time the program ends.
    ~CommonControlsRegistration() { Wait(); }

    // Waits for the registration; true when InitCommonControlsEx succeeded.
    bool Wait();

private:
    static DWORD WINAPI Run(LPVOID);
    UniqueHandle m_thread;
    bool m_registered = false;
};
