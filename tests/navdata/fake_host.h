// A host for the navigation data tests: the three services it calls, and a
// scratch working folder that the archives and the flight plan are made in.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "archive/podlib.h"

namespace fake_host {

// Installs a services table with entries 115, 216 and 282.
void install();
// Entry 282's answer: the variation, and whether it succeeds.
void set_variation(float degrees, bool ok);
// Entry 216's answer: great-circle bearing and distance, or fixed values.
void use_fixed_vector(double bearing_radians, double feet);
void use_great_circle();
// Calls of entry 216 since install.
int vector_calls();
// Positions that entry 216 was last given.
GeoPosition last_from();
GeoPosition last_to();

}  // namespace fake_host

// Makes and enters an empty working folder for each test; leaves it after.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    // Writes `text` to a file under the folder ("system/x.pod").
    void write(const std::string &path, const std::string &text) const;
    void write(const std::string &path, const std::vector<uint8_t> &bytes) const;
    // Writes a one-entry archive of a table into system/ under its host name.
    void write_table(podlib::Table table, const std::vector<podlib::Record> &records) const;
    const std::filesystem::path &path() const { return dir_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};
