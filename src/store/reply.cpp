// String-aware bracket matching over raw reply text.
#include "store/reply.h"

#include "util/json.h"

namespace {

constexpr size_t npos = std::string::npos;
constexpr char kDataKey[] = "\"data\"";

// First c at or after from that lies outside every string value.
size_t FindOutsideStrings(const std::string& text, size_t from, char c) {
    size_t i = from;
    while (i < text.size()) {
        if (text[i] == c) return i;
        if (text[i] == '"') {
            i = JsonStringEnd(text, i);
            if (i == npos) return npos;
        } else {
            ++i;
        }
    }
    return npos;
}

// First occurrence of c after the "data" key, or npos.
size_t FindAfterDataKey(const std::string& reply, char c) {
    const size_t key = reply.find(kDataKey);
    if (key == npos) return npos;
    return FindOutsideStrings(reply, key + sizeof(kDataKey) - 1, c);
}

// The object starting at text[at], to its matching brace or the end.
std::string CutObject(const std::string& text, size_t at) {
    const size_t close = MatchingClose(text, at, '{', '}');
    return close == npos ? text.substr(at) : text.substr(at, close + 1 - at);
}

}  // namespace

size_t MatchingClose(const std::string& text, size_t at, char open, char close) {
    size_t depth = 0;
    size_t i = at;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            i = JsonStringEnd(text, i);
            if (i == npos) return npos;
            continue;
        }
        if (c == open) {
            ++depth;
        } else if (c == close && --depth == 0) {
            return i;
        }
        ++i;
    }
    return npos;
}

bool ExtractDataObject(const std::string& reply, std::string& obj) {
    const size_t open = FindAfterDataKey(reply, '{');
    if (open == npos) return false;
    obj = CutObject(reply, open);
    return true;
}

bool ExtractDataArray(const std::string& reply, std::string& arr) {
    const size_t open = FindAfterDataKey(reply, '[');
    if (open == npos) return false;
    const size_t close = MatchingClose(reply, open, '[', ']');
    if (close == npos) return false;
    arr = reply.substr(open + 1, close - open - 1);
    return true;
}

void ForEachObject(const std::string& arr, const std::function<void(const std::string&)>& visit) {
    size_t pos = 0;
    while (pos < arr.size()) {
        const size_t open = FindOutsideStrings(arr, pos, '{');
        if (open == npos) return;
        const std::string obj = CutObject(arr, open);
        visit(obj);
        pos = open + obj.size();
    }
}
