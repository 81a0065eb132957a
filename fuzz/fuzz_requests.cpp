// The live server's request side on arbitrary bytes, through the checks the
// handlers make: the command bodies, the frame query and the reading of a
// request's header block that comes before the HTTP library. The first byte
// chooses which; the rest is the request's text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/serve/http_guard.h"
#include "host/serve/replies.h"
#include "host/serve/requests.h"

namespace {

using namespace panelhost::live;

PanelFacts panel(uint8_t flags) {
    PanelFacts f;
    f.gauges.push_back({"display", 8, 8, 206, 330});
    f.gauges.push_back({"com", 220, 8, 120, 40});
    f.has_power = flags & 1;
    f.has_autopilot = flags & 2;
    return f;
}

// A refusal carries one of the documented statuses and a message that an
// answer can carry; anything else thrown escapes and is reported.
template <class Parse>
void command(Parse parse) {
    try {
        Command c = parse();
        if (c.kind == Command::kSpeed && !(c.speed >= kMinSpeed && c.speed <= kMaxSpeed)) __builtin_trap();
        if (c.kind == Command::kEvent && c.event.kind == panelhost::Event::kKey && (c.event.key < 1 || c.event.key > 255))
            __builtin_trap();
    } catch (const RequestError &e) {
        int s = e.status();
        if (s != 400 && s != 404 && s != 409 && s != 413 && s != 422) __builtin_trap();
        std::string text = json_text({{"error", e.what()}});
        if (nlohmann::json::parse(text, nullptr, false).is_discarded()) __builtin_trap();
    }
}

bool same(const RequestExtent &a, const RequestExtent &b) {
    return a.state == b.state && a.header_bytes == b.header_bytes && a.body_bytes == b.body_bytes &&
           a.status == b.status;
}

// The header block read at once and as it trickles in must agree.
void header_block(const std::string &text, size_t step) {
    RequestLimits limits;
    limits.max_header_bytes = 512;
    limits.max_body_bytes = 64;
    size_t scanned = 0;
    RequestExtent whole = measure_request(text, scanned, limits);
    if (whole.state == RequestExtent::kComplete &&
        (whole.header_bytes > limits.max_header_bytes || whole.body_bytes > limits.max_body_bytes ||
         whole.header_bytes > text.size() || text.compare(whole.header_bytes - 3, 3, "\n\r\n") != 0))
        __builtin_trap();
    if (whole.state == RequestExtent::kRefused && whole.status != 400 && whole.status != 411 && whole.status != 413 &&
        whole.status != 431)
        __builtin_trap();
    scanned = 0;
    RequestExtent part;
    for (size_t n = 0; n < text.size() && part.state == RequestExtent::kIncomplete;) {
        n = std::min(text.size(), n + step);
        part = measure_request(std::string_view(text).substr(0, n), scanned, limits);
    }
    if (part.state != RequestExtent::kIncomplete && !same(part, whole)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    const uint8_t choice = data[0], extra = data[1];
    const std::string text(reinterpret_cast<const char *>(data) + 2, size - 2);
    switch (choice % 5) {
    case 0: command([&] { return parse_click(text, panel(extra)); }); break;
    case 1: command([&] { return parse_key(text); }); break;
    case 2: command([&] { return parse_control(text, panel(extra)); }); break;
    case 3: {
        std::optional<long> n = frame_number(text);
        if (n && *n < -1) __builtin_trap();
        break;
    }
    case 4: header_block(text, 1 + extra % 16); break;
    }
    return 0;
}
