// What a successful login hands back, as kept in memory and saved to the
// configuration file.
#pragma once

#include <cstdint>
#include <string>

struct LoginResult {
    uint32_t uid = 0;
    std::wstring level;
    uint32_t machine_id = 0;
    std::wstring token, machine_code, channel_code, qhclickid;
};
