#include "navdata/navdata.h"

namespace navdata {

NavData::NavData() = default;

NavData::~NavData() { close_flight_plan(); }

FlightPlanLeg *NavData::working_leg(size_t i) { return i < working_legs_.size() ? &working_legs_[i] : nullptr; }
const FlightPlanLeg *NavData::working_leg(size_t i) const {
    return i < working_legs_.size() ? &working_legs_[i] : nullptr;
}
FlightPlanLeg *NavData::published_leg(size_t i) {
    return i < published_legs_.size() ? &published_legs_[i] : nullptr;
}
const FlightPlanLeg *NavData::published_leg(size_t i) const {
    return i < published_legs_.size() ? &published_legs_[i] : nullptr;
}

}  // namespace navdata
