// A plug-in that notes ESP at the first instruction of each of its five
// exports and each callback the host calls. Every entry is a stub in assembler
// that stores ESP and jumps to the C++ body with the stack untouched.
#include <cstdint>

#include "frame/abi.h"

namespace {

// The entries in the order of the stubs below.
constexpr int kEntries = 17;

}  // namespace

extern "C" {

// ESP at entry of each entry, 0 until it is called.
uint32_t probe_entry_esp[kEntries];

int32_t DLLGetSDKVersion(void);
int32_t DLLInitPrivate(HostEntry *table, int32_t reference);
int32_t DLLGetReferenceNumber(void);
int32_t DLLInit(void **callbacks, PluginInfo *info, void *registry);
void DLLKill(void);
void probe_global_start(void);
void probe_global_stop(void);
void probe_destroy(InstanceHandle h);
void probe_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out);
void probe_instance_init(InstanceHandle h);
void probe_time_slice(float seconds);
void probe_draw(InstanceHandle h, DrawSurface *s);
int32_t probe_read_tag(InstanceHandle h, void *stream, uint32_t tag);
int32_t probe_mouse(InstanceHandle h, DrawSurface *s, int32_t x, int32_t y, uint32_t buttons);
void probe_prepare(InstanceHandle h);
int32_t probe_update(InstanceHandle h);
void probe_key(int32_t key, int32_t modifiers);

// The entries the test reads: how many there are, and their ESPs.
__declspec(dllexport) int32_t ProbeEntryCount(void) { return kEntries; }
__declspec(dllexport) const uint32_t *ProbeEntryStacks(void) { return probe_entry_esp; }
__declspec(dllexport) void ProbeForget(void) {
    for (uint32_t &esp : probe_entry_esp) esp = 0;
}

}  // extern "C"

#define PROBE_STUB(name, index)                         \
    "    .globl _" #name "\n"                           \
    "_" #name ":\n"                                     \
    "    movl %esp, _probe_entry_esp+4*" #index "\n"    \
    "    jmp _" #name "_body\n"

asm("    .text\n"
    PROBE_STUB(DLLGetSDKVersion, 0) PROBE_STUB(DLLInitPrivate, 1) PROBE_STUB(DLLGetReferenceNumber, 2)
    PROBE_STUB(DLLInit, 3) PROBE_STUB(DLLKill, 4) PROBE_STUB(probe_global_start, 5)
    PROBE_STUB(probe_global_stop, 6) PROBE_STUB(probe_destroy, 7) PROBE_STUB(probe_instantiate, 8)
    PROBE_STUB(probe_instance_init, 9) PROBE_STUB(probe_time_slice, 10) PROBE_STUB(probe_draw, 11)
    PROBE_STUB(probe_read_tag, 12) PROBE_STUB(probe_mouse, 13) PROBE_STUB(probe_prepare, 14)
    PROBE_STUB(probe_update, 15) PROBE_STUB(probe_key, 16));

// The stubs' own exports (the assembler's symbols carry no dllexport).
asm("    .section .drectve\n"
    "    .ascii \" -export:DLLGetSDKVersion -export:DLLInitPrivate -export:DLLGetReferenceNumber\"\n"
    "    .ascii \" -export:DLLInit -export:DLLKill\"\n"
    "    .text\n");

namespace {

HostEntry *g_table = nullptr;
int32_t g_reference = 0;
void *g_block = nullptr;
constexpr uint32_t kKind = fourcc("gage"), kClass = fourcc("prob");

template <class Fn>
Fn service(int entry) {
    return reinterpret_cast<Fn>(g_table[entry]);
}

}  // namespace

extern "C" {

int32_t DLLGetSDKVersion_body(void) { return kSdkVersion; }

int32_t DLLInitPrivate_body(HostEntry *table, int32_t reference) {
    g_table = table;
    g_reference = reference;
    return reference;
}

int32_t DLLGetReferenceNumber_body(void) { return g_reference; }

int32_t DLLInit_body(void **callbacks, PluginInfo *info, void *registry) {
    callbacks[kSlotGlobalStart] = reinterpret_cast<void *>(&probe_global_start);
    callbacks[kSlotGlobalStop] = reinterpret_cast<void *>(&probe_global_stop);
    callbacks[kSlotDestroy] = reinterpret_cast<void *>(&probe_destroy);
    callbacks[kSlotInstantiate] = reinterpret_cast<void *>(&probe_instantiate);
    callbacks[kSlotInstanceInit] = reinterpret_cast<void *>(&probe_instance_init);
    callbacks[kSlotTimeSlice] = reinterpret_cast<void *>(&probe_time_slice);
    callbacks[kSlotDraw] = reinterpret_cast<void *>(&probe_draw);
    callbacks[kSlotReadTag] = reinterpret_cast<void *>(&probe_read_tag);
    callbacks[kSlotMouse] = reinterpret_cast<void *>(&probe_mouse);
    callbacks[kSlotPrepare] = reinterpret_cast<void *>(&probe_prepare);
    callbacks[kSlotUpdate] = reinterpret_cast<void *>(&probe_update);
    callbacks[kSlotKey] = reinterpret_cast<void *>(&probe_key);
    *info = PluginInfo{};
    info->number = kInfoNumber;
    service<void (*)(void *, uint32_t, uint32_t)>(kEntryRegisterClass)(registry, kKind, kClass);
    return 1;
}

void DLLKill_body(void) {}
void probe_global_start_body(void) {}
void probe_global_stop_body(void) {}
void probe_destroy_body(InstanceHandle h) { *h = nullptr; }

void probe_instantiate_body(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    if (kind != kKind || cls != kClass) return;
    InstanceHandle h = service<InstanceHandle (*)(int32_t)>(kEntryCreateInstance)(g_reference);
    *h = &g_block;
    *out = h;
}

void probe_instance_init_body(InstanceHandle) {}
void probe_time_slice_body(float) {}
void probe_draw_body(InstanceHandle, DrawSurface *s) { service<void (*)(DrawSurface *)>(kEntrySurfacePresent)(s); }
int32_t probe_read_tag_body(InstanceHandle, void *, uint32_t) { return 1; }
int32_t probe_mouse_body(InstanceHandle, DrawSurface *, int32_t, int32_t, uint32_t) { return 1; }
void probe_prepare_body(InstanceHandle) {}
int32_t probe_update_body(InstanceHandle) { return 1; }
void probe_key_body(int32_t, int32_t) {}

}  // extern "C"
