#include "host/serve/server.h"

#include <csignal>

#include "host/serve/replies.h"

namespace panelhost::live {
namespace {

using nlohmann::json;

// A frame is encoded ahead while frames were asked for this recently.
constexpr std::chrono::seconds kAskedRecently{2};

HttpReply json_reply(int status, const json &body) {
    HttpReply r;
    r.status = status;
    r.body = json_text(body);
    return r;
}

HttpReply page(const HttpRequest &) {
    HttpReply r;
    r.type = "text/html; charset=utf-8";
    r.body = kPageHtml;
    return r;
}

HttpReply status(LiveSession &session) {
    auto f = session.latest();
    json body = f->status();
    body["published"] = f->number();
    return json_reply(200, body);
}

// The newest frame once it is newer than `after`; it waits up to
// HttpLimits::kWait for one.
HttpReply frame(ReadyFrames &frames, const HttpRequest &request) {
    long after = -1;
    if (auto text = request.param("after")) {
        std::optional<long> n = frame_number(*text);
        if (!n) return refusal(400, "'after' must be a frame number");
        after = *n;
    }
    long wait_after = after;
    auto f = frames.newer_than(after, request.waited, wait_after);
    if (!f) {
        HttpReply wait;
        wait.wait_after = wait_after;
        return wait;
    }
    HttpReply r = f->has_panel() ? HttpReply{200, "image/png", f->png(), {}, {}}
                                 : refusal(503, "no panel: " + f->status().value("error", ""));
    r.headers.emplace_back("X-Frame", std::to_string(f->number()));
    return r;
}

// A command: checked here, applied by the simulation thread.
template <class Parse>
Route command(const char *path, LiveSession &session, Parse parse) {
    return {"POST", path, [&session, parse](const HttpRequest &request) {
                session.post(parse(request.body, session.facts()));
                return json_reply(202, {{"queued", true}});
            }};
}

std::vector<Route> routes(LiveSession &s, ReadyFrames &frames) {
    return {
        {"GET", "/", &page},
        {"GET", "/api/panel", [&s](const HttpRequest &) { return json_reply(200, s.description()); }},
        {"GET", "/api/map", [&s](const HttpRequest &) { return HttpReply{200, "image/png", s.map_png(), {}, {}}; }},
        {"GET", "/api/status", [&s](const HttpRequest &) { return status(s); }},
        {"GET", "/api/frame", [&frames](const HttpRequest &r) { return frame(frames, r); }},
        command("/api/click", s, &parse_click),
        command("/api/key", s, [](const std::string &body, const PanelFacts &) { return parse_key(body); }),
        command("/api/control", s, &parse_control),
    };
}

}  // namespace

ReadyFrames::ReadyFrames(LiveSession &session, HttpServer &http)
    : session_(session), http_(http), thread_([this] { run(); }) {}

ReadyFrames::~ReadyFrames() { stop(); }

std::shared_ptr<const LiveFrame> ReadyFrames::newer_than(long after, bool any, long &wait_after) {
    auto newest = session_.latest();
    std::lock_guard lock(mutex_);
    asked_ = std::chrono::steady_clock::now();
    if (newest->ready() && (!ready_ || ready_->number() < newest->number())) ready_ = newest;
    // Only the newest published frame is sent: the one before may show
    // another panel (a restart came between).
    const bool fresh = ready_ && ready_->number() >= newest->number();
    if (fresh && (any || ready_->number() > after)) return ready_;
    // The newest not made ready in all the wait (an encoder far behind).
    if (any) return newest;
    wait_after = after;
    if (newest->number() > after) {
        // The newest is to be made ready, and then sent.
        wait_after = newest->number() - 1;
        wanted_ = true;
        work_.notify_one();
    }
    return nullptr;
}

void ReadyFrames::published() {
    // While the page asks for frames, each is encoded here, on the
    // simulation thread as it publishes, so that the requests waiting for
    // it are answered without a further thread in between.
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || (!wanted_ && std::chrono::steady_clock::now() - asked_ >= kAskedRecently)) return;
    }
    make_ready(session_.latest());
}

void ReadyFrames::make_ready(std::shared_ptr<const LiveFrame> frame) {
    if (frame->has_panel()) frame->png();
    const long number = frame->number();
    {
        std::lock_guard lock(mutex_);
        if (ready_ && ready_->number() >= number) return;
        ready_ = std::move(frame);
        wanted_ = false;
    }
    http_.wake(number);
}

void ReadyFrames::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void ReadyFrames::run() {
    // A request came for a frame newer than any made ready (the first one,
    // or one after a pause in asking): the newest published is made ready
    // now rather than at the next publication, which a paused panel makes
    // none of.
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || wanted_; });
        if (stopping_) return;
        lock.unlock();
        make_ready(session_.latest());
        lock.lock();
        wanted_ = false;
    }
}

LiveServer::LiveServer(LiveSession &session)
    : session_(session), http_(routes(session, frames_)), frames_(session, http_) {
    // A browser that goes away mid-answer must not take the host with it.
    std::signal(SIGPIPE, SIG_IGN);
    session_.on_publish([this](long) { frames_.published(); });
}

LiveServer::~LiveServer() { stop(); }

int LiveServer::listen(const std::string &address, int port) { return http_.listen(address, port); }

void LiveServer::stop() {
    session_.on_publish(nullptr);
    frames_.stop();
    http_.stop();
}

}  // namespace panelhost::live
