// What happened during a flight, written as JSON at the end.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace panelhost {

class FlightLog {
public:
    // Each entry gets the simulated time and the frame number.
    void leg(double t, long frame, size_t index, const std::string &waypoint);
    // A started sound: under "pings" for the waypoint passage sound, else "sounds".
    void sound(double t, long frame, const std::string &file, bool ping);
    void model(double t, long frame, const std::string &tag, const std::string &path);
    void part_frame(double t, long frame, const std::string &part, int value);
    void window(double t, long frame, int number, int x, int y, int w, int h);
    void message(double t, long frame, const std::string &target, const std::string &data, double value);
    void event(double t, long frame, int line, const std::string &what);
    void problem(const std::string &what);

    nlohmann::json json() const { return log_; }
    const nlohmann::json &section(const char *name) const { return log_.at(name); }
    void set(const char *key, nlohmann::json value) { log_[key] = std::move(value); }
    void write(const std::filesystem::path &file) const;

private:
    nlohmann::json &add(const char *section, double t, long frame);
    nlohmann::json log_ = {{"legs", nlohmann::json::array()},        {"pings", nlohmann::json::array()},  {"sounds", nlohmann::json::array()},
                           {"models", nlohmann::json::array()},      {"part_frames", nlohmann::json::array()},
                           {"windows", nlohmann::json::array()},     {"messages", nlohmann::json::array()},
                           {"events", nlohmann::json::array()},      {"problems", nlohmann::json::array()}};
};

}  // namespace panelhost
