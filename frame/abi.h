// The binary interface between the host and every plug-in of the suite.
//
// These records are exchanged with the host byte for byte, so their sizes and
// offsets are fixed; the static_asserts below check them on every target. The
// host of this project includes this same header, so the two sides cannot
// drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

// Four-character code: first character in the most significant byte.
constexpr uint32_t fourcc(const char (&s)[5]) {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}
static_assert(fourcc("gage") == 0x67616765u);

extern "C" {

// A host service, called only after a cast to its exact signature.
typedef void (*HostEntry)(void);

// The host word that holds a plug-in's per-instance block pointer. It is
// pointer-sized: 32 bits on the i686 targets, 64 on x86_64.
typedef void **InstanceHandle;

struct PluginInfo {
    char name[128];
    char company[128];
    char author[128];
    char version[128];
    char contact[128];
    int32_t number;
};

struct HostMessage {
    uint32_t request;        // 'getd' or 'setd'
    uint32_t target;         // host object addressed
    uint32_t value_type;     // 'int ' or 'real'
    uint8_t definition[8];   // from the definition, never touched by plug-ins
    int32_t reply;           // non-zero when the reply carries a value
    union {
        int32_t i;           // type 'int '
        double d;            // type 'real'
    } value;
    uint32_t untouched32;
    int32_t number;
    uint8_t untouched40[16];
    uint32_t data_tag;       // which value of the target
    uint8_t untouched60[12];
};

struct ObjectRef {
    uint32_t words[3];
};

struct FontRecord {
    char name[64];
    uint8_t host[4];
};

struct BitmapRecord {
    char name[64];
    uint8_t host[8];
};

struct StreamRecord {
    char name[64];
    char mode[8];
};

struct GeoPosition {
    double latitude;   // arcseconds, north positive
    double longitude;  // arcseconds east, 0 .. 1 296 000
    double altitude;
};

struct DrawSurface {
    uint32_t *pixels;
    int32_t width;
    int32_t height;
    int32_t pitch;  // in pixel words
};

// Callbacks the host finds in the callback table, by position.
typedef void (*OnGlobalStart)(void);
typedef void (*OnGlobalStop)(void);
typedef void (*OnDestroy)(InstanceHandle h);
typedef void (*OnInstantiate)(uint32_t kind, uint32_t cls, InstanceHandle *out);
typedef void (*OnInstanceInit)(InstanceHandle h);
typedef void (*OnTimeSlice)(float seconds);
typedef void (*OnDraw)(InstanceHandle h, DrawSurface *s);
typedef int32_t (*OnReadTag)(InstanceHandle h, void *stream, uint32_t tag);
typedef int32_t (*OnMouse)(InstanceHandle h, DrawSurface *s, int32_t x, int32_t y, uint32_t buttons);
typedef void (*OnPrepare)(InstanceHandle h);
typedef int32_t (*OnUpdate)(InstanceHandle h);
typedef void (*OnKey)(int32_t key, int32_t modifiers);

// The five exports.
typedef int32_t (*DLLGetSDKVersionFn)(void);
typedef int32_t (*DLLInitPrivateFn)(HostEntry *table, int32_t reference);
typedef int32_t (*DLLGetReferenceNumberFn)(void);
typedef int32_t (*DLLInitFn)(void **callbacks, PluginInfo *info, void *registry);
typedef void (*DLLKillFn)(void);

}  // extern "C"

// Callback table positions.
enum CallbackSlot : int {
    kSlotGlobalStart = 0,
    kSlotGlobalStop = 1,
    kSlotDestroy = 2,
    kSlotInstantiate = 4,
    kSlotInstanceInit = 5,
    kSlotTimeSlice = 6,
    kSlotDraw = 7,
    kSlotReadTag = 8,
    kSlotMouse = 11,
    kSlotPrepare = 15,
    kSlotUpdate = 16,
    kSlotKey = 17,
};
constexpr int kCallbackSlots = 18;

constexpr int32_t kSdkVersion = 200;
constexpr int32_t kInfoNumber = 100;
constexpr int kServiceCount = 547;         // every deliverable but partanim
constexpr int kServiceCountPartanim = 537; // partanim's table

// Host service numbers: kEntry<Name> for each entry of frame/host_services.def.
enum HostEntryId : int {
#define HOST_SERVICE(number, Name, name, signature, contract) kEntry##Name = number,
#include "frame/host_services.def"
};

namespace frame {

// The exact C function type of each listed entry, parameters named.
template <int Number>
struct ServiceSignature;
#define HOST_SERVICE(number, Name, name, signature, contract) \
    template <>                                               \
    struct ServiceSignature<number> {                         \
        using type = signature;                               \
    };
#include "frame/host_services.def"

// A listed entry as text: for the host's call log and the documentation.
struct ServiceText {
    int number;
    const char *name;  // "host_<name>"
    const char *signature;
    const char *contract;
};
inline constexpr ServiceText kServiceTexts[] = {
#define HOST_SERVICE(number, Name, name, signature, contract) {number, "host_" #name, #signature, contract},
#include "frame/host_services.def"
};

// "host_<name>" of a listed entry; null for any other number.
constexpr const char *service_name(int number) {
    switch (number) {
#define HOST_SERVICE(number, Name, name, signature, contract) \
    case number:                                              \
        return "host_" #name;
#include "frame/host_services.def"
    }
    return nullptr;
}

// Every listed entry lies within both tables, in ascending order.
constexpr bool services_ascending_within(int entries) {
    int previous = -1;
    for (const ServiceText &s : kServiceTexts) {
        if (s.number <= previous || s.number >= entries) return false;
        previous = s.number;
    }
    return true;
}
static_assert(kServiceCountPartanim < kServiceCount && services_ascending_within(kServiceCountPartanim),
              "frame/host_services.def: entries in ascending order, each within the shorter table");

}  // namespace frame

// The radio a kEntryObjectGetRadioFrequency call asks for (its `kind`).
constexpr int32_t kRadioCom = 1, kRadioNav = 2, kRadioTransponder = 8, kRadioAdf = 64;

// Byte offsets of the host's nearby-object list records. Each "next" field is
// pointer-sized and may be unaligned: read and write it with memcpy.
namespace hostlist {
namespace airport {
constexpr size_t kShortId = 10, kCode = 15, kLatitude = 232, kLongitude = 240, kNext = 268;
}
namespace navaid {
constexpr size_t kId = 40, kFlags = 48, kLatitude = 64, kLongitude = 72, kFrequency = 88, kNext = 108;
constexpr uint32_t kVor = 0x1, kNdb = 0x8;
}
namespace waypoint {
constexpr size_t kId = 0, kFlags = 28, kLatitude = 48, kLongitude = 56, kNext = 88;
}
namespace traffic {
constexpr size_t kRef = 0, kNext = 16;
}
// A record is at least next offset + one pointer long.
constexpr size_t record_size(size_t next_offset) { return next_offset + sizeof(void *); }
}  // namespace hostlist

// Record sizes and offsets, on every target.
static_assert(sizeof(PluginInfo) == 644);
static_assert(offsetof(PluginInfo, company) == 128 && offsetof(PluginInfo, author) == 256 &&
              offsetof(PluginInfo, version) == 384 && offsetof(PluginInfo, contact) == 512 &&
              offsetof(PluginInfo, number) == 640);
static_assert(sizeof(HostMessage) == 72 && alignof(HostMessage) <= 8);
static_assert(offsetof(HostMessage, target) == 4 && offsetof(HostMessage, value_type) == 8 &&
              offsetof(HostMessage, definition) == 12 && offsetof(HostMessage, reply) == 20 &&
              offsetof(HostMessage, value) == 24 && offsetof(HostMessage, number) == 36 &&
              offsetof(HostMessage, data_tag) == 56);
static_assert(sizeof(ObjectRef) == 12);
static_assert(sizeof(FontRecord) == 68);
static_assert(sizeof(BitmapRecord) == 72);
static_assert(sizeof(StreamRecord) == 72 && offsetof(StreamRecord, mode) == 64);
static_assert(sizeof(GeoPosition) == 24);
static_assert(sizeof(DrawSurface) == (sizeof(void *) == 4 ? 16 : 24));
static_assert(offsetof(DrawSurface, width) == sizeof(void *) &&
              offsetof(DrawSurface, pitch) == sizeof(void *) + 8);
static_assert(sizeof(HostEntry) == sizeof(void *));
static_assert(sizeof(*InstanceHandle{}) == sizeof(void *), "the host word holds a pointer");
static_assert(kServiceCount * sizeof(HostEntry) == (sizeof(void *) == 4 ? 2188u : 4376u));
static_assert(kServiceCountPartanim * sizeof(HostEntry) == (sizeof(void *) == 4 ? 2148u : 4296u));
static_assert(hostlist::record_size(hostlist::airport::kNext) == 268 + sizeof(void *));

// The i686 targets have the host's own word size: there every figure is the
// host's byte for byte.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HostEntry[kServiceCount]) == 2188 && sizeof(HostEntry[kServiceCountPartanim]) == 2148);
static_assert(sizeof(*InstanceHandle{}) == 4, "the host word is 32 bits");
static_assert(sizeof(DrawSurface) == 16);
static_assert(hostlist::record_size(hostlist::airport::kNext) == 272 &&
              hostlist::record_size(hostlist::navaid::kNext) == 112 &&
              hostlist::record_size(hostlist::waypoint::kNext) == 92 &&
              hostlist::record_size(hostlist::traffic::kNext) == 20);
#else
static_assert(sizeof(void *) == 8, "a target of 32 or 64-bit pointers");
#endif
