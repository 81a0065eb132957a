// Records of the navigation tables and of the flight plan.
#pragma once

#include <cstdint>

#include "frame/abi.h"

namespace navdata {

// The key is the first field of every table record (the lookup index relies on it).
struct AirportRecord {
    char key[10];
    char name[40];
    char identifier[5];
    double variation;  // degrees
};

struct NavaidRecord {
    char key[10];
    char name[40];
    char identifier[5];
    double variation;
};

struct WaypointRecord {
    char key[10];
    char name[40];  // holds the 26-byte name of the file
    double variation;
};

enum LegKind : int32_t {
    kLegNone = 0,
    kLegAirport = 1,
    kLegNavaid = 2,
    kLegWaypoint = 3,
    kLegUserWaypoint = 4,
};

// One waypoint of the flight plan; all zero until its block fills it.
struct FlightPlanLeg {
    LegKind kind;
    GeoPosition position;
    float distance_from_previous;  // nautical miles
    float course_from_previous;    // degrees true
    float variation;               // degrees; 0 for user waypoints
    char name[32];                 // kinds 2, 3, 4
    union {
        char airport_key[15];       // kind 1
        char navaid_identifier[5];  // kind 2
    };
    char airport_identifier[9];    // kind 1
    char airport_name[32];         // kind 1
};

}  // namespace navdata
