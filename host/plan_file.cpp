#include "host/plan_file.h"

#include <cstdio>

namespace panelhost {
namespace {

const char *kind_word(PlanWaypoint::Kind k) {
    switch (k) {
    case PlanWaypoint::kAirport: return "sarw";
    case PlanWaypoint::kNavaid: return "snav";
    case PlanWaypoint::kWaypoint: return "wywy";
    case PlanWaypoint::kUser: return "usrw";
    }
    return "usrw";
}

// A value line: the reader skips everything up to the first letter or digit
// and keeps the rest, so line breaks inside a value are the only danger.
std::string one_line(const std::string &s) {
    std::string out;
    for (char c : s) out += (c == '\n' || c == '\r') ? ' ' : c;
    return out;
}

}  // namespace

void write_flight_plan(std::ostream &out, const std::vector<PlanWaypoint> &route) {
    out << "[flight plan]\n";
    for (const PlanWaypoint &w : route) {
        char position[96];
        std::snprintf(position, sizeof position, "%.4f,%.4f,%.1f", w.position.latitude, w.position.longitude,
                      w.position.altitude);
        out << "<wpnt>\n" << kind_word(w.kind) << "\n<llps>\n" << position << "\n<name>\n" << one_line(w.name) << "\n";
        if (w.kind != PlanWaypoint::kUser) out << "<dbky>\n" << one_line(w.key) << "\n";
        out << "<endo>\n";
    }
}

}  // namespace panelhost
