// The display's option word: layer switches and label modes.
#pragma once

#include <cstdint>

namespace navdisplay {

constexpr uint32_t OPT_ENABLED = 0x1;
constexpr uint32_t OPT_APT = 0x100;
constexpr uint32_t OPT_VOR = 0x200;
constexpr uint32_t OPT_NDB = 0x400;
constexpr uint32_t OPT_APT_ID = 0x2000;
constexpr uint32_t OPT_NDB_ID = 0x4000;
constexpr uint32_t OPT_NDB_FREQ = 0x8000;
constexpr uint32_t OPT_ROUTE = 0x20000;
constexpr uint32_t OPT_VOR_ID = 0x100000;
constexpr uint32_t OPT_VOR_FREQ = 0x200000;
constexpr uint32_t OPT_APT_BRG = 0x400000;
constexpr uint32_t OPT_NDB_BRG = 0x800000;
constexpr uint32_t OPT_VOR_BRG = 0x1000000;
constexpr uint32_t OPT_WPT = 0x2000000;
constexpr uint32_t OPT_WPT_ID = 0x4000000;
constexpr uint32_t OPT_WPT_BRG = 0x8000000;
constexpr uint32_t OPT_TRAFFIC = 0x10000000;

// Airports, VORs and NDBs as symbols only.
constexpr uint32_t kDefaultOptions = OPT_APT | OPT_VOR | OPT_NDB;

}  // namespace navdisplay
