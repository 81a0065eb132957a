#include "frame/host_api.h"

namespace {

// The table this copy of the frame is built for: frame/CMakeLists.txt defines
// FRAME_PARTANIM_TABLE for partanim's copy.
#ifdef FRAME_PARTANIM_TABLE
constexpr int kTableEntries = kServiceCountPartanim;
#else
constexpr int kTableEntries = kServiceCount;
#endif

// The module-wide copy of the host's services and the reference number.
HostEntry g_services[kTableEntries];
int32_t g_reference = 0;

// The bearing service's zero result: the caller's vector, zeroed.
double *zeroed(double *out, const GeoPosition *, const GeoPosition *) {
    out[0] = out[1] = out[2] = 0.0;
    return out;
}

}  // namespace

namespace frame {

int32_t install_services(HostEntry *table, int32_t reference) {
    for (int i = 0; i < kTableEntries; ++i) g_services[i] = table ? table[i] : nullptr;
    g_reference = reference;
    return reference;
}

int32_t reference_number() { return g_reference; }

template <int Number, class R, class... A>
R Wrapper<Number, R(A...)>::call(A... args) {
    if (HostEntry entry = g_services[Number]) return reinterpret_cast<R (*)(A...)>(entry)(args...);
    if constexpr (Number == kEntryPositionVector)
        return zeroed(args...);
    else
        return R();
}

#define HOST_SERVICE(number, Name, name, signature, contract) template struct Wrapper<number>;
#include "frame/host_services.def"

}  // namespace frame
