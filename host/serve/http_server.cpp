#include "host/serve/http_server.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/host_error.h"
#include "host/serve/replies.h"
#include "host/serve/requests.h"

namespace panelhost::live {
namespace {

using Clock = std::chrono::steady_clock;

// Files the host keeps for itself beside the connections: the plug-ins'
// archives, a restart's scenario, the library's own.
constexpr size_t kSpareFiles = 128;

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

bool starts_with_name(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && same_name(text.substr(0, prefix.size()), prefix);
}

size_t open_files() {
    std::error_code ec;
    size_t n = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) ++n;
    return ec || n == 0 ? kSpareFiles : n;
}

MHD_Result collect(void *fields, MHD_ValueKind, const char *key, const char *value) {
    static_cast<Fields *>(fields)->emplace_back(key ? key : "", value ? value : "");
    return MHD_YES;
}

}  // namespace

struct HttpServer::Exchange {
    HttpRequest request;
    const Route *route = nullptr;
    bool answered = false;
};

// The library's callbacks, with access to the server.
struct HttpServerCalls {
    static MHD_Result request(void *cls, MHD_Connection *c, const char *url, const char *method, const char *version,
                              const char *upload, size_t *upload_size, void **state) {
        auto &server = *static_cast<HttpServer *>(cls);
        auto *x = static_cast<HttpServer::Exchange *>(*state);
        try {
            if (x == nullptr) {
                // The head is in, the body (if any) not yet.
                if (auto it = server.open_.find(c); it != server.open_.end()) it->second.busy = true;
                auto owned = std::make_unique<HttpServer::Exchange>();
                x = owned.get();
                *state = owned.release();  // completed() takes it back
                server.begin(c, *x, url, method, version);
            } else if (*upload_size != 0) {
                if (!x->answered) {
                    if (x->request.body.size() + *upload_size > HttpLimits::kBodyBytes)
                        server.answer(c, *x, refusal(413, "the request body is over " +
                                                              std::to_string(HttpLimits::kBodyBytes) + " bytes"));
                    else
                        x->request.body.append(upload, *upload_size);
                }
                *upload_size = 0;
            } else if (!x->answered) {
                server.finish(c, *x);
            }
            return MHD_YES;
        } catch (...) {
            return MHD_NO;  // the library closes the connection
        }
    }

    static void completed(void *cls, MHD_Connection *c, void **state, MHD_RequestTerminationCode) {
        std::unique_ptr<HttpServer::Exchange> done(static_cast<HttpServer::Exchange *>(*state));
        *state = nullptr;
        auto &server = *static_cast<HttpServer *>(cls);
        if (auto it = server.open_.find(c); it != server.open_.end()) {
            it->second.busy = false;
            it->second.idle_since = Clock::now();
        }
    }

    static void connection(void *cls, MHD_Connection *c, void **, MHD_ConnectionNotificationCode code) {
        auto &server = *static_cast<HttpServer *>(cls);
        try {
            if (code == MHD_CONNECTION_NOTIFY_STARTED)
                server.opened(c);
            else
                server.open_.erase(c);
        } catch (...) {
            // Not tracked: it is never closed to make room.
        }
    }
};

std::optional<std::string> HttpRequest::param(std::string_view name) const {
    for (const auto &[key, value] : query)
        if (key == name) return value;
    return std::nullopt;
}

HttpReply refusal(int status, const std::string &what) {
    HttpReply r;
    r.status = status;
    r.body = json_text({{"error", what}});
    return r;
}

std::string target_path(std::string_view url) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (!starts_with_name(url, scheme)) continue;
        std::string_view rest = url.substr(scheme.size());
        size_t slash = rest.find('/');
        return slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    }
    return std::string(url);
}

std::optional<HttpReply> check_head(const RequestHead &head) {
    // The head as it was sent, near enough: the library hands over fields,
    // not the bytes.
    size_t bytes = head.method.size() + 1 + head.url.size() + 1 + head.version.size() + 2 + 2;
    for (const auto &[key, value] : head.query) bytes += 1 + key.size() + 1 + value.size();
    for (const auto &[key, value] : head.headers) bytes += key.size() + 2 + value.size() + 2;
    if (bytes > HttpLimits::kHeaderBytes)
        return refusal(431, "the request headers are over " + std::to_string(HttpLimits::kHeaderBytes) + " bytes");

    const std::string *length = nullptr;
    for (const auto &[key, value] : head.headers) {
        if (same_name(key, "Transfer-Encoding")) return refusal(411, "send the request body with a Content-Length");
        if (!same_name(key, "Content-Length")) continue;
        if (length != nullptr && *length != value) return refusal(400, "the request has two Content-Lengths");
        length = &value;
    }
    if (length == nullptr) return std::nullopt;
    if (length->empty() || !std::all_of(length->begin(), length->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return refusal(400, "the Content-Length is not a number");
    std::string_view digits(*length);
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    if (digits.size() > 9 || std::stoul(std::string(digits)) > HttpLimits::kBodyBytes)
        return refusal(413, "the request body is over " + std::to_string(HttpLimits::kBodyBytes) + " bytes");
    return std::nullopt;
}

std::optional<HttpReply> check_route(const std::vector<Route> &routes, std::string_view method, std::string_view path,
                                     const Route **found) {
    *found = nullptr;
    std::string allowed;
    for (const Route &r : routes) {
        if (path != r.path) continue;
        const bool get = std::string_view(r.method) == "GET";
        if (method == r.method || (get && method == "HEAD")) {
            *found = &r;
            return std::nullopt;
        }
        allowed += std::string(allowed.empty() ? "" : ", ") + r.method + (get ? ", HEAD" : "");
    }
    if (allowed.empty()) return refusal(404, "no such page: " + excerpt(path));
    HttpReply r = refusal(405, allowed == "POST" ? "send this as a POST with a JSON body" : "ask for this with " + allowed);
    r.headers.emplace_back("Allow", allowed);
    return r;
}

size_t connection_cap() {
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0) return HttpLimits::kMaxConnections;
    const size_t open = open_files();
    const rlim_t wanted = open + kSpareFiles + HttpLimits::kMaxConnections;
    if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < wanted) {
        rlimit raised = files;
        raised.rlim_cur = files.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, files.rlim_max);
        if (raised.rlim_cur > files.rlim_cur && setrlimit(RLIMIT_NOFILE, &raised) == 0) files = raised;
    }
    if (files.rlim_cur == RLIM_INFINITY) return HttpLimits::kMaxConnections;
    const size_t room = files.rlim_cur > open + kSpareFiles ? size_t(files.rlim_cur) - open - kSpareFiles : 1;
    return std::clamp<size_t>(room, 1, HttpLimits::kMaxConnections);
}

HttpServer::HttpServer(std::vector<Route> routes) : routes_(std::move(routes)) {}

HttpServer::~HttpServer() { stop(); }

int HttpServer::listen(const std::string &address, int port) {
    const std::string where = address + (port == 0 ? " (any free port)" : " port " + std::to_string(port));
    addrinfo hints{}, *found = nullptr;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    if (int e = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found); e != 0)
        throw HostError("cannot listen on " + where + ": not an address of this machine (" + gai_strerror(e) + ")");
    // No SO_REUSEPORT: a port another program listens on is refused.
    int fd = -1, error = 0;
    for (addrinfo *a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, HttpLimits::kListenBacklog) == 0) break;
        error = errno;
        ::close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    if (fd < 0) throw HostError("cannot listen on " + where + ": " + std::strerror(error));
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length);
    const int actual = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(bound).sin6_port
                                                         : reinterpret_cast<sockaddr_in &>(bound).sin_port);

    connection_limit_ = connection_cap();
    daemon_ = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr, nullptr,
        &HttpServerCalls::request, this, MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_CONNECTION_LIMIT,
        unsigned(connection_limit_), MHD_OPTION_CONNECTION_TIMEOUT, HttpLimits::kIdleSeconds,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, HttpLimits::kConnectionMemory, MHD_OPTION_NOTIFY_COMPLETED,
        &HttpServerCalls::completed, this, MHD_OPTION_NOTIFY_CONNECTION, &HttpServerCalls::connection, this,
        MHD_OPTION_END);
    if (daemon_ == nullptr) {
        ::close(fd);
        throw HostError("cannot serve on " + where + ": the HTTP library did not start");
    }
    timer_ = std::thread([this] { run_timer(); });
    return actual;
}

void HttpServer::opened(MHD_Connection *c) {
    const MHD_ConnectionInfo *info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info == nullptr) return;
    open_.emplace(c, Open{info->connect_fd, Clock::now()});
    if (open_.size() + HttpLimits::kRoomForNew > connection_limit_) make_room();
}

void HttpServer::make_room() {
    // The longest idle connection that no request holds: shut down, the
    // library sees its end and closes it.
    Open *oldest = nullptr;
    for (auto &[connection, open] : open_)
        if (!open.busy && !open.closing && (oldest == nullptr || open.idle_since < oldest->idle_since)) oldest = &open;
    if (oldest == nullptr) return;
    oldest->closing = true;
    ::shutdown(oldest->fd, SHUT_RDWR);
}

void HttpServer::begin(MHD_Connection *c, Exchange &x, const char *url, const char *method, const char *version) {
    RequestHead head{method, url, version, {}, {}};
    MHD_get_connection_values(c, MHD_HEADER_KIND, &collect, &head.headers);
    MHD_get_connection_values(c, MHD_GET_ARGUMENT_KIND, &collect, &head.query);
    if (auto refused = check_head(head)) return answer(c, x, *refused);
    x.request.method = method;
    x.request.path = target_path(url);
    x.request.query = std::move(head.query);
    if (auto refused = check_route(routes_, x.request.method, x.request.path, &x.route)) return answer(c, x, *refused);
}

void HttpServer::finish(MHD_Connection *c, Exchange &x) {
    for (;;) {
        HttpReply reply;
        try {
            reply = x.route->handle(x.request);
        } catch (const RequestError &e) {
            reply = refusal(e.status(), e.what());
        } catch (const std::exception &e) {
            reply = refusal(500, std::string("internal error: ") + e.what());
        }
        if (!reply.wait_after) return answer(c, x, reply);
        if (x.request.waited) return answer(c, x, refusal(500, "internal error: no answer after the wait"));
        std::lock_guard lock(mutex_);
        // News that came between the handler's look and now is not waited for.
        if (!stopping_ && newest_ <= *reply.wait_after) {
            waiting_.push_back({c, &x, *reply.wait_after, Clock::now() + HttpLimits::kWait});
            MHD_suspend_connection(c);
            timer_wake_.notify_one();
            return;  // handled again once resumed
        }
        x.request.waited = true;
    }
}

void HttpServer::answer(MHD_Connection *c, Exchange &x, const HttpReply &reply) {
    x.answered = true;
    MHD_Response *r = MHD_create_response_from_buffer(reply.body.size(), const_cast<char *>(reply.body.data()),
                                                      MHD_RESPMEM_MUST_COPY);
    if (r == nullptr) throw std::bad_alloc();
    MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, reply.type.c_str());
    MHD_add_response_header(r, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    for (const auto &[name, value] : reply.headers) MHD_add_response_header(r, name.c_str(), value.c_str());
    MHD_queue_response(c, unsigned(reply.status), r);
    MHD_destroy_response(r);
}

void HttpServer::resume(Waiting &w) {
    w.exchange->request.waited = true;
    MHD_resume_connection(w.connection);
}

void HttpServer::wake(long newest) {
    std::lock_guard lock(mutex_);
    newest_ = std::max(newest_, newest);
    auto done = std::partition(waiting_.begin(), waiting_.end(), [&](const Waiting &w) { return w.after >= newest; });
    std::for_each(done, waiting_.end(), [&](Waiting &w) { resume(w); });
    waiting_.erase(done, waiting_.end());
}

void HttpServer::run_timer() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        auto next = Clock::time_point::max();
        for (const Waiting &w : waiting_) next = std::min(next, w.until);
        if (next == Clock::time_point::max())
            timer_wake_.wait(lock);
        else
            timer_wake_.wait_until(lock, next);
        const auto now = Clock::now();
        auto done = std::partition(waiting_.begin(), waiting_.end(), [&](const Waiting &w) { return w.until > now; });
        std::for_each(done, waiting_.end(), [&](Waiting &w) { resume(w); });
        waiting_.erase(done, waiting_.end());
    }
}

void HttpServer::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        // The library closes no connection that is suspended.
        for (Waiting &w : waiting_) resume(w);
        waiting_.clear();
    }
    timer_wake_.notify_all();
    if (timer_.joinable()) timer_.join();
    if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

}  // namespace panelhost::live
