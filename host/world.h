// The objects of the simulated world as the host services see them: the
// user aircraft, traffic, and the nearby airports, navaids and waypoints.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "frame/abi.h"

namespace panelhost {

struct SimObject {
    std::string name;
    GeoPosition position{};        // arcseconds, arcseconds, feet
    float heading_deg = 0.0f;      // heading shown on the panel (entry 281)
    float map_heading_deg = 0.0f;  // what entries 280 and 208 give
    float ground_speed_fps = 0.0f;
    bool valid = true;
    // (kind, unit, which) -> frequency: MHz, kHz or the transponder code.
    std::map<std::tuple<int, int, int>, float> radios;
    // (kind, unit) of every radio a plug-in asked the frequency of.
    std::set<std::pair<int, int>> radios_read;
    std::map<uint32_t, std::string> models;  // tag -> model path
    uint32_t selected_model = 0;
    std::map<std::string, int32_t> part_frames;
};

struct NearbyAirport {
    std::string short_id, code;
    double latitude = 0, longitude = 0;
};

struct NearbyNavaid {
    std::string id;
    uint32_t flags = 0;  // hostlist::navaid::kVor, kNdb
    double latitude = 0, longitude = 0;
    float frequency = 0;
};

struct NearbyPoint {
    std::string id;
    uint32_t flags = 0;
    double latitude = 0, longitude = 0;
};

class World {
public:
    World();

    // Object 0 is the user aircraft; the others are traffic.
    SimObject &user() { return *objects_.front(); }
    const SimObject &user() const { return *objects_.front(); }
    ObjectRef user_ref() const { return ref_of(0); }

    // Adds a traffic object; its index stays valid until remove_traffic.
    size_t add_traffic(SimObject o);
    void remove_traffic(size_t index);  // its references become invalid
    size_t object_count() const { return objects_.size(); }
    // Traffic indices (1 .. object_count()-1) that are present.
    std::vector<size_t> traffic() const;
    SimObject *object(size_t index) { return index < objects_.size() ? objects_[index].get() : nullptr; }

    ObjectRef ref_of(size_t index) const;
    // The object a reference names, or null for a stale or foreign one.
    SimObject *find(const ObjectRef *ref);

    // The magnetic variation at the user aircraft; nullopt when the host
    // has none to give (entry 282 then fails).
    std::optional<float> variation_deg = 0.0f;

    std::vector<NearbyAirport> nearby_airports;
    std::vector<NearbyNavaid> nearby_navaids;
    std::vector<NearbyPoint> nearby_points;
    // A refresh of the nearby lists that fell due: each list is made when it
    // is next handed out, so that a refresh nobody reads before the next one
    // costs nothing (over the whole earth, thousands of records).
    // `refresh_nearby` makes the lists named by its mask; `stale_nearby`
    // holds the lists it has still to make.
    enum NearbyLists : unsigned { kAirportList = 1, kNavaidList = 2, kPointList = 4, kAllLists = 7 };
    std::function<void(World &, unsigned lists)> refresh_nearby;
    unsigned stale_nearby = 0;
    void settle_nearby(unsigned list) {
        if (!(stale_nearby & list) || !refresh_nearby) return;
        stale_nearby &= ~list;
        refresh_nearby(*this, list);
    }

private:
    std::vector<std::unique_ptr<SimObject>> objects_;  // null where removed
    std::vector<uint32_t> generation_;
};

}  // namespace panelhost
