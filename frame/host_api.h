// The plug-in's side of the host services: the copied table and one thin
// wrapper per entry of frame/host_services.def. Plug-in code calls these and
// never indexes the table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"

namespace frame {

// Copies the entries of the host's table that this deliverable's table holds
// (kServiceCount, partanim kServiceCountPartanim) and keeps the reference.
int32_t install_services(HostEntry *table, int32_t reference);
// The reference number given with the table, 0 before install_services.
int32_t reference_number();

// Calls entry Number of the copied table with the arguments unchanged and
// passes its result on. Where the host left the entry empty there is no
// call and the result is zero (null, 0, 0.0). Defined in host_api.cpp for
// every listed entry.
template <int Number, class Signature = typename ServiceSignature<Number>::type>
struct Wrapper;
template <int Number, class R, class... A>
struct Wrapper<Number, R(A...)> {
    static R call(A... args);
};

}  // namespace frame

// host_<name> for every listed entry, called as a function:
// host_bitmap_draw(s, &bitmap, x, y, frame).
#define HOST_SERVICE(number, Name, name, signature, contract) \
    inline constexpr auto &host_##name = frame::Wrapper<number>::call;
#include "frame/host_services.def"
