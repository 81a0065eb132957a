// The flight plan reader on arbitrary file contents, against small tables.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_folder.h"
#include "navdata/navdata.h"

namespace {

navdata::NavData &nav() {
    static navdata::NavData n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    enter_scratch_folder();
    // One archive serves all three tables: its entry holds a table of three
    // records of 111 bytes, keys "K1" .. "K3", that every layout can read.
    uint8_t pod[272 + 56 + 3 * 111 + 3 * 20 + 80] = {};
    const uint32_t data = 272, directory = data + 56 + 3 * 111;
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&pod[at], &v, 4); };
    put(88, 3);
    put(264, directory);
    put(data + 16, 3);
    put(data + 20, 111);
    for (int i = 0; i < 3; ++i) {
        uint8_t *r = &pod[data + 56 + i * 111];
        r[4] = 'K';
        r[5] = uint8_t('1' + i);
        std::memcpy(r + 14, "IDNT", 4);
        const double v = 1.5 * i;
        for (size_t at : {59u, 67u, 71u}) std::memcpy(r + at, &v, 8);
    }
    const char names[] = "DATABASE\\AIRPVARMAG.DBD\0DATABASE\\NAVAID.DBD\0DATABASE\\WAYPOINT.DBD";
    const uint32_t offsets[] = {0, 24, 44};
    for (int i = 0; i < 3; ++i) {
        put(directory + 20 * i, offsets[i]);
        put(directory + 20 * i + 8, data);
    }
    std::memcpy(&pod[directory + 60], names, sizeof names);
    for (const char *file : {"system/airpvarmag.pod", "system/navaid.pod", "system/waypoint.pod"})
        write_file(file, pod, sizeof pod);
    if (nav().load_airports() + nav().load_navaids() + nav().load_waypoints() != 3 || nav().waypoints().size() != 3)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    write_file("saved simulations/zark_fpl.sit", data, size);
    nav().read_flight_plan();
    for (size_t i = 0; i < nav().published_leg_count(); ++i) {
        const navdata::FlightPlanLeg *leg = nav().published_leg(i);
        if (strnlen(leg->name, sizeof leg->name) == sizeof leg->name ||
            strnlen(leg->airport_name, sizeof leg->airport_name) == sizeof leg->airport_name)
            __builtin_trap();
    }
    return 0;
}
