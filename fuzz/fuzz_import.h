// What the importers' fuzz targets share: one input imported as a file of a
// format, and every record it gives written into an archive table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tools/navimport/navimport.h"

// Imports the bytes as a file of `format`: a podlib::Error is a refusal; a
// record that does not fit the archive's fields, or any other failure, ends
// the process. Bytes that begin as gzip data are also read from a file, as
// podtool reads it, its format found from its contents.
void fuzz_import(navimport::Format format, const uint8_t *data, size_t size);
