// The desktop shortcut "奥凡安装助手.lnk" to the running executable.
#pragma once

#include <string>

// The shortcut's name on the desktop.
extern const wchar_t kShortcutFileName[];

// Desktop folder + "\奥凡安装助手.lnk"; empty when the desktop folder
// cannot be determined.
std::wstring DesktopShortcutPath();

// Writes a shell link at linkPath to exePath (working folder, description,
// icon: "test.ico" beside exePath when present, else the exe's first icon)
// unless a file or folder of that name already exists. True when a link was
// saved; false when the name was taken, COM gave no link or Save failed.
bool CreateShortcutAt(const std::wstring& linkPath, const std::wstring& exePath);
