#include "tests/navdata/fake_host.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <unistd.h>

#include "frame/host_api.h"

namespace fake_host {
namespace {

float g_variation = 0.0f;
bool g_variation_ok = true;
bool g_fixed = false;
double g_bearing = 0.0, g_feet = 0.0;
int g_calls = 0;
GeoPosition g_from{}, g_to{};

void get_user_object(ObjectRef *out) { *out = ObjectRef{{1, 2, 3}}; }

int32_t get_value_282(const ObjectRef *, float *dst) {
    if (!g_variation_ok) return 0;
    *dst = g_variation;
    return 1;
}

double radians_of(double arcsec) { return arcsec / 3600.0 * M_PI / 180.0; }

double *position_vector(double out[3], const GeoPosition *from, const GeoPosition *to) {
    ++g_calls;
    g_from = *from;
    g_to = *to;
    out[0] = 0.0;
    if (g_fixed) {
        out[1] = g_bearing;
        out[2] = g_feet;
        return out;
    }
    const double la1 = radians_of(from->latitude), la2 = radians_of(to->latitude);
    const double dlo = radians_of(to->longitude - from->longitude);
    const double y = std::sin(dlo) * std::cos(la2);
    const double x = std::cos(la1) * std::sin(la2) - std::sin(la1) * std::cos(la2) * std::cos(dlo);
    const double c = std::acos(std::clamp(std::sin(la1) * std::sin(la2) + std::cos(la1) * std::cos(la2) * std::cos(dlo), -1.0, 1.0));
    out[1] = std::fmod(std::atan2(y, x) + 2 * M_PI, 2 * M_PI);
    out[2] = c * 20925646.0;
    return out;
}

}  // namespace

void install() {
    static HostEntry table[kServiceCount];
    table[kEntryGetUserObject] = reinterpret_cast<HostEntry>(&get_user_object);
    table[kEntryObjectGetValue282] = reinterpret_cast<HostEntry>(&get_value_282);
    table[kEntryPositionVector] = reinterpret_cast<HostEntry>(&position_vector);
    frame::install_services(table, 7);
    g_calls = 0;
    g_variation = 0.0f;
    g_variation_ok = true;
    g_fixed = false;
}

void set_variation(float degrees, bool ok) {
    g_variation = degrees;
    g_variation_ok = ok;
}
void use_fixed_vector(double bearing_radians, double feet) {
    g_fixed = true;
    g_bearing = bearing_radians;
    g_feet = feet;
}
void use_great_circle() { g_fixed = false; }
int vector_calls() { return g_calls; }
GeoPosition last_from() { return g_from; }
GeoPosition last_to() { return g_to; }

}  // namespace fake_host

WorkingFolder::WorkingFolder() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "navdata-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    std::filesystem::create_directories(dir_ / "system");
    std::filesystem::create_directories(dir_ / "saved simulations");
    std::filesystem::current_path(dir_);
    fake_host::install();
}

WorkingFolder::~WorkingFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
}

void WorkingFolder::write(const std::string &path, const std::string &text) const {
    std::ofstream(dir_ / path, std::ios::binary) << text;
}

void WorkingFolder::write(const std::string &path, const std::vector<uint8_t> &bytes) const {
    std::ofstream(dir_ / path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

void WorkingFolder::write_table(podlib::Table table, const std::vector<podlib::Record> &records) const {
    const auto &info = podlib::table_info(table);
    podlib::write_archive((dir_ / "system" / std::string(info.archive_file)).string(),
                          {{std::string(info.entry_path), podlib::encode_table(table, records)}});
}
