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
    // records of the navaids' size, keys "K1" .. "K3", that every layout can read.
    using namespace pod;
    static_assert(kWaypoint.record_size == kNavaid.record_size && kAirport.record_size <= kNavaid.record_size);
    static_assert(kAirport.identifier == kNavaid.identifier && kNavaid.identifier == kWaypoint.name);
    constexpr const char *kEntries[] = {kAirportFiles.entry, kNavaidFiles.entry, kWaypointFiles.entry};
    constexpr size_t kRecords = 3, kRecordSize = kNavaid.record_size;
    constexpr uint32_t data = kArchiveHeaderSize, directory = data + kTableHeaderSize + kRecords * kRecordSize;
    uint8_t archive[directory + 3 * kEntrySize + 80] = {};
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&archive[at], &v, 4); };
    put(kEntryCountAt, 3);
    put(kDirectoryAt, directory);
    put(data + kCountAt, kRecords);
    put(data + kRecordSizeAt, kRecordSize);
    for (size_t i = 0; i < kRecords; ++i) {
        uint8_t *r = &archive[data + kTableHeaderSize + i * kRecordSize];
        r[kAirport.key] = 'K';
        r[kAirport.key + 1] = uint8_t('1' + i);
        std::memcpy(r + kAirport.identifier, "IDNT", 4);
        const double v = 1.5 * double(i);
        for (size_t at : {kAirport.variation, kNavaid.variation, kWaypoint.variation}) std::memcpy(r + at, &v, 8);
    }
    uint32_t name = 0;
    for (size_t i = 0; i < 3; ++i) {
        put(directory + kEntrySize * i + kEntryNameAt, name);
        put(directory + kEntrySize * i + kEntryDataAt, data);
        const size_t n = std::strlen(kEntries[i]) + 1;
        if (directory + 3 * kEntrySize + name + n > sizeof archive) __builtin_trap();
        std::memcpy(&archive[directory + 3 * kEntrySize + name], kEntries[i], n);
        name += uint32_t(n);
    }
    for (const char *file : {navdata::kAirportArchive, navdata::kNavaidArchive, navdata::kWaypointArchive})
        write_file(file, archive, sizeof archive);
    if (nav().load_airports() + nav().load_navaids() + nav().load_waypoints() != 3 || nav().waypoints().size() != 3)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    write_file(navdata::kFlightPlanFile, data, size);
    nav().read_flight_plan();
    for (size_t i = 0; i < nav().published_leg_count(); ++i) {
        const navdata::FlightPlanLeg *leg = nav().published_leg(i);
        if (strnlen(leg->name, sizeof leg->name) == sizeof leg->name ||
            strnlen(leg->airport_name, sizeof leg->airport_name) == sizeof leg->airport_name)
            __builtin_trap();
    }
    return 0;
}
