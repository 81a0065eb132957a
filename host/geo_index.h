// The records of a world sorted into cells of one degree of latitude by one
// of longitude, so that the records near a place are found by looking at the
// few cells around it rather than at every record of the earth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace panelhost {

class GeoIndex {
public:
    GeoIndex() = default;
    // The records' positions, latitude and longitude in degrees; record i is
    // known by its index i.
    explicit GeoIndex(const std::vector<std::pair<double, double>> &positions);

    // The indices of the records that may lie within `radius` (radians of a
    // great circle) of a place given in degrees: every record that does, and
    // some that do not, in no particular order. A radius of half the earth's
    // circumference or more gives every record.
    void near(double latitude, double longitude, double radius, std::vector<uint32_t> &out) const;
    size_t size() const { return items_.size(); }

private:
    static constexpr int kRows = 180, kColumns = 360;
    std::vector<uint32_t> start_;  // cell c holds items_[start_[c] .. start_[c + 1])
    std::vector<uint32_t> items_;
};

}  // namespace panelhost
