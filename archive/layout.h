// Where everything lives in a navigation archive and its tables: the one
// description that the writer (podlib) and the display's reader (navdata)
// both use, so they cannot drift apart. All little-endian (docs/archive-format.md).
// Standard library only: the plug-ins include it.
#pragma once

#include <cstddef>

namespace pod {

// The archive: a 272-byte header with the entry count and the directory's
// offset, the entries' data, then the directory of 20-byte entries (name
// offset within the name block, size, data offset) and the name block.
inline constexpr size_t kEntryCountAt = 88, kDirectoryAt = 264, kArchiveHeaderSize = 272;
inline constexpr size_t kEntrySize = 20, kEntryNameAt = 0, kEntrySizeAt = 4, kEntryDataAt = 8;

// A table entry: a 56-byte header with the record count and size, then the records.
inline constexpr size_t kTableHeaderSize = 56, kCountAt = 16, kRecordSizeAt = 20;

// Where each field lives in a record, and the bytes of a record as written.
// The display reads key, identifier (not for waypoints), name and variation;
// the rest is the host world's. Kind and frequency are the navaids' (0 where absent).
struct RecordLayout {
    size_t key, identifier, name, variation, latitude, longitude, elevation;
    size_t kind, frequency;
    size_t key_width, identifier_width, name_width;
    size_t record_size;
};
inline constexpr RecordLayout kAirport{4, 14, 19, 59, 67, 75, 83, 0, 0, 10, 5, 40, 91};
inline constexpr RecordLayout kNavaid{4, 14, 19, 67, 75, 83, 91, 99, 103, 10, 5, 40, 111};
inline constexpr RecordLayout kWaypoint{4, 103, 14, 71, 79, 87, 95, 0, 0, 10, 8, 26, 111};

// Each table's archive, in the host's system folder, and its entry path.
struct TableFiles {
    const char *archive;      // "navaid.pod"
    const char *system_path;  // "system\\navaid.pod", relative to the host's folder
    const char *entry;        // "DATABASE\\NAVAID.DBD"
};
inline constexpr TableFiles kAirportFiles{"airpvarmag.pod", "system\\airpvarmag.pod", "DATABASE\\AIRPVARMAG.DBD"};
inline constexpr TableFiles kNavaidFiles{"navaid.pod", "system\\navaid.pod", "DATABASE\\NAVAID.DBD"};
inline constexpr TableFiles kWaypointFiles{"waypoint.pod", "system\\waypoint.pod", "DATABASE\\WAYPOINT.DBD"};

}  // namespace pod
