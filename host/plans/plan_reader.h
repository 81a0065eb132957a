// Flight plans made in other tools, read as their files give them: the
// points in order, each with its identifier, its kind and its position where
// the format has them. Matching the points against the world is the route's
// job (host/route.h); this reads files and nothing else.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace panelhost::plans {

// What a plan says a point is. kAny: the file does not say (or says
// something this reader does not know as a kind); kUser: a point of the
// pilot's own, never looked up in the world.
enum class PointKind { kAny, kAirport, kVor, kNdb, kFix, kUser };
std::string_view kind_name(PointKind kind);  // "airport", "VOR", ...

struct PlannedPoint {
    std::string ident;  // as the file names it; empty for an unnamed user point
    PointKind kind = PointKind::kAny;
    std::optional<double> latitude, longitude;  // degrees, north and east positive
    std::optional<double> altitude_ft;          // only where the file gives one above 0
    int line = 0;                               // of the point in the file, from 1
};

enum class Format { kFms, kPln, kLnmpln, kFpl, kGpx, kFlightGear };
inline constexpr Format kAllFormats[] = {Format::kFms, Format::kPln, Format::kLnmpln,
                                         Format::kFpl, Format::kGpx, Format::kFlightGear};
std::string_view format_name(Format format);  // "X-Plane .fms", ...

struct Plan {
    Format format = Format::kFms;
    std::string version;  // as the file states it ("1100", "3", "2"), or empty
    std::vector<PlannedPoint> points;
    // "file:line: warning: ..." for what the file holds that is not flown
    // (procedures, route breaks) or was shortened.
    std::vector<std::string> warnings;
};

// A file that is no plan of a known format, or a malformed one. The message
// begins with "file:line: " (and the column where the XML parser gives one).
class PlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Longest name kept for a point; longer ones are cut, with a warning.
constexpr size_t kMaxPointName = 63;
// Highest altitude a point may name, as for a scenario's start.
constexpr double kMaxAltitudeFt = 60000.0;
// Plans are small; anything larger is refused before it is parsed.
constexpr size_t kMaxPlanBytes = 16u << 20;

// The format a file's contents are in: X-Plane's text form, or the XML
// formats by their root element. Throws PlanError when it is none of them.
Format detect_format(std::string_view text, const std::string &file);

// Reads a plan in the format its contents show, or in `format`.
Plan read_plan(std::string_view text, const std::string &file);
Plan read_plan(std::string_view text, const std::string &file, Format format);
Plan load_plan(const std::filesystem::path &file);

}  // namespace panelhost::plans
