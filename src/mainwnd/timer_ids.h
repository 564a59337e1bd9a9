// Ids of the main window's timers (the window keeps each running one's id in
// its m_u…Timer field).
#pragma once
#include <windows.h>

constexpr UINT_PTR TIMER_COUNTDOWN = 2;
constexpr UINT_PTR TIMER_SPINNER = 5;
constexpr UINT_PTR TIMER_PAY_RESULT = 7;
constexpr UINT_PTR TIMER_TOAST = 8;
constexpr UINT_PTR TIMER_FIRST_PICTURES = 9;
