// The serve command: the live panel on a local web page until interrupted.
#pragma once

#include <string>

#include "host/serve/live_session.h"

namespace panelhost::live {

struct ServeOptions {
    SessionOptions session;
    std::string address = "127.0.0.1";  // others only when asked for
    int port = 8650;                    // 0: any free port
};

// Serves until SIGINT or SIGTERM; prints the page's address. Throws
// ScenarioError or HostError (naming the file) when it cannot start.
int serve(const ServeOptions &options);

}  // namespace panelhost::live
