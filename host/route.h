// The scenario's route as the flight plan and the flight along it: each point
// found in the world database by its key or its identifier, or taken as the
// scenario or its plan file gives it.
#pragma once

#include <string>
#include <vector>

#include "host/flight.h"
#include "host/plan_file.h"
#include "host/scenario.h"
#include "host/world_db.h"

namespace panelhost {

// The route's points in order, named by the record's identifier (its name
// when it has none), each at the altitude the point or an earlier one names,
// the start altitude before any does.
//
// A point named by identifier is, as a flight management system finds it,
// the record of that identifier (and kind) nearest the previous point; the
// first point's identifier must name exactly one. A point a plan file places
// is the nearest record of its identifier within 3 nm (airports) or 1 nm
// (navaids, fixes) of where the file puts it; without one it is flown as a
// user waypoint there, with a warning added to `warnings`.
//
// Throws ScenarioError at the file and line of a key or identifier the
// database does not hold, or of an ambiguous first point (listing the
// candidates with their keys and positions).
std::vector<PlanWaypoint> resolve_route(const Scenario &scenario, const WorldDb &db,
                                        std::vector<std::string> *warnings = nullptr);

// The user aircraft at the first point of `plan` at the start altitude,
// heading as the scenario says or towards the second point, flying the rest.
// Throws ScenarioError for a plan of fewer than two points.
Flight flight_along(const std::vector<PlanWaypoint> &plan, const Scenario &scenario);

}  // namespace panelhost
