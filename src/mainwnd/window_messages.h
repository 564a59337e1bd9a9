// The main window's own messages: the workers' results and the start-up
// pictures, each posted to the window with both parameters 0.
#pragma once
#include <windows.h>

// Results of the worker threads.
constexpr UINT WM_PAYMENT_UPDATE = WM_USER + 101;
constexpr UINT WM_ORDERS_LOADED = WM_USER + 102;
constexpr UINT WM_SUPPORT_LOADED = WM_USER + 103;
constexpr UINT WM_PAY_QR_READY = WM_USER + 104;
// The start-up pictures are decoded and can be taken without waiting.
constexpr UINT WM_PICTURES_READY = WM_USER + 105;
