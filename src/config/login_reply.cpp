// Reading the login reply: the fields a successful login hands back, from
// the data object or the whole reply. Windows-free, so it can be fuzzed.
#include "config/autologin.h"
#include "store/reply.h"
#include "util/json.h"
#include "util/utf.h"

namespace {

void ReadText(const std::string& json, const char* key, std::wstring& field) {
    std::string raw;
    if (JsonGetString(json, key, raw)) field = Utf8ToWide(raw);
}

}  // namespace

bool ParseLoginResponse(const std::string& reply, LoginResult& result) {
    std::string data;
    const std::string& json = ExtractDataObject(reply, data) ? data : reply;
    JsonGetUInt(json, "uid", result.uid);
    JsonGetUInt(json, "machine_id", result.machine_id);
    ReadText(json, "level", result.level);
    ReadText(json, "token", result.token);
    ReadText(json, "machine_code", result.machine_code);
    ReadText(json, "channel_code", result.channel_code);
    ReadText(json, "qhclickid", result.qhclickid);
    return result.uid != 0 && !result.token.empty() && !result.machine_code.empty();
}
