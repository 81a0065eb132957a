#include "host/output/flight_log.h"

#include <cmath>
#include <fstream>

#include "host/host_error.h"

namespace panelhost {

nlohmann::json &FlightLog::add(const char *section, double t, long frame) {
    nlohmann::json &list = log_[section];
    list.push_back({{"time", std::round(t * 1000.0) / 1000.0}, {"frame", frame}});
    return list.back();
}

void FlightLog::leg(double t, long frame, size_t index, const std::string &waypoint) {
    auto &e = add("legs", t, frame);
    e["index"] = index;
    e["waypoint"] = waypoint;
}
void FlightLog::sound(double t, long frame, const std::string &file, bool ping, double latitude_deg,
                      double longitude_deg) {
    auto &e = add(ping ? "pings" : "sounds", t, frame);
    e["file"] = file;
    e["latitude_deg"] = std::round(latitude_deg * 1e7) / 1e7;
    e["longitude_deg"] = std::round(longitude_deg * 1e7) / 1e7;
}
void FlightLog::model(double t, long frame, const std::string &tag, const std::string &path) {
    auto &e = add("models", t, frame);
    e["tag"] = tag;
    e["path"] = path;
}
void FlightLog::part_frame(double t, long frame, const std::string &part, int value) {
    auto &e = add("part_frames", t, frame);
    e["part"] = part;
    e["value"] = value;
}
void FlightLog::window(double t, long frame, int number, int x, int y, int w, int h) {
    auto &e = add("windows", t, frame);
    e["window"] = number;
    e["rect"] = {x, y, w, h};
}
void FlightLog::message(double t, long frame, const std::string &target, const std::string &data, double value) {
    auto &e = add("messages", t, frame);
    e["target"] = target;
    e["data"] = data;
    e["value"] = value;
}
void FlightLog::event(double t, long frame, int line, const std::string &what) {
    auto &e = add("events", t, frame);
    e["line"] = line;
    e["what"] = what;
}
void FlightLog::problem(const std::string &what) { log_["problems"].push_back(what); }

void FlightLog::track(const TrackPoint &p) {
    // Degrees to 1e-7 (a centimetre or so), the rest as the display reads them.
    auto round = [](double v, double per_unit) { return std::round(v * per_unit) / per_unit; };
    log_["track"].push_back({{"time", round(p.time, 1e3)},
                             {"latitude_deg", round(p.latitude_deg, 1e7)},
                             {"longitude_deg", round(p.longitude_deg, 1e7)},
                             {"altitude_ft", round(p.altitude_ft, 1e2)},
                             {"true_heading_deg", round(p.true_heading_deg, 1e3)},
                             {"magnetic_heading_deg", round(p.magnetic_heading_deg, 1e3)},
                             {"variation_deg", round(p.variation_deg, 1e3)},
                             {"ground_speed_kt", round(p.ground_speed_kt, 1e3)}});
}

void FlightLog::write(const std::filesystem::path &file) const {
    std::ofstream out(file);
    out << log_.dump(2) << "\n";
    out.close();
    if (!out) throw HostError(file.string() + ": cannot write the flight log");
}

}  // namespace panelhost
