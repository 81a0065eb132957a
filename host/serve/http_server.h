// The live server's HTTP side, on libmicrohttpd: one event loop reads every
// open connection at once, so a slow, idle or waiting client holds a socket
// and a little memory, never a thread. The library bounds each connection
// (an idle timeout, a memory pool) and the number of them; this layer checks
// each request's head, reads its body, routes it through a table and lets a
// request wait for news (a frame request waiting for its frame) without
// holding the loop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace panelhost::live {

using Fields = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;
    std::string path;  // decoded, without the query
    Fields query;      // decoded
    std::string body;
    bool waited = false;  // back from waiting for news: answer with what there is

    // The first query parameter of that name ("" when given without '=').
    std::optional<std::string> param(std::string_view name) const;
};

struct HttpReply {
    int status = 200;
    std::string type = "application/json";
    std::string body;
    Fields headers;
    // Set: the request waits, holding no thread, until wake() tells of news
    // newer than this or HttpLimits::wait passes, and is then handled again
    // with `waited` set.
    std::optional<long> wait_after;
};

// A JSON refusal: {"error": what}.
HttpReply refusal(int status, const std::string &what);

struct Route {
    const char *method;  // "GET" (which answers HEAD as well) or "POST"
    const char *path;
    std::function<HttpReply(const HttpRequest &)> handle;
};

struct HttpLimits {
    // The request line and header lines (as "name: value" lines) together.
    static constexpr size_t kHeaderBytes = 64 * 1024;
    static constexpr size_t kBodyBytes = 4096;
    // What the library gives each connection for its request: a head of
    // kHeaderBytes and the records of its fields (some 64 bytes each), so a
    // head of more than about 1,800 short fields outgrows it first and is
    // refused by the library (431). The library maps it afresh for each
    // connection and writes all of it over after each answer, so a kept-alive
    // connection keeps all of it: room for 11,000 fields (1.5 MB) would cost
    // some 4 ms a new connection instead of 0.5, and 1.3 GB at 900 clients.
    static constexpr size_t kConnectionMemory = 128 * 1024;
    // Nothing sent or received on a connection for this long closes it.
    static constexpr unsigned kIdleSeconds = 5;
    // Open connections at most, fewer when open files run short: past it
    // the library refuses new ones. Some way below it, each new connection
    // closes the one idle longest, so that connections held open by others
    // cannot keep the page out.
    static constexpr size_t kMaxConnections = 1024;
    static constexpr size_t kRoomForNew = 16;
    static constexpr int kListenBacklog = 1024;
    // How long a request waits for news.
    static constexpr std::chrono::milliseconds kWait{1000};
};

// The head of a request as the library read it.
struct RequestHead {
    std::string_view method, url, version;
    Fields headers, query;
};

// The request's path: `url` itself, or the path of an absolute-form target
// ("http://host:port/api/status").
std::string target_path(std::string_view url);
// A refusal for a head this server does not take (oversize, a body without
// Content-Length, two lengths, a body over the limit), or nothing.
std::optional<HttpReply> check_head(const RequestHead &head);
// The route's answer to a method and path: nothing when one is found;
// else 404, or 405 naming the methods the path takes.
std::optional<HttpReply> check_route(const std::vector<Route> &routes, std::string_view method,
                                     std::string_view path, const Route **found);

// The open connections the process's file limit leaves room for, after
// raising its soft limit towards the hard one where the system allows.
size_t connection_cap();

class HttpServer {
public:
    explicit HttpServer(std::vector<Route> routes);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Listens on the address and port (0: any free port) and serves from the
    // library's thread; returns the port. Throws HostError when it cannot.
    int listen(const std::string &address, int port);
    // Answers the waiting requests that wait for less than `newest`.
    void wake(long newest);
    // Answers the waiting requests and closes every connection.
    void stop();

    size_t connection_limit() const { return connection_limit_; }

    struct Exchange;  // one request on its way through

private:
    struct Waiting {
        MHD_Connection *connection;
        Exchange *exchange;
        long after;
        std::chrono::steady_clock::time_point until;
    };

    // An open connection as the library's thread sees it.
    struct Open {
        int fd;
        std::chrono::steady_clock::time_point idle_since;
        bool busy = false;     // a request is being answered or waits
        bool closing = false;  // closed to make room
    };

    friend struct HttpServerCalls;
    void opened(MHD_Connection *c);
    void make_room();
    void begin(MHD_Connection *c, Exchange &x, const char *url, const char *method, const char *version);
    void finish(MHD_Connection *c, Exchange &x);
    void answer(MHD_Connection *c, Exchange &x, const HttpReply &reply);
    void run_timer();
    void resume(Waiting &w);  // under mutex_

    std::vector<Route> routes_;
    MHD_Daemon *daemon_ = nullptr;
    size_t connection_limit_ = 0;
    std::unordered_map<MHD_Connection *, Open> open_;  // the library's thread's alone

    std::mutex mutex_;  // guards what follows
    std::condition_variable timer_wake_;
    std::vector<Waiting> waiting_;
    long newest_ = std::numeric_limits<long>::min();  // the news wake() told of
    bool stopping_ = false;
    std::thread timer_;
};

}  // namespace panelhost::live
