// The live server's request side on arbitrary bytes, through the checks the
// handlers make: the command bodies, the frame query, and the checks of a
// request's head and its route that follow the HTTP library's reading of it.
// The first byte chooses which; the rest is the request's text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/serve/http_server.h"
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

bool json_refusal(const HttpReply &r) {
    nlohmann::json body = nlohmann::json::parse(r.body, nullptr, false);
    return body.is_object() && body.contains("error");
}

// A head as the library hands it over: the request line's three words and
// the "name: value" lines after it.
void head(std::string_view text) {
    RequestHead h;
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    size_t a = line.find(' '), b = a == std::string_view::npos ? a : line.find(' ', a + 1);
    h.method = line.substr(0, a);
    if (a != std::string_view::npos) h.url = line.substr(a + 1, b == std::string_view::npos ? b : b - a - 1);
    if (b != std::string_view::npos) h.version = line.substr(b + 1);
    while (end != std::string_view::npos) {
        size_t next = text.find('\n', end + 1);
        std::string_view field = text.substr(end + 1, next == std::string_view::npos ? next : next - end - 1);
        size_t colon = field.find(':');
        if (colon != std::string_view::npos)
            h.headers.emplace_back(field.substr(0, colon), field.substr(colon + 1));
        end = next;
    }
    if (auto refused = check_head(h)) {
        int st = refused->status;
        if ((st != 400 && st != 411 && st != 413 && st != 431) || !json_refusal(*refused)) __builtin_trap();
        return;
    }
    static const std::vector<Route> routes = [] {
        std::vector<Route> r;
        for (const char *path : {"/", "/api/panel", "/api/status", "/api/frame"})
            r.push_back({"GET", path, [](const HttpRequest &) { return HttpReply{}; }});
        for (const char *path : {"/api/click", "/api/key", "/api/control"})
            r.push_back({"POST", path, [](const HttpRequest &) { return HttpReply{}; }});
        return r;
    }();
    const Route *found = nullptr;
    std::string path = target_path(h.url);
    if (auto refused = check_route(routes, h.method, path, &found)) {
        if ((refused->status != 404 && refused->status != 405) || found != nullptr || !json_refusal(*refused))
            __builtin_trap();
        if (refused->status == 405 && refused->headers.empty()) __builtin_trap();
    } else if (found == nullptr || path != found->path) {
        __builtin_trap();
    }
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
    case 4: head(text); break;
    }
    return 0;
}
