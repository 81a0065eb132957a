// The live page's HTTP interface: the page itself, the panel's description,
// its frames as PNG (long polling: a request waits for the next frame) and
// the commands the page sends. Handlers only check requests, queue commands
// and read published frames; the simulation runs on the session's thread.
#pragma once

#include <string>

#include "host/serve/http_server.h"
#include "host/serve/live_session.h"

namespace panelhost::live {

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
};

// The page, built into the program.
extern const char *const kPageHtml;

}  // namespace panelhost::live
