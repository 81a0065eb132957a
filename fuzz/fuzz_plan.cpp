// One plan format's reader on arbitrary file contents (the format is fixed
// at build time: one target per format), and the route it gives resolved
// against a small world with repeated identifiers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/plans/plan_reader.h"
#include "host/route.h"

namespace {

using namespace panelhost;

const WorldDb &world() {
    static const WorldDb db = [] {
        auto rec = [](const char *key, const char *id, double lat, double lon) {
            podlib::Record r;
            r.key = key;
            r.identifier = id;
            r.latitude = lat;
            r.longitude = lon;
            return r;
        };
        podlib::Record ndb = rec("N2", "LSV", 42.90951, -12.17276);
        ndb.kind = podlib::NavaidKind::ndb;
        return WorldDb({rec("A1", "XTIL", 43.16476, -12.03532), rec("A2", "XQUI", 43.03383, -11.32125)},
                       {rec("N1", "EVL", 43.09338, -11.46104), ndb, rec("N3", "EVL", -43.0, 170.0)},
                       {rec("W1", "TIKAF", 42.80647, -12.11968)});
    }();
    return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    plans::Plan plan;
    try {
        plan = plans::read_plan(text, "fuzz", plans::kAllFormats[FUZZ_PLAN_FORMAT]);
    } catch (const plans::PlanError &) {
        return 0;
    }
    // What a plan that reads holds: points, each checked.
    if (plan.points.empty()) __builtin_trap();
    for (const plans::PlannedPoint &p : plan.points) {
        if (p.latitude.has_value() != p.longitude.has_value() || p.ident.size() > plans::kMaxPointName) __builtin_trap();
        if (p.latitude && !(std::fabs(*p.latitude) <= 90 && std::fabs(*p.longitude) <= 180)) __builtin_trap();
        if (p.altitude_ft && !(*p.altitude_ft > 0 && *p.altitude_ft <= plans::kMaxAltitudeFt)) __builtin_trap();
    }
    Scenario s;
    s.file = "fuzz.toml";
    try {
        s.route = route_of_plan(plan, "fuzz");
        std::vector<std::string> warnings;
        if (resolve_route(s, world(), &warnings).size() != s.route.size()) __builtin_trap();
    } catch (const ScenarioError &) {
    }
    return 0;
}
