// The reader of the host's saved flight plan.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "navdata/angle.h"
#include "navdata/files.h"
#include "navdata/navdata.h"
#include "navdata/text.h"

namespace navdata {
namespace {

bool is_ascii_alnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

LegKind kind_of(const char *line) {
    if (std::strstr(line, "snav")) return kLegNavaid;
    if (std::strstr(line, "sarw")) return kLegAirport;
    if (std::strstr(line, "wywy")) return kLegWaypoint;
    if (std::strstr(line, "usrw")) return kLegUserWaypoint;
    return kLegNone;
}

// The first three comma-separated pieces as numbers; runs of commas are one
// separator and leading commas are skipped. A missing or non-numeric piece is 0.
void parse_position(const char *line, GeoPosition &p) {
    double v[3] = {0.0, 0.0, 0.0};
    const char *s = line;
    for (double &x : v) {
        while (*s == ',') ++s;
        if (*s == '\0') break;
        x = std::strtod(s, nullptr);
        s += std::strcspn(s, ",");
    }
    p = GeoPosition{v[0], v[1], v[2]};
}

}  // namespace

void NavData::close_flight_plan() {
    if (plan_file_ != nullptr) std::fclose(plan_file_);
    plan_file_ = nullptr;
}

bool NavData::read_flight_plan() {
    working_legs_.clear();
    navaid_key_[0] = '\0';
    waypoint_key_[0] = '\0';
    have_previous_position_ = false;
    close_flight_plan();
    plan_file_ = open_host_file(kFlightPlanFile, "r");
    if (plan_file_ == nullptr) plan_file_ = open_host_file(kFlightPlanFileFr, "r");
    if (plan_file_ == nullptr) return false;
    int appended = 0;
    while (std::fgets(outer_line_, sizeof outer_line_, plan_file_) != nullptr) {
        if (std::strstr(outer_line_, "<wpnt>") == nullptr) continue;
        if (!read_waypoint_block(appended)) {
            close_flight_plan();
            return false;
        }
        ++appended;
    }
    close_flight_plan();
    published_legs_ = working_legs_;
    return true;
}

bool NavData::read_block_line(char *line) {
    return std::fgets(line, int(sizeof block_line_), plan_file_) != nullptr;
}

// One block from the kind line to "<endo>" or the end of the file. False when
// the file ends where a line must follow or the kind is unknown.
bool NavData::read_waypoint_block(int appended) {
    FlightPlanLeg leg;
    std::memset(&leg, 0, sizeof leg);
    if (!read_block_line(block_line_)) return false;
    leg.kind = kind_of(block_line_);
    if (leg.kind == kLegNone) return false;
    while (read_block_line(block_line_)) {
        if (std::strstr(block_line_, "<endo>")) break;
        if (std::strstr(block_line_, "<llps>")) {
            if (!read_block_line(block_line_)) return false;
            read_position(leg, appended);
        } else if (std::strstr(block_line_, "<name>")) {
            if (!read_block_line(block_line_)) return false;
            extract_value(block_line_);
            if (leg.kind == kLegAirport) {
                copy_text(leg.airport_name, value_);
            } else {
                copy_text(leg.name, value_);
            }
        } else if (std::strstr(block_line_, "<dbky>")) {
            if (!read_block_line(block_line_)) return false;
            extract_value(block_line_);
            if (leg.kind == kLegAirport) copy_text(leg.airport_key, value_);
            if (leg.kind == kLegNavaid) copy_text(navaid_key_, value_);
            if (leg.kind == kLegWaypoint) copy_text(waypoint_key_, value_);
        }
    }
    complete_leg(leg);
    working_legs_.push_back(leg);
    return true;
}

// Course and distance are measured from the last position read in this read,
// whichever block it belonged to; with none before, they stay 0.
void NavData::read_position(FlightPlanLeg &leg, int appended) {
    parse_position(block_line_, leg.position);
    if (appended > 0 && have_previous_position_) {
        const CourseDistance cd = course_and_distance(previous_position_, leg.position);
        leg.course_from_previous = float(cd.course_degrees);
        leg.distance_from_previous = float(cd.distance_nm);
    }
    previous_position_ = leg.position;
    have_previous_position_ = true;
}

// The value starts at the first ASCII letter or digit and runs to the end of
// the line, without its line break (CR LF or LF); trailing blanks stay.
void NavData::extract_value(const char *line) {
    size_t start = 0;
    while (line[start] != '\0' && !is_ascii_alnum(line[start])) ++start;
    copy_text(value_, line + start);
    size_t n = std::strlen(value_);
    if (n > 0 && value_[n - 1] == '\n') value_[--n] = '\0';
    if (n > 0 && value_[n - 1] == '\r') value_[--n] = '\0';
}

void NavData::complete_leg(FlightPlanLeg &leg) {
    switch (leg.kind) {
    case kLegAirport:
        leg.variation = float(airport_by_key(leg.airport_key, leg.airport_identifier));
        break;
    case kLegNavaid:
        leg.variation = float(navaid_by_key(navaid_key_, leg.navaid_identifier));
        break;
    case kLegWaypoint:
        leg.variation = float(waypoint_by_key(waypoint_key_));
        break;
    default:
        leg.variation = 0.0f;
        break;
    }
}

}  // namespace navdata
