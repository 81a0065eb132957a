// The live page's HTTP interface: the page itself, the panel's description,
// its frames as PNG (long polling: a request waits for the next frame) and
// the commands the page sends. Handlers only check requests, queue commands
// and read published frames; the simulation runs on the session's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/serve/http_server.h"
#include "host/serve/live_session.h"

namespace panelhost::live {

// The frames the page is sent. Each is encoded to PNG once, off the HTTP
// thread (encoding takes milliseconds, which its event loop must not
// spend), and only while the page asks for frames.
class ReadyFrames {
public:
    ReadyFrames(LiveSession &session, HttpServer &http);
    ~ReadyFrames();
    ReadyFrames(const ReadyFrames &) = delete;
    ReadyFrames &operator=(const ReadyFrames &) = delete;

    // The newest frame, ready to send, when it is newer than `after`; else
    // nothing, and `wait_after` the number that a frame made ready must pass
    // (the HTTP server is woken with the numbers of the frames made ready).
    // `any`: the newest, even if not newer (encoded on the spot if it is
    // not ready yet).
    std::shared_ptr<const LiveFrame> newer_than(long after, bool any, long &wait_after);
    // The session published a frame.
    void published();
    void stop();

private:
    void run();
    void make_ready(std::shared_ptr<const LiveFrame> frame);

    LiveSession &session_;
    HttpServer &http_;
    std::mutex mutex_;  // guards what follows
    std::condition_variable work_;
    std::shared_ptr<const LiveFrame> ready_;
    std::chrono::steady_clock::time_point asked_;  // a frame was last asked for
    bool wanted_ = false;  // a request waits for a frame newer than the ready one
    bool stopping_ = false;
    std::thread thread_;
};

class LiveServer {
public:
    explicit LiveServer(LiveSession &session);
    ~LiveServer();
    LiveServer(const LiveServer &) = delete;
    LiveServer &operator=(const LiveServer &) = delete;

    // Listens on the address and port (0: any free port) and serves until
    // stop(); returns the port. Throws HostError when it cannot.
    int listen(const std::string &address, int port);
    void stop();

    // Open connections at most (fewer than HttpLimits::kMaxConnections when
    // open files run short).
    size_t connection_limit() const { return http_.connection_limit(); }

private:
    LiveSession &session_;
    HttpServer http_;
    ReadyFrames frames_;
};

// The page, built into the program.
extern const char *const kPageHtml;

}  // namespace panelhost::live
