#include "host/serve/http_guard.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <nlohmann/json.hpp>

namespace panelhost::live {
namespace {

using Clock = std::chrono::steady_clock;

// A refused connection is read (and the bytes dropped) for a moment after
// the refusal, so that the client sees the answer rather than a reset.
constexpr std::chrono::milliseconds kDrainTime{1000};
constexpr size_t kMaxDrainBytes = 4 << 20;
// An answer the client does not take within this is abandoned.
constexpr int kWriteTimeoutMs = 5000;

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

RequestExtent refused(int status, std::string reason) {
    RequestExtent r;
    r.state = RequestExtent::kRefused;
    r.status = status;
    r.reason = std::move(reason);
    return r;
}

const char *status_text(int status) {
    switch (status) {
    case 400: return "Bad Request";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    }
    return "Error";
}

// The library hands over an accept()ed socket and forgets it.
class RunAtOnce : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

}  // namespace

RequestExtent measure_request(std::string_view data, size_t &scanned, const RequestLimits &limits) {
    // The library reads the request line, then header lines up to the first
    // line that is "\r\n" alone: the block ends at the first "\n\r\n".
    size_t end = data.find("\n\r\n", scanned > 2 ? scanned - 2 : 0);
    if (end == std::string_view::npos) {
        scanned = data.size();
        if (data.size() > limits.max_header_bytes)
            return refused(431, "the request headers are over " + std::to_string(limits.max_header_bytes) + " bytes");
        return {};
    }
    scanned = end;
    RequestExtent r;
    r.header_bytes = end + 3;
    if (r.header_bytes > limits.max_header_bytes)
        return refused(431, "the request headers are over " + std::to_string(limits.max_header_bytes) + " bytes");

    // The body's length, read as the library will: from header lines that
    // end in CRLF (it skips others), names in any case.
    std::string_view head = data.substr(0, end + 1);
    size_t line = head.find('\n') + 1;
    bool has_length = false;
    while (line < head.size()) {
        size_t next = head.find('\n', line) + 1;
        std::string_view text = head.substr(line, next - line);
        line = next;
        if (text.size() < 2 || text[text.size() - 2] != '\r') continue;
        text.remove_suffix(2);
        size_t colon = text.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = text.substr(0, colon), value = trim(text.substr(colon + 1));
        if (same_name(name, "Transfer-Encoding")) return refused(411, "send the request body with a Content-Length");
        if (!same_name(name, "Content-Length")) continue;
        if (value.empty() || value.size() > 18 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return refused(400, "the Content-Length is not a number");
        size_t length = std::stoull(std::string(value));
        if (has_length && length != r.body_bytes) return refused(400, "the request has two Content-Lengths");
        has_length = true;
        r.body_bytes = length;
    }
    if (r.body_bytes > limits.max_body_bytes)
        return refused(413, "the request body is over " + std::to_string(limits.max_body_bytes) + " bytes");
    r.state = RequestExtent::kComplete;
    return r;
}

std::string refusal_response(int status, const std::string &reason) {
    std::string body = nlohmann::json{{"error", reason}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    char head[256];
    std::snprintf(head, sizeof head,
                  "HTTP/1.1 %d %s\r\nContent-Type: application/json\r\nCache-Control: no-store\r\n"
                  "Content-Length: %zu\r\nConnection: close\r\n\r\n",
                  status, status_text(status), body.size());
    return head + body;
}

// One client connection. While a worker answers its request it is the
// library's Stream, reading only the bytes of that request from memory.
struct GuardedServer::Connection : httplib::Stream {
    enum Phase { kIdle, kReading, kReady, kClosing, kDone };

    explicit Connection(int socket) : fd(socket) {}
    ~Connection() override {
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Waits for the next request; what arrived beyond the last one counts
    // as the start of it.
    void await_request(Clock::time_point now) {
        phase = in.empty() ? kIdle : kReading;
        since = now;
        scanned = 0;
        measured = {};
        request_bytes = served = 0;
    }

    bool is_readable() const override { return served < request_bytes; }
    bool is_writable() const override {
        pollfd p{fd, POLLOUT, 0};
        return ::poll(&p, 1, kWriteTimeoutMs) > 0 && (p.revents & POLLOUT);
    }
    ssize_t read(char *ptr, size_t size) override {
        size_t n = std::min(size, request_bytes - served);
        std::memcpy(ptr, in.data() + served, n);
        served += n;
        return ssize_t(n);
    }
    ssize_t write(const char *ptr, size_t size) override {
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::send(fd, ptr + done, size - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += size_t(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!is_writable()) return -1;
            } else {
                return -1;
            }
        }
        return ssize_t(size);
    }
    void get_remote_ip_and_port(std::string &ip, int &port) const override { address(false, ip, port); }
    void get_local_ip_and_port(std::string &ip, int &port) const override { address(true, ip, port); }
    socket_t socket() const override { return fd; }

    void address(bool local, std::string &ip, int &port) const {
        sockaddr_storage a{};
        socklen_t len = sizeof a;
        auto *sa = reinterpret_cast<sockaddr *>(&a);
        if ((local ? getsockname(fd, sa, &len) : getpeername(fd, sa, &len)) != 0) return;
        char host[NI_MAXHOST], serv[NI_MAXSERV];
        if (getnameinfo(sa, len, host, sizeof host, serv, sizeof serv, NI_NUMERICHOST | NI_NUMERICSERV) != 0) return;
        ip = host;
        port = std::atoi(serv);
    }

    int fd;
    Phase phase = kIdle;
    Clock::time_point since;  // idle: waiting since; reading: first byte; closing: refused at
    std::string in;           // received and not yet answered
    size_t scanned = 0;
    RequestExtent measured;     // once the headers are in
    size_t request_bytes = 0;   // kReady: the request's bytes at the start of `in`
    size_t served = 0;          // of which the library has read these
    size_t requests = 0;        // answered on this connection
    size_t drained = 0;
    bool eof = false;  // the client sends no more
};

GuardedServer::GuardedServer(RequestLimits limits, size_t workers) : limits_(limits) {
    // The library's interface takes the queue as a pointer it then owns.
    new_task_queue = [] { return new RunAtOnce; };
    if (::pipe2(wake_fds_, O_NONBLOCK | O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    waiter_ = std::thread([this] { wait_loop(); });
    for (size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work_loop(); });
}

GuardedServer::~GuardedServer() {
    close_connections();
    ::close(wake_fds_[0]);
    ::close(wake_fds_[1]);
}

void GuardedServer::raise_backlog(int backlog) {
    // Listening again on a listening socket only changes its backlog.
    if (svr_sock_ != INVALID_SOCKET) ::listen(svr_sock_, backlog);
}

void GuardedServer::close_connections() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    work_ready_.notify_all();
    if (waiter_.joinable()) waiter_.join();
    for (std::thread &t : workers_)
        if (t.joinable()) t.join();
    std::lock_guard lock(mutex_);
    arriving_.clear();
    ready_.clear();
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
    ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
    int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    auto c = std::make_unique<Connection>(sock);
    c->await_request(Clock::now());
    admit(std::move(c));
    return true;
}

void GuardedServer::admit(Owned c) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;  // closes it
        arriving_.push_back(std::move(c));
    }
    wake();
}

void GuardedServer::wake() {
    char b = 0;
    [[maybe_unused]] ssize_t n = ::write(wake_fds_[1], &b, 1);  // a full pipe wakes the room as well
}

bool GuardedServer::receive(Connection &c, Clock::time_point now) {
    // Enough for the largest request allowed: a full buffer always resolves
    // (complete, or refused as too large), so reading never stalls on it.
    const size_t room = limits_.max_header_bytes + limits_.max_body_bytes;
    char buf[16384];
    for (int rounds = 0; rounds < 4; ++rounds) {
        size_t want = sizeof buf;
        if (c.phase != Connection::kClosing) want = std::min(want, room - std::min(room, c.in.size()));
        if (want == 0) return true;
        ssize_t n = ::recv(c.fd, buf, want, 0);
        if (n == 0) {
            // Half closed: a whole request that came before is still answered.
            c.eof = true;
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        if (c.phase == Connection::kClosing) {
            c.drained += size_t(n);
            if (c.drained > kMaxDrainBytes) return false;
            continue;
        }
        if (c.phase == Connection::kIdle) {
            c.phase = Connection::kReading;
            c.since = now;
        }
        c.in.append(buf, size_t(n));
    }
    return true;
}

void GuardedServer::refuse_and_close(Connection &c, int status, const std::string &reason, Clock::time_point now) {
    std::string answer = refusal_response(status, reason);
    // Nothing was sent on the connection since its last answer: this fits.
    [[maybe_unused]] ssize_t n = ::send(c.fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::shutdown(c.fd, SHUT_WR);
    c.in = std::string();
    c.phase = Connection::kClosing;
    c.since = now;
}

void GuardedServer::check(Connection &c, Clock::time_point now) {
    switch (c.phase) {
    case Connection::kIdle:
        if (c.eof || now - c.since >= limits_.idle) c.phase = Connection::kDone;
        return;
    case Connection::kClosing:
        if (c.eof || now - c.since >= kDrainTime) c.phase = Connection::kDone;
        return;
    case Connection::kReading: break;
    case Connection::kReady:
    case Connection::kDone: return;
    }
    check_request(c, now);
    if (c.eof && c.phase != Connection::kReady) c.phase = Connection::kDone;
}

void GuardedServer::check_request(Connection &c, Clock::time_point now) {
    if (c.measured.state == RequestExtent::kIncomplete) c.measured = measure_request(c.in, c.scanned, limits_);
    if (c.measured.state == RequestExtent::kRefused) return refuse_and_close(c, c.measured.status, c.measured.reason, now);
    if (c.measured.state == RequestExtent::kComplete && c.in.size() >= c.measured.header_bytes + c.measured.body_bytes) {
        c.request_bytes = c.measured.header_bytes + c.measured.body_bytes;
        c.phase = Connection::kReady;
        return;
    }
    if (now - c.since >= limits_.deadline) {
        char what[96];
        std::snprintf(what, sizeof what, "the request did not arrive whole within %.1f s",
                      std::chrono::duration<double>(limits_.deadline).count());
        refuse_and_close(c, 408, what, now);
    }
}

void GuardedServer::wait_loop() {
    std::vector<pollfd> polled;
    for (;;) {
        auto now = Clock::now();
        auto next = Clock::time_point::max();
        for (const Owned &c : waiting_) {
            auto limit = c->phase == Connection::kIdle      ? limits_.idle
                         : c->phase == Connection::kClosing ? kDrainTime
                                                            : limits_.deadline;
            next = std::min(next, c->since + limit);
        }
        int timeout = -1;
        if (next != Clock::time_point::max())
            timeout = int(std::clamp<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1, 0, 60000));
        polled.assign(1, pollfd{wake_fds_[0], POLLIN, 0});
        for (const Owned &c : waiting_) polled.push_back({c->fd, short(c->eof ? 0 : POLLIN), 0});
        ::poll(polled.data(), polled.size(), timeout);

        std::vector<Owned> arrived;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) break;
            arrived.swap(arriving_);
        }
        char sink[256];
        while (::read(wake_fds_[0], sink, sizeof sink) > 0) {
        }
        now = Clock::now();
        for (size_t i = 0; i < waiting_.size(); ++i) {
            Connection &c = *waiting_[i];
            if (polled[i + 1].revents != 0 && !receive(c, now)) c.phase = Connection::kDone;
        }
        for (Owned &c : arrived) waiting_.push_back(std::move(c));
        for (Owned &c : waiting_) check(*c, now);

        std::vector<Owned> ready;
        size_t kept = 0;
        for (Owned &c : waiting_) {
            if (c->phase == Connection::kReady)
                ready.push_back(std::move(c));
            else if (c->phase != Connection::kDone)
                waiting_[kept++] = std::move(c);
        }
        waiting_.resize(kept);
        // Past the cap the longest waiting make room: an attacker has to keep
        // opening connections to keep others out.
        if (waiting_.size() > kMaxConnections) {
            std::sort(waiting_.begin(), waiting_.end(), [](const Owned &a, const Owned &b) { return a->since < b->since; });
            waiting_.erase(waiting_.begin(), waiting_.begin() + long(waiting_.size() - kMaxConnections));
        }
        if (!ready.empty()) {
            {
                std::lock_guard lock(mutex_);
                for (Owned &c : ready) ready_.push_back(std::move(c));
            }
            for (size_t i = 0; i < ready.size(); ++i) work_ready_.notify_one();
        }
    }
    waiting_.clear();
}

void GuardedServer::work_loop() {
    for (;;) {
        Owned c;
        {
            std::unique_lock lock(mutex_);
            work_ready_.wait(lock, [&] { return stopping_ || !ready_.empty(); });
            if (stopping_) return;
            c = std::move(ready_.front());
            ready_.pop_front();
        }
        serve(*c);
        if (c->phase != Connection::kDone) admit(std::move(c));
    }
}

void GuardedServer::serve(Connection &c) {
    bool last = ++c.requests >= keep_alive_max_count_;
    bool closed = false, answered = false;
    try {
        answered = process_request(c, last, closed, nullptr);
    } catch (...) {
        // The handlers answer their own failures; whatever still escapes
        // costs this connection only.
        answered = false;
    }
    if (!answered || closed || last || c.eof) {
        c.phase = Connection::kDone;
        return;
    }
    c.in.erase(0, c.request_bytes);
    if (c.in.capacity() > 16384) c.in.shrink_to_fit();
    c.await_request(Clock::now());
}

}  // namespace panelhost::live
