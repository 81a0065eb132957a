// What the live server puts into its answers from a request's own text, and
// the query parameters it reads. Request texts are arbitrary bytes: nothing
// here throws on them, whatever they hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace panelhost::live {

// The JSON text of an answer; bytes that are not UTF-8 become U+FFFD.
std::string json_text(const nlohmann::json &body);

// A request's text for a message: at most `most` bytes, marked when cut.
std::string excerpt(std::string_view text, size_t most = 80);

// The `after` parameter of a frame request: a frame number, -1 or more.
std::optional<long> frame_number(const std::string &text);

}  // namespace panelhost::live
