// The scenario's route as the flight plan and the flight along it: each point
// found in the world database by its key or taken as the scenario gives it.
#pragma once

#include <vector>

#include "host/flight.h"
#include "host/plan_file.h"
#include "host/scenario.h"
#include "host/world_db.h"

namespace panelhost {

// The route's points in order, named by the record's identifier (its name
// when it has none), each at the altitude the point or an earlier one names,
// the start altitude before any does. Throws ScenarioError at the line of a
// key the database does not hold.
std::vector<PlanWaypoint> resolve_route(const Scenario &scenario, const WorldDb &db);

// The user aircraft at the first point of `plan` at the start altitude,
// heading as the scenario says or towards the second point, flying the rest.
// Throws ScenarioError for a plan of fewer than two points.
Flight flight_along(const std::vector<PlanWaypoint> &plan, const Scenario &scenario);

}  // namespace panelhost
