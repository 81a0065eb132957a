// The five entry points every deliverable exports.
#include <cstring>

#include "frame/plugin.h"

#if defined(_WIN32)
#define FRAME_EXPORT extern "C" __declspec(dllexport)
#else
#define FRAME_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// A plain string copy: the terminator is written, the bytes behind it are
// left as the host gave them. The field is never overrun.
template <size_t N>
void copy_info(char (&field)[N], const char *text) {
    size_t n = text ? strnlen(text, N - 1) : 0;
    std::memcpy(field, text ? text : "", n);
    field[n] = '\0';
}

}  // namespace

FRAME_EXPORT int32_t DLLGetSDKVersion(void) { return kSdkVersion; }

FRAME_EXPORT int32_t DLLInitPrivate(HostEntry *table, int32_t reference) {
    return frame::install_services(table, reference);
}

FRAME_EXPORT int32_t DLLGetReferenceNumber(void) { return frame::reference_number(); }

FRAME_EXPORT int32_t DLLInit(void **callbacks, PluginInfo *info, void *registry) {
    const frame::Deliverable &d = frame::deliverable();
    if (info) {
        copy_info(info->name, d.name);
        copy_info(info->company, d.company);
        copy_info(info->author, d.author);
        copy_info(info->version, d.version);
        copy_info(info->contact, d.contact);
        info->number = kInfoNumber;
    }
    if (callbacks) {
        for (int i = 0; i < d.callback_count; ++i) callbacks[d.callbacks[i].slot] = d.callbacks[i].fn;
    }
    if (d.load_resources) d.load_resources();
    if (d.kind != 0) host_register_class(registry, d.kind, d.cls);
    return 1;
}

FRAME_EXPORT void DLLKill(void) {
    const frame::Deliverable &d = frame::deliverable();
    if (d.release_resources) d.release_resources();
}
