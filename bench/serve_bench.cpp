// The live server's latency: one status request on a connection of its own
// (and on a kept-alive one), alone and under each load the abuse test puts
// on the server, asked every 50 ms for some 5 s of it. Time per iteration is
// the mean; "slowest_ms" the slowest of the run. The bundled scenario flies
// behind it, 30 frames a second.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "host/serve/server.h"
#include "tests/serve/http_client.h"

namespace {

using namespace panelhost::live;
using namespace std::chrono_literals;
using client::Answer;
using client::Clock;
using client::Connection;

// One server for every benchmark.
int serving_port() {
    struct Serving {
        std::unique_ptr<LiveSession> session;
        std::unique_ptr<LiveServer> server;
        int port = 0;
        Serving() {
            // The clients' files and the server's in one process.
            rlimit files{};
            getrlimit(RLIMIT_NOFILE, &files);
            files.rlim_cur = files.rlim_max;
            setrlimit(RLIMIT_NOFILE, &files);
            SessionOptions o;
            o.scenario = BENCH_SCENARIO;
            o.paths = {BENCH_PLUGINS, BENCH_WORLD, BENCH_ASSETS};
            o.events = false;
            session = std::make_unique<LiveSession>(o);
            server = std::make_unique<LiveServer>(*session);
            port = server->listen("127.0.0.1", 0);
        }
    };
    static Serving serving;
    return serving.port;
}

// Times status requests, each on a new connection (or all on one), `pause`
// apart (untimed), so that a run under a load spans some seconds of it.
void time_status(benchmark::State &state, bool kept_alive = false, std::chrono::milliseconds pause = 50ms) {
    const int port = serving_port();
    std::unique_ptr<Connection> kept;
    double slowest = 0;
    int failed = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!kept_alive || !kept) kept = std::make_unique<Connection>(port);
        Answer a = kept->exchange(client::get("/api/status"));
        if (a.status != 200) ++failed;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        slowest = std::max(slowest, seconds * 1000);
        if (!kept_alive) kept.reset();
        std::this_thread::sleep_for(pause);
    }
    state.counters["slowest_ms"] = slowest;
    if (failed) state.SkipWithError("status requests went unanswered");
}

// A load that runs on threads of its own while the status is timed.
class Load {
public:
    ~Load() {
        done_ = true;
        for (std::thread &t : threads_) t.join();
    }
    template <class Work>
    void run(Work work) {
        threads_.emplace_back([this, work] { work(done_); });
    }

private:
    std::atomic<bool> done_{false};
    std::vector<std::thread> threads_;
};

void BM_Status(benchmark::State &state) { time_status(state, false, 0ms); }
BENCHMARK(BM_Status)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1000);

void BM_StatusKeptAlive(benchmark::State &state) { time_status(state, true, 0ms); }
BENCHMARK(BM_StatusKeptAlive)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1000);

// Pages polling for frames on kept-alive connections.
void BM_StatusWhilePagesPoll(benchmark::State &state) {
    const int port = serving_port();
    Load load;
    for (int64_t i = 0; i < state.range(0); ++i)
        load.run([port](std::atomic<bool> &done) {
            Connection c(port);
            long last = -1;
            while (!done) {
                Answer a = c.exchange(client::get("/api/frame?after=" + std::to_string(last)));
                if (a.status == 200) last = std::stol(a.header("X-Frame"));
            }
        });
    std::this_thread::sleep_for(300ms);
    time_status(state);
}
BENCHMARK(BM_StatusWhilePagesPoll)->Arg(16)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

// Frame requests waiting for a frame that does not come, each its second.
void BM_StatusWhileFramesWait(benchmark::State &state) {
    client::WaitingFrames waiting(serving_port(), int(state.range(0)));
    std::this_thread::sleep_for(500ms);
    time_status(state);
}
BENCHMARK(BM_StatusWhileFramesWait)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

// Connections opened and left idle.
void BM_StatusWhileConnectionsIdle(benchmark::State &state) {
    const int port = serving_port();
    std::vector<std::unique_ptr<Connection>> idle;
    for (int64_t i = 0; i < state.range(0); ++i) idle.push_back(std::make_unique<Connection>(port, false));
    std::this_thread::sleep_for(500ms);
    time_status(state);
}
BENCHMARK(BM_StatusWhileConnectionsIdle)->Arg(1000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

// Connections that send a header line every 2 s.
void BM_StatusWhileTrickling(benchmark::State &state) {
    const int port = serving_port();
    const int64_t trickling = state.range(0);
    Load load;
    load.run([port, trickling](std::atomic<bool> &done) {
        std::vector<std::unique_ptr<Connection>> conns;
        for (int64_t i = 0; i < trickling; ++i) {
            conns.push_back(std::make_unique<Connection>(port));
            conns.back()->send_all("GET /api/status HTTP/1.1\r\n");
        }
        for (auto next = Clock::now(); !done; std::this_thread::sleep_for(50ms))
            if (Clock::now() >= next) {
                for (auto &c : conns) c->send_all("X-Slow: 1\r\n");
                next += 2s;
            }
    });
    std::this_thread::sleep_for(300ms);
    time_status(state);
}
BENCHMARK(BM_StatusWhileTrickling)->Arg(50)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

// Commands pipelined as fast as one client can send them.
void BM_StatusDuringCommandStorm(benchmark::State &state) {
    const int port = serving_port();
    Load load;
    load.run([port](std::atomic<bool> &done) {
        std::string batch;
        for (int i = 0; i < 500; ++i) batch += client::post("/api/control", R"({"action":"speed","speed":1})");
        Connection c(port);
        while (!done) {
            std::thread sender([&] { c.send_all(batch); });
            for (int i = 0; i < 500; ++i) c.receive(5000ms);
            sender.join();
        }
    });
    std::this_thread::sleep_for(300ms);
    time_status(state);
}
BENCHMARK(BM_StatusDuringCommandStorm)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

// New connections a hundred at a time, each asking for the status.
void BM_StatusDuringConnectBursts(benchmark::State &state) {
    const int port = serving_port();
    Load load;
    load.run([port](std::atomic<bool> &done) {
        while (!done) {
            std::vector<std::unique_ptr<Connection>> burst;
            for (int i = 0; i < 100; ++i) {
                burst.push_back(std::make_unique<Connection>(port));
                burst.back()->send_all("GET /api/status HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
            }
            for (auto &c : burst) c->receive(5000ms);
        }
    });
    std::this_thread::sleep_for(300ms);
    time_status(state);
}
BENCHMARK(BM_StatusDuringConnectBursts)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
