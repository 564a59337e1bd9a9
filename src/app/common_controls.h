// Registration of the common control classes. The window draws every control
// itself and makes none of these, so the registration waits until the window
// is up: loading comctl32 where the process starts would delay its first frame.
#pragma once

// Loads comctl32 and calls InitCommonControlsEx for all eight classes (0xFF);
// true when it succeeded. On the window thread: under Wine, a second thread
// that loads comctl32 while this one reaches the display for the first time
// can deadlock the two on the loader lock.
bool RegisterCommonControls();
