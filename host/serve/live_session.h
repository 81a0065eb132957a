// A scenario flown in real time for the live page: one thread runs the
// cockpit (the plug-ins expect one call at a time) and publishes each
// finished panel picture; requests only queue commands and read the last
// published frame.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "host/cockpit.h"
#include "host/serve/requests.h"

namespace panelhost::live {

struct SessionOptions {
    std::filesystem::path scenario;  // read again by each restart
    std::filesystem::path plan;      // a plan file that replaces its route, when not empty
    CockpitPaths paths;              // the scenario's [folders] override these
    bool events = true;              // apply the scenario's timed events
    double speed = 1;                // simulated seconds per second, 1 to 16
    double frame_interval = 1.0 / 30.0;  // wall seconds between published frames
};

// One published picture of the panel with the state it shows.
class LiveFrame {
public:
    LiveFrame(long number, Image panel, nlohmann::json status)
        : number_(number), panel_(std::move(panel)), status_(std::move(status)) {}
    long number() const { return number_; }
    const Image &panel() const { return panel_; }
    bool has_panel() const { return panel_.width > 0; }
    const nlohmann::json &status() const { return status_; }
    // The picture as PNG, encoded once for every reader (by the first).
    const std::string &png() const;
    // Whether png() has been encoded (or there is no picture to encode).
    bool ready() const { return !has_panel() || encoded_png_; }

private:
    long number_;
    Image panel_;
    nlohmann::json status_;
    mutable std::once_flag encoded_;
    mutable std::string png_;
    mutable std::atomic<bool> encoded_png_{false};
};

class LiveSession {
public:
    // Flies the first frame before it returns; throws ScenarioError or
    // HostError (naming the file) when the scenario cannot be flown.
    explicit LiveSession(SessionOptions options);
    ~LiveSession();
    LiveSession(const LiveSession &) = delete;
    LiveSession &operator=(const LiveSession &) = delete;

    // What requests are checked against, and the page's description of the
    // panel: gauges, controls, key scheme and the keys the plug-ins take.
    PanelFacts facts() const;
    nlohmann::json description() const;

    // Queues a checked command for the simulation thread. Refuses events
    // (RequestError 409) while there is no panel to apply them to.
    void post(Command c);

    // The newest frame once it is newer than `after`, or the newest there is
    // when `wait` runs out first. A frame without a panel (no picture) means
    // that the last restart failed; its status says why.
    std::shared_ptr<const LiveFrame> frame_after(long after, std::chrono::milliseconds wait) const;
    std::shared_ptr<const LiveFrame> latest() const;
    // The map of the route and the world around it as PNG, made at each
    // (re)start; the page draws the track and the aircraft over it by the
    // projection the description gives ("map").
    std::string map_png() const;

    // Calls `listener` with the number of each frame published from now on,
    // on the simulation thread; an empty one ends the calls (none is under
    // way once this returns).
    void on_publish(std::function<void(long)> listener);

private:
    struct Flying;  // the cockpit and what the thread knows of it

    void run();
    std::unique_ptr<Flying> build(long generation);
    void apply(Command &c);
    void publish();
    void lose_panel();  // after a failed restart: no panel until a good one
    nlohmann::json status() const;

    SessionOptions options_;
    std::filesystem::path run_root_;
    std::unique_ptr<Flying> flying_;  // the simulation thread's alone

    mutable std::mutex mutex_;  // guards what follows
    mutable std::condition_variable published_;
    std::deque<Command> queue_;
    std::shared_ptr<const LiveFrame> frame_;
    PanelFacts facts_;
    nlohmann::json description_;
    std::string map_png_;
    long published_count_ = 0;
    std::string no_panel_;  // why there is no panel, or empty
    bool stopping_ = false;

    std::mutex listener_mutex_;  // held while the listener runs
    std::function<void(long)> listener_;

    // The simulation thread's state.
    bool paused_ = false;
    double speed_ = 1;
    double achieved_speed_ = 0;
    std::string last_event_, error_;
    long generation_ = 0;
    std::thread thread_;
};

}  // namespace panelhost::live
