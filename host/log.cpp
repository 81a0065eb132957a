#include "host/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace panelhost {

std::vector<std::string> CallLog::of(int entry) const { return of_any({entry}); }

std::vector<std::string> CallLog::of_any(std::initializer_list<int> entries) const {
    std::vector<std::string> out;
    for (const HostCall &c : calls_)
        if (std::find(entries.begin(), entries.end(), c.entry) != entries.end()) out.push_back(c.text());
    return out;
}

std::vector<std::string> CallLog::texts() const {
    std::vector<std::string> out;
    out.reserve(calls_.size());
    for (const HostCall &c : calls_) out.push_back(c.text());
    return out;
}

std::string quote(const char *text, size_t max) {
    if (text == nullptr) return "null";
    std::string out = "\"";
    size_t n = strnlen(text, max);
    for (size_t i = 0; i < n; ++i) {
        unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += char(ch);
        } else if (ch < 32 || ch >= 127) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", ch);
            out += buf;
        } else {
            out += char(ch);
        }
    }
    return out + "\"";
}

std::string code_text(uint32_t code) {
    std::string out = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        char ch = char((code >> shift) & 0xff);
        out += (ch >= 32 && ch < 127) ? ch : '?';
    }
    return out + "'";
}

std::string colour_text(uint32_t colour) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06x", colour);
    return buf;
}

}  // namespace panelhost
