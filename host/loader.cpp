#include "host/loader.h"

#include <cstring>

#include "host/host.h"
#include "host/host_error.h"
#include "host/platform/entry.h"

namespace panelhost {
namespace {

// Callback slots start with this value, so that the host can tell which
// positions a plug-in wrote.
void *const kUntouchedSlot = reinterpret_cast<void *>(uintptr_t(0x5107));

template <class Fn>
Fn resolve_export(const platform::Library &library, const char *name, const std::string &path) {
    void *sym = library.symbol(name);
    if (sym == nullptr) throw HostError(path + ": does not export " + name);
    return reinterpret_cast<Fn>(sym);
}

}  // namespace

template <class Fn, class... A>
auto Plugin::call(Fn fn, A... args) {
    Host::Calling c(host_, *this);
    return platform::enter(fn, args...);
}

// ---------------------------------------------------------------- Plugin

Plugin::Plugin(Host &host, std::string path) : host_(host), path_(std::move(path)), library_(path_) {
    if (!library_) throw HostError(path_ + ": cannot load: " + library_.error());
    get_sdk_version_ = resolve_export<DLLGetSDKVersionFn>(library_, "DLLGetSDKVersion", path_);
    init_private_ = resolve_export<DLLInitPrivateFn>(library_, "DLLInitPrivate", path_);
    get_reference_ = resolve_export<DLLGetReferenceNumberFn>(library_, "DLLGetReferenceNumber", path_);
    init_ = resolve_export<DLLInitFn>(library_, "DLLInit", path_);
    kill_ = resolve_export<DLLKillFn>(library_, "DLLKill", path_);
}

Plugin::~Plugin() = default;

void Plugin::start(HostEntry *services, int32_t reference) {
    Host::Calling c(host_, *this);
    sdk_version_ = platform::enter(get_sdk_version_);
    reference_ = reference;
    init_private_result_ = platform::enter(init_private_, services, reference_);
    callbacks_.fill(kUntouchedSlot);
    std::memset(&info_, 0xAB, sizeof info_);  // shows bytes a plug-in did not write
    init_result_ = platform::enter(init_, callbacks_.data(), &info_, registry());
}

int32_t Plugin::reference_number() const { return get_reference_ ? platform::enter(get_reference_) : 0; }

void *Plugin::slot(int position) const {
    if (position < 0 || size_t(position) >= callbacks_.size()) return nullptr;
    void *p = callbacks_[size_t(position)];
    return p == kUntouchedSlot ? nullptr : p;
}

std::vector<int> Plugin::written_slots() const {
    std::vector<int> out;
    for (size_t i = 0; i < callbacks_.size(); ++i)
        if (callbacks_[i] != kUntouchedSlot) out.push_back(int(i));
    return out;
}

void Plugin::global_start() {
    if (auto fn = reinterpret_cast<OnGlobalStart>(slot(kSlotGlobalStart))) call(fn);
}

void Plugin::global_stop() {
    if (auto fn = reinterpret_cast<OnGlobalStop>(slot(kSlotGlobalStop))) call(fn);
}

void Plugin::time_slice(float seconds) {
    if (auto fn = reinterpret_cast<OnTimeSlice>(slot(kSlotTimeSlice))) call(fn, seconds);
}

void Plugin::key(int32_t key, int32_t modifiers) {
    if (auto fn = reinterpret_cast<OnKey>(slot(kSlotKey))) call(fn, key, modifiers);
}

int32_t Plugin::read_tag(void *object, void *stream, uint32_t tag) {
    auto fn = reinterpret_cast<OnReadTag>(slot(kSlotReadTag));
    return fn ? call(fn, static_cast<InstanceHandle>(object), stream, tag) : 0;
}

void Plugin::kill() {
    if (killed_ || !kill_) return;
    killed_ = true;
    call(kill_);
}

// ---------------------------------------------------------------- Instance

void Instance::init() {
    if (auto fn = reinterpret_cast<OnInstanceInit>(plugin_.slot(kSlotInstanceInit))) plugin_.call(fn, word_);
}

std::vector<uint32_t> Instance::read_definition(const Definition &def) {
    std::vector<uint32_t> refused;
    plugin_.host_.read_tags(plugin_, word_, def, &refused);
    return refused;
}

void Instance::prepare() {
    if (auto fn = reinterpret_cast<OnPrepare>(plugin_.slot(kSlotPrepare))) plugin_.call(fn, word_);
}

Presentation Instance::draw(Surface &s) {
    auto fn = reinterpret_cast<OnDraw>(plugin_.slot(kSlotDraw));
    if (!fn) return {};
    Host &h = plugin_.host_;
    // The present services of this draw write here; the last call counts.
    Host::Presenting last;
    Host::Presenting *outer = h.presenting_;
    h.presenting_ = &last;
    plugin_.call(fn, word_, s.raw());
    h.presenting_ = outer;
    if (last.surface == nullptr || last.surface != s.raw()) return {};
    return Presentation{true, last.keyed, last.key};
}

int32_t Instance::mouse(Surface &s, int32_t x, int32_t y, uint32_t buttons) {
    auto fn = reinterpret_cast<OnMouse>(plugin_.slot(kSlotMouse));
    return fn ? plugin_.call(fn, word_, s.raw(), x, y, buttons) : 0;
}

int32_t Instance::update() {
    auto fn = reinterpret_cast<OnUpdate>(plugin_.slot(kSlotUpdate));
    return fn ? plugin_.call(fn, word_) : 0;
}

void Instance::destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (auto fn = reinterpret_cast<OnDestroy>(plugin_.slot(kSlotDestroy))) plugin_.call(fn, word_);
}

}  // namespace panelhost
