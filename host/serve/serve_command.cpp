#include "host/serve/serve_command.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>

#include "host/serve/server.h"

namespace panelhost::live {

int serve(const ServeOptions &options) {
    // SIGINT and SIGTERM stay blocked in this thread and every thread started
    // from here on: one that comes during start-up waits, and sigwait below
    // takes it once the server is up, so it always ends the command cleanly.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    LiveSession session(options.session);
    for (const auto &w : session.description().value("warnings", nlohmann::json::array()))
        std::fprintf(stderr, "panelhost: %s\n", w.get<std::string>().c_str());
    LiveServer server(session);
    int port = server.listen(options.address, options.port);
    std::string host = options.address.find(':') != std::string::npos ? "[" + options.address + "]" : options.address;
    std::printf("live panel of %s on http://%s:%d/ (Ctrl+C stops it)\n", session.description().value("name", "").c_str(),
                host.c_str(), port);
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.stop();
    return 0;
}

}  // namespace panelhost::live
