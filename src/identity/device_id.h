// DeviceID: the machine's persistent user code, derived from the C: volume
// serial and the machine GUID, kept in the user's registry with a backup file.
#pragma once

#include <windows.h>

#include <string>

// "USER-" + serial as 8 upper-case hex digits + "-" + the GUID's first 8
// units, or "00000000" when the GUID is shorter.
std::wstring FormatUserCode(DWORD volumeSerial, const std::wstring& machineGuid);

class DeviceID {
public:
    DeviceID();

    // The stored code, or a newly derived one that is then stored. An empty
    // cached code counts as not obtained, so it is looked up again.
    std::wstring GetUserCode();

    // Derives the code from the machine alone; touches no store and no cache.
    std::wstring GenerateUserCode();

    // Serial number of volume C:, 0 when it cannot be read.
    DWORD GetVolumeSerial();

    std::wstring m_strUserCode;
};
