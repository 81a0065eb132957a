// The OurAirports readers (and the fitting of their records) on any bytes:
// the first byte picks airports.csv or navaids.csv.
#include "fuzz/fuzz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    fuzz_import(data[0] & 1 ? navimport::Format::ourairports_navaids : navimport::Format::ourairports_airports, data + 1, size - 1);
    return 0;
}
