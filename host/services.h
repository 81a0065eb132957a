// The host's services table: one C function per entry of
// frame/host_services.def.
#pragma once

#include <array>
#include <exception>
#include <type_traits>

#include "frame/abi.h"

namespace panelhost {

// The host's implementation of every listed entry, declared from the list
// with the entry's exact type: a definition whose signature differs from
// what the plug-ins call does not compile ("no declaration matches
// Services::<name>"). Each decodes its arguments into the call log and does
// its work (host/services.cpp).
struct Services {
#define HOST_SERVICE(number, Name, name, signature, contract) static std::type_identity_t<signature> name;
#include "frame/host_services.def"
};

// Records on the current host that service `entry` let `what` escape.
void service_failed(int entry, const char *what) noexcept;

// Every entry of the table runs through this wrapper, so no exception reaches
// a plug-in: one that escapes the service is recorded as a problem of the
// host, and the entry returns its zero result.
template <int Entry, auto Fn>
struct Guarded;
template <int Entry, class R, class... A, R (*Fn)(A...)>
struct Guarded<Entry, Fn> {
    static R call(A... args) noexcept {
        try {
            return Fn(args...);
        } catch (const std::exception &e) {
            service_failed(Entry, e.what());
        } catch (...) {
            service_failed(Entry, "unknown exception");
        }
        if constexpr (!std::is_void_v<R>) return R{};
    }
};

// Fills every listed entry with Services::<name> through Guarded; the others
// stay null.
void fill_services(std::array<HostEntry, kServiceCount> &table);

}  // namespace panelhost
