// The fuzz targets' scratch working folder and a host with the services the
// navigation data calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Enters a new scratch folder with "system" and "saved simulations" in it and
// installs the host services; once per process.
void enter_scratch_folder();
// Replaces a file of the scratch folder with the given bytes.
void write_file(const std::string &path, const uint8_t *data, size_t size);
