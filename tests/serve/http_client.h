// A raw HTTP/1.1 client on 127.0.0.1 for the live server's tests: it sends
// exactly the bytes it is given, so that it can say what no well-behaved
// client says, and reads answers by their Content-Length.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace panelhost::live::client {

using Clock = std::chrono::steady_clock;

inline std::string get(std::string_view path) { return "GET " + std::string(path) + " HTTP/1.1\r\nHost: x\r\n\r\n"; }

inline std::string post(std::string_view path, const std::string &body) {
    return "POST " + std::string(path) + " HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// One answer taken apart.
struct Answer {
    int status = -1;
    std::string head, body;

    // The value of a header (the first of that name, any case), or "".
    std::string header(std::string_view name) const {
        for (size_t at = head.find("\r\n"); at != std::string::npos && at + 2 < head.size();) {
            size_t end = head.find("\r\n", at + 2);
            std::string_view line = std::string_view(head).substr(at + 2, end - at - 2);
            size_t colon = line.find(':');
            if (colon == name.size() && std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                })) {
                std::string_view value = line.substr(colon + 1);
                while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
                return std::string(value);
            }
            at = end;
        }
        return "";
    }
};

class Connection {
public:
    explicit Connection(int port, bool blocking = true) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        if (fd_ < 0) return;
        if (!blocking) fcntl(fd_, F_SETFL, O_NONBLOCK);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 || errno == EINPROGRESS;
    }
    ~Connection() {
        if (fd_ >= 0) close(fd_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    int fd() const { return fd_; }
    bool connected() const { return connected_; }
    // The server closed the connection (a read found its end).
    bool closed() const { return closed_; }

    void blocking() { fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK); }

    bool send_all(std::string_view data) {
        while (!data.empty()) {
            ssize_t n = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            data.remove_prefix(size_t(n));
        }
        return true;
    }
    // No more requests: the server sees the end of the stream.
    void half_close() { shutdown(fd_, SHUT_WR); }

    // Whatever arrives until the server closes or `wait` passes.
    std::string receive_all(std::chrono::milliseconds wait) {
        auto end = Clock::now() + wait;
        while (!closed_ && fill(end)) {
        }
        return std::exchange(in_, "");
    }

    // The next whole answer, or one with status -1 when none came in `wait`.
    // `head_only`: the answer to a HEAD request, which has no body.
    Answer receive(std::chrono::milliseconds wait, bool head_only = false) {
        auto end = Clock::now() + wait;
        for (;;) {
            size_t head = in_.find("\r\n\r\n");
            if (head != std::string::npos) {
                Answer a;
                a.head = in_.substr(0, head + 2);
                std::string length = a.header("Content-Length");
                size_t body = head_only || length.empty() ? 0 : std::stoul(length);
                if (in_.size() >= head + 4 + body) {
                    a.body = in_.substr(head + 4, body);
                    in_.erase(0, head + 4 + body);
                    a.status = a.head.rfind("HTTP/1.", 0) == 0 ? std::atoi(a.head.c_str() + 9) : -1;
                    return a;
                }
            }
            if (closed_ || !fill(end)) return {};
        }
    }

    // Sends a request and takes its answer.
    Answer exchange(std::string_view request, std::chrono::milliseconds wait = std::chrono::milliseconds(5000)) {
        if (!send_all(request)) return {};
        return receive(wait);
    }

private:
    // Reads what has come; false when nothing came by `end` (a wait of 0
    // only looks).
    bool fill(Clock::time_point end) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
        pollfd p{fd_, POLLIN, 0};
        if (left < 0 || poll(&p, 1, left) <= 0) return false;
        char buf[16384];
        ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) {
            closed_ = true;
            return n == 0 || errno == ECONNRESET;
        }
        in_.append(buf, size_t(n));
        return true;
    }

    int fd_;
    bool connected_ = false, closed_ = false;
    std::string in_;
};

// One request on a connection of its own.
inline Answer ask(int port, std::string_view request, std::chrono::milliseconds wait = std::chrono::milliseconds(5000)) {
    Connection c(port);
    return c.exchange(request, wait);
}

// Frame requests kept waiting for a frame that never comes, from one thread:
// each is answered once the server's wait is over, and asks again (on a new
// connection when the server closed the old one).
class WaitingFrames {
public:
    WaitingFrames(int port, int count) : thread_([this, port, count] { run(port, count); }) {}
    ~WaitingFrames() {
        done_ = true;
        thread_.join();
    }
    WaitingFrames(const WaitingFrames &) = delete;
    WaitingFrames &operator=(const WaitingFrames &) = delete;

    int answered() const { return answered_; }
    int failed() const { return failed_; }  // answers other than a frame

private:
    void run(int port, int count) {
        const std::string ask = get("/api/frame?after=999999999");
        std::vector<std::unique_ptr<Connection>> waiting;
        for (int i = 0; i < count; ++i) {
            waiting.push_back(std::make_unique<Connection>(port));
            waiting.back()->send_all(ask);
        }
        std::vector<pollfd> polled;
        while (!done_) {
            polled.clear();
            for (auto &c : waiting) polled.push_back({c->fd(), POLLIN, 0});
            poll(polled.data(), polled.size(), 100);
            for (size_t i = 0; i < waiting.size(); ++i) {
                if (polled[i].revents == 0) continue;
                Answer a = waiting[i]->receive(std::chrono::milliseconds(0));
                if (a.status == 200 && !a.header("X-Frame").empty()) {
                    ++answered_;
                    waiting[i]->send_all(ask);
                } else if (a.status != -1) {
                    ++failed_;
                }
                if (waiting[i]->closed()) {
                    waiting[i] = std::make_unique<Connection>(port);
                    waiting[i]->send_all(ask);
                }
            }
        }
    }

    std::atomic<bool> done_{false};
    std::atomic<int> answered_{0}, failed_{0};
    std::thread thread_;
};

}  // namespace panelhost::live::client
