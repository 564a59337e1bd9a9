// The configuration file's text: the backend it names and the layout the
// login results are written in. Windows-free, so it can be fuzzed natively.
#include "config/config.h"

#include "util/encode.h"
#include "util/json.h"
#include "util/utf.h"

namespace {

void AppendMember(std::string& text, const char* key, const std::wstring& value) {
    if (value.empty()) return;
    text += "  \"";
    text += key;
    text += "\": \"";
    text += JsonEscape(value);
    text += "\",\n";
}

}  // namespace

std::wstring ApiBaseFromText(const std::string& text) {
    std::string value;
    return JsonGetString(text, "api_base", value) ? Utf8ToWide(value) : std::wstring();
}

std::string BuildLoginStateText(const std::wstring* apiBaseOrNull, const LoginResult& result) {
    std::string text = "{\n";
    if (apiBaseOrNull != nullptr) AppendMember(text, "api_base", *apiBaseOrNull);
    AppendMember(text, "token", result.token);
    AppendMember(text, "machine_code", result.machine_code);
    AppendMember(text, "channel_code", result.channel_code);
    AppendMember(text, "qhclickid", result.qhclickid);
    AppendMember(text, "level", result.level);
    text += "  \"uid\": " + std::to_string(result.uid) + ",\n";
    text += "  \"machine_id\": " + std::to_string(result.machine_id) + "\n";
    text += "}\n";
    return text;
}
