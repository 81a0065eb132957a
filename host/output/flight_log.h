// What happened during a flight, written as JSON at the end.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace panelhost {

// The aircraft at one moment: position, altitude, headings and speed.
struct TrackPoint {
    double time = 0;
    double latitude_deg = 0, longitude_deg = 0, altitude_ft = 0;
    double true_heading_deg = 0, magnetic_heading_deg = 0, variation_deg = 0;
    double ground_speed_kt = 0;
};

class FlightLog {
public:
    // Each entry gets the simulated time and the frame number.
    void leg(double t, long frame, size_t index, const std::string &waypoint);
    // A started sound: under "pings" for the waypoint passage sound, else
    // "sounds"; with where the aircraft was (degrees).
    void sound(double t, long frame, const std::string &file, bool ping, double latitude_deg, double longitude_deg);
    void model(double t, long frame, const std::string &tag, const std::string &path);
    void part_frame(double t, long frame, const std::string &part, int value);
    void window(double t, long frame, int number, int x, int y, int w, int h);
    void message(double t, long frame, const std::string &target, const std::string &data, double value);
    void event(double t, long frame, int line, const std::string &what);
    void problem(const std::string &what);
    // The aircraft's track, one point a simulated second.
    void track(const TrackPoint &p);

    nlohmann::json json() const { return log_; }
    const nlohmann::json &section(const char *name) const { return log_.at(name); }
    void set(const char *key, nlohmann::json value) { log_[key] = std::move(value); }
    void write(const std::filesystem::path &file) const;

private:
    nlohmann::json &add(const char *section, double t, long frame);
    nlohmann::json log_ = {{"legs", nlohmann::json::array()},        {"pings", nlohmann::json::array()},  {"sounds", nlohmann::json::array()},
                           {"models", nlohmann::json::array()},      {"part_frames", nlohmann::json::array()},
                           {"windows", nlohmann::json::array()},     {"messages", nlohmann::json::array()},
                           {"events", nlohmann::json::array()},      {"problems", nlohmann::json::array()},
                           {"track", nlohmann::json::array()}};
};

}  // namespace panelhost
