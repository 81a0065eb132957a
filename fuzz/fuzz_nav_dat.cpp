// The X-Plane nav.dat reader (and the fitting of its records) on any bytes.
#include "fuzz/fuzz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_import(navimport::Format::nav_dat, data, size);
    return 0;
}
