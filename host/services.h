// The host's services table: one C function per entry of the interface.
#pragma once

#include <array>

#include "frame/abi.h"

namespace panelhost {

// Fills every entry the suite uses; the others stay null.
void fill_services(std::array<HostEntry, kServiceCount> &table);

}  // namespace panelhost
