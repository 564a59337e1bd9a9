// The user code: reading it from HKCU, deriving it from the machine, and
// storing it in the registry and the sys.dat backup.
#include "identity/device_id.h"

#include <cstdio>
#include <cwchar>

#include "util/handles.h"
#include "util/log.h"

namespace {

constexpr const wchar_t* kUserKey = L"SOFTWARE\\OrvaneDownloader";
constexpr const wchar_t* kUserValue = L"UserCode";
constexpr const wchar_t* kBanner = L"[DeviceID] ================================";

// Both registry reads use a zero-filled buffer of this many bytes.
constexpr DWORD kValueBufferBytes = 512;
constexpr size_t kValueBufferUnits = kValueBufferBytes / sizeof(wchar_t);

// Reads a value as text up to its first zero, whatever its type. False when
// it is missing or does not fit the buffer with its terminator.
bool ReadValueText(HKEY key, const wchar_t* name, std::wstring& out) {
    wchar_t buf[kValueBufferUnits] = {};
    DWORD size = kValueBufferBytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    const size_t len = wcsnlen(buf, kValueBufferUnits);
    if (len == kValueBufferUnits) return false;
    out.assign(buf, len);
    return true;
}

std::wstring ReadMachineGuid() {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0,
                      KEY_READ | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
        return std::wstring();
    }
    std::wstring guid;
    ReadValueText(key.get(), L"MachineGuid", guid);
    return guid;
}

bool ReadStoredCode(std::wstring& code) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    return ReadValueText(key.get(), kUserValue, code);
}

// True when the key could be created or opened; the write itself is not
// checked, a failure only means the next run derives the code again.
bool StoreCode(const std::wstring& code) {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegSetValueExW(key.get(), kUserValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(code.c_str()),
                   static_cast<DWORD>((code.size() + 1) * sizeof(wchar_t)));
    return true;
}

// Replaces sys.dat in the data folder with the code; returns its path, or
// an empty text when there is no data folder or the file would not open.
std::wstring WriteBackup(const std::wstring& code) {
    const std::wstring folder = GetDataFolder();
    if (folder.empty()) return std::wstring();
    const std::wstring path = folder + L"\\sys.dat";
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::wstring();
    // The code is ASCII: one byte per character.
    const std::string bytes(code.begin(), code.end());
    WriteAllBytes(file.get(), bytes);
    return path;
}

}  // namespace

std::wstring FormatUserCode(DWORD volumeSerial, const std::wstring& machineGuid) {
    wchar_t serial[16] = {};
    swprintf(serial, 16, L"%08X", static_cast<unsigned>(volumeSerial));
    const std::wstring tail = machineGuid.size() >= 8 ? machineGuid.substr(0, 8) : L"00000000";
    return L"USER-" + std::wstring(serial) + L"-" + tail;
}

DeviceID::DeviceID() { m_strUserCode = GetUserCode(); }

std::wstring DeviceID::GetUserCode() {
    if (!m_strUserCode.empty()) return m_strUserCode;

    std::wstring stored;
    if (ReadStoredCode(stored)) {
        m_strUserCode = stored;
        OutputDebugStringW(kBanner);
        OutputDebugStringW((L"[DeviceID] User Code from Registry: " + m_strUserCode).c_str());
        OutputDebugStringW(kBanner);
        return m_strUserCode;
    }

    m_strUserCode = GenerateUserCode();
    OutputDebugStringW(kBanner);
    OutputDebugStringW((L"[DeviceID] Generated New User Code: " + m_strUserCode).c_str());
    OutputDebugStringW(kBanner);

    OutputDebugStringW(StoreCode(m_strUserCode)
                           ? L"[DeviceID] User Code saved to registry successfully"
                           : L"[DeviceID] Failed to save User Code to registry");

    const std::wstring backup = WriteBackup(m_strUserCode);
    if (!backup.empty()) OutputDebugStringW((L"[DeviceID] Backup saved to: " + backup).c_str());
    return m_strUserCode;
}

std::wstring DeviceID::GenerateUserCode() {
    return FormatUserCode(GetVolumeSerial(), ReadMachineGuid());
}

DWORD DeviceID::GetVolumeSerial() {
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return 0;
    return serial;
}
