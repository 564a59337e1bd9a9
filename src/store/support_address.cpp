// Finding the contact image's address in a support reply.
#include "store/support_address.h"

#include "store/reply.h"
#include "util/json.h"

bool ReadSupportAddress(const std::string& reply, std::string& address) {
    std::string data;
    const std::string& text = ExtractDataObject(reply, data) ? data : reply;
    std::string found;
    if (!JsonGetString(text, "qq_image_url", found) || found.empty()) return false;
    address.swap(found);
    return true;
}
