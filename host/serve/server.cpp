#include "host/serve/server.h"

#include <httplib.h>

#include <netdb.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "host/host_error.h"
#include "host/serve/http_guard.h"
#include "host/serve/replies.h"

namespace panelhost::live {
namespace {

using nlohmann::json;

// How long a frame request waits for the next frame.
constexpr std::chrono::milliseconds kFrameWait{1000};
// Workers answer whole requests only (the waiting room reads them), so
// they are held by long-polling frame requests and little else.
constexpr size_t kWorkers = 32;
constexpr int kListenBacklog = 1024;

void reply_json(httplib::Response &res, int status, const json &body) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(json_text(body), "application/json");
}

void refuse(httplib::Response &res, int status, const std::string &what) {
    reply_json(res, status, {{"error", what}});
}

// Every handler's failure becomes an answer: its own status for a refused
// request, 500 for anything else. Nothing a request holds ends the process.
template <class Handler>
httplib::Server::Handler guarded(Handler handler) {
    return [handler](const httplib::Request &req, httplib::Response &res) {
        try {
            handler(req, res);
        } catch (const RequestError &e) {
            refuse(res, e.status(), e.what());
        } catch (const std::exception &e) {
            refuse(res, 500, std::string("internal error: ") + e.what());
        } catch (...) {
            refuse(res, 500, "internal error");
        }
    };
}

}  // namespace

LiveServer::LiveServer(LiveSession &session)
    : session_(session), http_(std::make_unique<GuardedServer>(RequestLimits{.max_body_bytes = kMaxBodyBytes}, kWorkers)) {
    // A browser that goes away mid-answer must not take the host with it.
    std::signal(SIGPIPE, SIG_IGN);
    http_->set_payload_max_length(kMaxBodyBytes);
    http_->set_keep_alive_max_count(1000000);
    // Frames are small answers sent back to back: no waiting for acks.
    http_->set_tcp_nodelay(true);
    routes();
}

LiveServer::~LiveServer() { stop(); }

int LiveServer::bind(const std::string &address, int port) {
    std::string where = address + (port == 0 ? " (any free port)" : " port " + std::to_string(port));
    addrinfo hints{}, *found = nullptr;
    hints.ai_flags = AI_PASSIVE;
    hints.ai_socktype = SOCK_STREAM;
    if (int e = getaddrinfo(address.c_str(), nullptr, &hints, &found); e != 0)
        throw HostError("cannot listen on " + where + ": not an address of this machine (" + gai_strerror(e) + ")");
    freeaddrinfo(found);
    errno = 0;
    int bound = port == 0 ? http_->bind_to_any_port(address) : (http_->bind_to_port(address, port) ? port : -1);
    if (bound <= 0) throw HostError("cannot listen on " + where + ": " + (errno ? std::strerror(errno) : "refused"));
    http_->raise_backlog(kListenBacklog);
    return bound;
}

void LiveServer::run() {
    http_->listen_after_bind();
    http_->close_connections();
}

void LiveServer::stop() { http_->stop(); }

void LiveServer::routes() {
    httplib::Server &s = *http_;
    s.Get("/", guarded([](const httplib::Request &, httplib::Response &res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content(kPageHtml, "text/html; charset=utf-8");
    }));
    s.Get("/api/panel", guarded([this](const httplib::Request &, httplib::Response &res) {
        reply_json(res, 200, session_.description());
    }));
    s.Get("/api/map", guarded([this](const httplib::Request &, httplib::Response &res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content(session_.map_png(), "image/png");
    }));
    s.Get("/api/status", guarded([this](const httplib::Request &, httplib::Response &res) {
        auto f = session_.latest();
        json body = f->status();
        body["published"] = f->number();
        reply_json(res, 200, body);
    }));
    s.Get("/api/frame", guarded([this](const httplib::Request &req, httplib::Response &res) {
        long after = -1;
        if (req.has_param("after")) {
            std::optional<long> n = frame_number(req.get_param_value("after"));
            if (!n) return refuse(res, 400, "'after' must be a frame number");
            after = *n;
        }
        auto f = session_.frame_after(after, kFrameWait);
        res.set_header("X-Frame", std::to_string(f->number()));
        if (!f->has_panel()) return refuse(res, 503, "no panel: " + f->status().value("error", ""));
        res.set_header("Cache-Control", "no-store");
        res.set_content(f->png(), "image/png");
    }));

    // Commands: checked here, applied by the simulation thread.
    auto command = [this](Command (*parse)(const std::string &, const PanelFacts &)) {
        return guarded([this, parse](const httplib::Request &req, httplib::Response &res) {
            session_.post(parse(req.body, session_.facts()));
            reply_json(res, 202, {{"queued", true}});
        });
    };
    s.Post("/api/click", command(&parse_click));
    s.Post("/api/key", command([](const std::string &body, const PanelFacts &) { return parse_key(body); }));
    s.Post("/api/control", command(&parse_control));
    for (const char *path : {"/api/click", "/api/key", "/api/control"})
        s.Get(path, guarded([](const httplib::Request &, httplib::Response &res) {
            res.set_header("Allow", "POST");
            refuse(res, 405, "send this as a POST with a JSON body");
        }));

    // Whatever else went wrong gets a message the page can show. The path
    // is the client's own bytes: cut short, and made UTF-8 by json_text.
    s.set_error_handler(guarded([](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty()) return;
        int status = res.status;
        std::string what = status == 404   ? "no such page: " + excerpt(req.path)
                           : status == 413 ? "the request body is over " + std::to_string(kMaxBodyBytes) + " bytes"
                                           : "request refused";
        refuse(res, status, what);
    }));
    s.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        res.status = 500;
        res.set_content(R"({"error":"internal error"})", "application/json");
    });
}

}  // namespace panelhost::live
