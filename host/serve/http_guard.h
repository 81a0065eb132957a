// The live server's defences against slow, oversized and hostile requests.
//
// cpp-httplib as packaged is a compiled library: its limits (the listen
// backlog, header sizes) are fixed at the packager's values, its read timeout
// applies to each read rather than to a whole request, and every open
// connection holds a worker thread while it waits. GuardedServer keeps the
// library's parsing, routing and answers, and takes over what happens before
// a request reaches them: one thread, the waiting room, reads every request
// whole (headers and body, within a deadline and size limits) from all the
// open connections at once, and only then hands it to a worker. A client that
// trickles, stalls or idles therefore holds a socket, never a worker.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace panelhost::live {

struct RequestLimits {
    // A request's headers and body arrive within this, from its first byte.
    std::chrono::milliseconds deadline{3000};
    // A kept-alive connection may wait this long for its next request.
    std::chrono::milliseconds idle{5000};
    size_t max_header_bytes = 64 * 1024;  // request line and headers together
    size_t max_body_bytes = 4096;
};

// How much of the received bytes form the next request, or why it is refused.
struct RequestExtent {
    enum State { kIncomplete, kComplete, kRefused } state = kIncomplete;
    size_t header_bytes = 0;  // kComplete: the request line and headers with the blank line
    size_t body_bytes = 0;    // kComplete: from Content-Length
    int status = 0;           // kRefused: 400, 411, 413 or 431
    std::string reason;       // kRefused
};

// Reads the request at the start of `data` as far as it has arrived.
// `scanned` carries how far earlier calls looked for the end of the headers
// (start at 0, pass the same variable with the data grown), so that a header
// block that arrives a byte at a time is still read in linear time.
RequestExtent measure_request(std::string_view data, size_t &scanned, const RequestLimits &limits);

// The whole response for a request refused before it reached a handler:
// a JSON body {"error": reason} and the connection closed after it.
std::string refusal_response(int status, const std::string &reason);

class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(RequestLimits limits, size_t workers);
    ~GuardedServer() override;

    // After a bind: the library listens with a backlog of 5, which drops
    // connects under a burst; this raises it.
    void raise_backlog(int backlog);
    // After listen_after_bind returned: closes the waiting connections and
    // ends the workers once their requests are answered.
    void close_connections();

    // Open connections at most: past it the longest waiting one is dropped.
    static constexpr size_t kMaxConnections = 4096;

private:
    struct Connection;
    using Owned = std::unique_ptr<Connection>;

    bool process_and_close_socket(socket_t sock) override;
    void wait_loop();
    void work_loop();
    // Hands a connection to the waiting room (new, or after an answer).
    void admit(Owned c);
    void wake();
    // Reads what arrived; false when the connection is done with.
    bool receive(Connection &c, std::chrono::steady_clock::time_point now);
    void check(Connection &c, std::chrono::steady_clock::time_point now);
    void check_request(Connection &c, std::chrono::steady_clock::time_point now);
    void refuse_and_close(Connection &c, int status, const std::string &reason,
                          std::chrono::steady_clock::time_point now);
    void serve(Connection &c);

    RequestLimits limits_;
    int wake_fds_[2] = {-1, -1};

    std::mutex mutex_;  // guards what follows
    std::condition_variable work_ready_;
    std::vector<Owned> arriving_;  // for the waiting room
    std::deque<Owned> ready_;      // whole requests for the workers
    bool stopping_ = false;

    std::vector<Owned> waiting_;  // the waiting room's alone
    std::thread waiter_;
    std::vector<std::thread> workers_;
};

}  // namespace panelhost::live
