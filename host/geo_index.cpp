#include "host/geo_index.h"

#include <algorithm>
#include <cmath>

#include "host/geo.h"

namespace panelhost {
namespace {

// Rounding in the degrees' arithmetic must not lose a record on a cell's edge.
constexpr double kMarginDegrees = 1e-6;

int row_of(double latitude) { return std::clamp(int(std::floor(latitude + 90.0)), 0, 179); }
int column_of(double longitude) {
    const int c = int(std::floor(longitude + 180.0)) % 360;
    return c < 0 ? c + 360 : c;
}

}  // namespace

GeoIndex::GeoIndex(const std::vector<std::pair<double, double>> &positions) {
    std::vector<uint32_t> cells(positions.size());
    start_.assign(size_t(kRows) * kColumns + 1, 0);
    for (size_t i = 0; i < positions.size(); ++i) {
        cells[i] = uint32_t(row_of(positions[i].first) * kColumns + column_of(positions[i].second));
        ++start_[cells[i] + 1];
    }
    for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    items_.resize(positions.size());
    std::vector<uint32_t> next(start_.begin(), start_.end() - 1);
    for (size_t i = 0; i < positions.size(); ++i) items_[next[cells[i]]++] = uint32_t(i);
}

void GeoIndex::near(double latitude, double longitude, double radius, std::vector<uint32_t> &out) const {
    out.clear();
    if (items_.empty()) return;
    const double r = radius * 180.0 / kPi + kMarginDegrees;
    const double south = latitude - r, north = latitude + r;
    if (r >= 180.0 || south <= -90.0 || north >= 90.0) {
        // A circle that reaches a pole holds every longitude of its band.
        const size_t from = start_[size_t(row_of(std::max(south, -90.0))) * kColumns];
        const size_t to = start_[size_t(row_of(std::min(north, 90.0)) + 1) * kColumns];
        out.assign(items_.begin() + long(from), items_.begin() + long(to));
        return;
    }
    // The widest the circle reaches in longitude, on the side nearer the pole.
    const double reach = std::sin(radius) / std::cos(latitude * kPi / 180.0);
    const double half = reach >= 1.0 ? 180.0 : std::asin(reach) * 180.0 / kPi + kMarginDegrees;
    const int first_row = row_of(south), last_row = row_of(north);
    if (half >= 180.0) {
        const size_t from = start_[size_t(first_row) * kColumns], to = start_[size_t(last_row + 1) * kColumns];
        out.assign(items_.begin() + long(from), items_.begin() + long(to));
        return;
    }
    const int west = int(std::floor(longitude - half + 180.0)), east = int(std::floor(longitude + half + 180.0));
    const int columns = std::min(east - west + 1, kColumns);
    for (int row = first_row; row <= last_row; ++row) {
        for (int k = 0; k < columns; ++k) {
            const int column = ((west + k) % kColumns + kColumns) % kColumns;
            const size_t cell = size_t(row) * kColumns + size_t(column);
            out.insert(out.end(), items_.begin() + long(start_[cell]), items_.begin() + long(start_[cell + 1]));
        }
    }
}

}  // namespace panelhost
