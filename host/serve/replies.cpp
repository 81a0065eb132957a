#include "host/serve/replies.h"

#include <cerrno>
#include <cstdlib>

namespace panelhost::live {

std::string json_text(const nlohmann::json &body) {
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string excerpt(std::string_view text, size_t most) {
    if (text.size() <= most) return std::string(text);
    return std::string(text.substr(0, most)) + "...";
}

std::optional<long> frame_number(const std::string &text) {
    char *end = nullptr;
    errno = 0;
    long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || n < -1) return std::nullopt;
    return n;
}

}  // namespace panelhost::live
