// The contact image's address in a support reply. Windows-free, so it can be
// fuzzed natively.
#pragma once

#include <string>

// qq_image_url of the data object, or of the whole reply when it has none;
// false when missing or empty.
bool ReadSupportAddress(const std::string& reply, std::string& address);
