// The fuzz targets' scratch working folder and a host with the services the
// navigation data calls.
#pragma once

#include <cstddef>
#include <cstdint>

// Enters a new scratch folder with the folders of the display's files in it
// (archives, flight plan) and installs the host services; once per process.
void enter_scratch_folder();
// Replaces a file of the scratch folder, named by its host path
// (navdata::kAirportArchive, ...), with the given bytes.
void write_file(const char *host_path, const uint8_t *data, size_t size);
