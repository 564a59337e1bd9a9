// Single-instance rules of the program: the named mutex and what a second
// copy does to the first copy's window.
#pragma once
#include <windows.h>

constexpr const wchar_t* kSingleInstanceMutexName = L"OrvaneDownloader_SingleInstance_Mutex";
constexpr const wchar_t* kMainWindowTitle = L"Orvane Downloader";

// True when this process is the first copy: the mutex was created (not
// opened) and is owned by us. A failure to create it counts as another copy.
bool IsFirstInstance(HANDLE mutex, DWORD lastError);

// The second copy's work: find the first copy's window by its title, restore
// it when minimised, bring it to the front and flash it three times.
void ActivateExistingWindow();
