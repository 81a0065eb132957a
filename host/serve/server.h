// The live page's HTTP side: the page itself, the panel's description, its
// frames as PNG (long polling: a request waits for the next frame) and the
// commands the page sends. Handlers only check requests, queue commands and
// read published frames; the simulation runs on the session's thread.
#pragma once

#include <memory>
#include <string>

#include "host/serve/live_session.h"

namespace panelhost::live {

class GuardedServer;

class LiveServer {
public:
    explicit LiveServer(LiveSession &session);
    ~LiveServer();
    LiveServer(const LiveServer &) = delete;
    LiveServer &operator=(const LiveServer &) = delete;

    // Binds the address and port (0: any free port) and returns the port.
    // Throws HostError when it cannot.
    int bind(const std::string &address, int port);
    // Serves until stop(); call after bind.
    void run();
    void stop();

private:
    void routes();
    LiveSession &session_;
    std::unique_ptr<GuardedServer> http_;
};

// The page, built into the program.
extern const char *const kPageHtml;

}  // namespace panelhost::live
