#include "host/host.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/platform/entry.h"
#include "host/services.h"

namespace panelhost {
namespace {

Host *g_current = nullptr;

// Callback slots start with this value, so that the host can tell which
// positions a plug-in wrote.
void *const kUntouchedSlot = reinterpret_cast<void *>(uintptr_t(0x5107));

template <class Fn>
Fn resolve_export(const platform::Library &library, const char *name, const std::string &path) {
    void *sym = library.symbol(name);
    if (sym == nullptr) throw HostError(path + ": does not export " + name);
    return reinterpret_cast<Fn>(sym);
}

std::string record_name(const char *name) { return std::string(name, strnlen(name, 64)); }

}  // namespace

// ---------------------------------------------------------------- Plugin

Plugin::~Plugin() = default;

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
    if (auto fn = reinterpret_cast<OnGlobalStart>(slot(kSlotGlobalStart))) {
        Host::Calling c(host_, *this);
        platform::enter(fn);
    }
}

void Plugin::global_stop() {
    if (auto fn = reinterpret_cast<OnGlobalStop>(slot(kSlotGlobalStop))) {
        Host::Calling c(host_, *this);
        platform::enter(fn);
    }
}

void Plugin::time_slice(float seconds) {
    if (auto fn = reinterpret_cast<OnTimeSlice>(slot(kSlotTimeSlice))) {
        Host::Calling c(host_, *this);
        platform::enter(fn, seconds);
    }
}

void Plugin::key(int32_t key, int32_t modifiers) {
    if (auto fn = reinterpret_cast<OnKey>(slot(kSlotKey))) {
        Host::Calling c(host_, *this);
        platform::enter(fn, key, modifiers);
    }
}

int32_t Plugin::read_tag(void *object, void *stream, uint32_t tag) {
    auto fn = reinterpret_cast<OnReadTag>(slot(kSlotReadTag));
    if (!fn) return 0;
    Host::Calling c(host_, *this);
    return platform::enter(fn, static_cast<InstanceHandle>(object), stream, tag);
}

void Plugin::kill() {
    if (killed_ || !kill_) return;
    killed_ = true;
    Host::Calling c(host_, *this);
    platform::enter(kill_);
}

// ---------------------------------------------------------------- Instance

void Instance::init() {
    if (auto fn = reinterpret_cast<OnInstanceInit>(plugin_.slot(kSlotInstanceInit))) {
        Host::Calling c(plugin_.host_, plugin_);
        platform::enter(fn, word_);
    }
}

std::vector<uint32_t> Instance::read_definition(const Definition &def) {
    std::vector<uint32_t> refused;
    plugin_.host_.read_tags(plugin_, word_, def, &refused);
    return refused;
}

void Instance::prepare() {
    if (auto fn = reinterpret_cast<OnPrepare>(plugin_.slot(kSlotPrepare))) {
        Host::Calling c(plugin_.host_, plugin_);
        platform::enter(fn, word_);
    }
}

bool Instance::draw(Surface &s) {
    auto fn = reinterpret_cast<OnDraw>(plugin_.slot(kSlotDraw));
    if (!fn) return false;
    Host &h = plugin_.host_;
    h.presented_ = {};
    Host::Calling c(h, plugin_);
    platform::enter(fn, word_, s.raw());
    return h.presented_.count > 0 && h.presented_.surface == s.raw();
}

int32_t Instance::mouse(Surface &s, int32_t x, int32_t y, uint32_t buttons) {
    auto fn = reinterpret_cast<OnMouse>(plugin_.slot(kSlotMouse));
    if (!fn) return 0;
    Host::Calling c(plugin_.host_, plugin_);
    return platform::enter(fn, word_, s.raw(), x, y, buttons);
}

int32_t Instance::update() {
    auto fn = reinterpret_cast<OnUpdate>(plugin_.slot(kSlotUpdate));
    if (!fn) return 0;
    Host::Calling c(plugin_.host_, plugin_);
    return platform::enter(fn, word_);
}

void Instance::destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (auto fn = reinterpret_cast<OnDestroy>(plugin_.slot(kSlotDestroy))) {
        Host::Calling c(plugin_.host_, plugin_);
        platform::enter(fn, word_);
    }
}

// ---------------------------------------------------------------- Host

Host::Host(HostOptions options) : options_(std::move(options)) {
    if (g_current != nullptr) throw HostError("only one host may be active at a time");
    if (!options_.assets) options_.assets = std::make_shared<assetcodecs::EmptyAssetLibrary>();
    fill_services(services_);
    windows[6] = WindowRect{0, 0, 640, 480};
    g_current = this;
}

Host::~Host() {
    for (auto &p : plugins_) p->kill();
    // Instances and plug-ins go before the host's records they point into.
    instances_.clear();
    plugins_.clear();
    g_current = nullptr;
}

Host &Host::current() {
    if (g_current == nullptr) std::abort();  // a service called with no host: nothing sane to do
    return *g_current;
}

Plugin &Host::load(const std::string &path) {
    std::unique_ptr<Plugin> p(new Plugin(*this, path));
    p->library_ = platform::Library(path);
    if (!p->library_) throw HostError(path + ": cannot load: " + p->library_.error());
    p->get_sdk_version_ = resolve_export<DLLGetSDKVersionFn>(p->library_, "DLLGetSDKVersion", path);
    p->init_private_ = resolve_export<DLLInitPrivateFn>(p->library_, "DLLInitPrivate", path);
    p->get_reference_ = resolve_export<DLLGetReferenceNumberFn>(p->library_, "DLLGetReferenceNumber", path);
    p->init_ = resolve_export<DLLInitFn>(p->library_, "DLLInit", path);
    p->kill_ = resolve_export<DLLKillFn>(p->library_, "DLLKill", path);

    Plugin &plugin = *p;
    plugins_.push_back(std::move(p));
    Calling c(*this, plugin);
    plugin.sdk_version_ = platform::enter(plugin.get_sdk_version_);
    plugin.reference_ = int32_t(1000 + plugins_.size());
    plugin.init_private_result_ = platform::enter(plugin.init_private_, services_.data(), plugin.reference_);
    plugin.callbacks_.fill(kUntouchedSlot);
    std::memset(&plugin.info_, 0xAB, sizeof plugin.info_);  // shows bytes a plug-in did not write
    plugin.init_result_ = platform::enter(plugin.init_, plugin.callbacks_.data(), &plugin.info_, plugin.registry());
    return plugin;
}

Instance *Host::instantiate(Plugin &p) { return instantiate(p, p.kind(), p.cls()); }

Instance *Host::instantiate(Plugin &p, uint32_t kind, uint32_t cls) {
    auto fn = reinterpret_cast<OnInstantiate>(p.slot(kSlotInstantiate));
    if (!fn) return nullptr;
    InstanceHandle handle = nullptr;
    {
        Calling c(*this, p);
        platform::enter(fn, kind, cls, &handle);
    }
    if (handle == nullptr) return nullptr;
    auto it = std::find_if(words_.begin(), words_.end(), [&](void *&w) { return &w == handle; });
    if (it == words_.end()) {
        problems_.push_back(p.path() + ": on_instantiate returned a handle the host never made");
        return nullptr;
    }
    instances_.push_back(std::unique_ptr<Instance>(new Instance(p, handle)));
    return instances_.back().get();
}

std::string Host::resolve(const char *name) const {
    std::string rel(name, strnlen(name, 4096));
    std::replace(rel.begin(), rel.end(), '\\', '/');
    if (!rel.empty() && rel.front() == '/') return rel;
    return options_.root + "/" + rel;
}

void Host::advance(double seconds) {
    for (auto &[id, s] : sounds_) {
        if (!s.playing) continue;
        s.remaining -= seconds;
        if (s.remaining <= 0) s.playing = false;
    }
}

void **Host::create_instance(int32_t) {
    words_.push_back(nullptr);
    return &words_.back();
}

void Host::register_class(void *registry, uint32_t kind, uint32_t cls) {
    for (auto &p : plugins_) {
        if (p->registry() == registry) {
            p->registered_ = true;
            p->kind_ = kind;
            p->cls_ = cls;
            return;
        }
    }
    problems_.push_back("host_register_class with a registry handle the host never gave");
}

int32_t Host::font_load(FontRecord *f) {
    if (f == nullptr) return 0;
    LoadedFont font{record_name(f->name), options_.assets->font(record_name(f->name))};
    bool ok = font.asset != nullptr;
    fonts_[f] = std::move(font);
    return ok ? 1 : 0;
}

void Host::font_free(FontRecord *f) {
    if (fonts_.erase(f) == 0) problems_.push_back("host_font_free of a font record that is not loaded");
}

void Host::font_draw(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text,
                     bool label) {
    auto it = fonts_.find(f);
    if (it == fonts_.end()) {
        problems_.push_back("text drawn with a font record that was never loaded");
        return;
    }
    if (s && text && it->second.asset) it->second.asset->draw(*s, x, y, colour, text, label);
}

int32_t Host::bitmap_load(BitmapRecord *b) {
    if (b == nullptr) return 0;
    LoadedBitmap bmp{record_name(b->name), options_.assets->bitmap(record_name(b->name))};
    bool ok = bmp.asset != nullptr;
    bitmaps_[b] = std::move(bmp);
    return ok ? 1 : 0;
}

void Host::bitmap_free(BitmapRecord *b) {
    if (bitmaps_.erase(b) == 0) problems_.push_back("host_bitmap_free of a bitmap record that is not loaded");
}

void Host::bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame) {
    auto it = bitmaps_.find(b);
    if (it == bitmaps_.end()) {
        problems_.push_back("bitmap drawn from a record that was never loaded");
        return;
    }
    if (s && it->second.asset) it->second.asset->draw(*s, x, y, frame);
}

int32_t Host::stream_open(StreamRecord *r) {
    if (r == nullptr) return 0;
    try {
        streams_[r] = OpenStream{load_definition(resolve(r->name))};
        return 1;
    } catch (const DefinitionError &e) {
        // A missing file is an ordinary "not opened"; a malformed one is a
        // problem worth showing.
        struct stat st{};
        if (stat(resolve(r->name).c_str(), &st) == 0) problems_.emplace_back(e.what());
        return 0;
    }
}

void Host::stream_close(StreamRecord *r) {
    if (streams_.erase(r) == 0) problems_.push_back("host_stream_close of a stream that is not open");
}

void Host::stream_read_object(void *object, StreamRecord *r) {
    auto it = streams_.find(r);
    if (it == streams_.end() || calling_ == nullptr) {
        problems_.push_back("host_stream_read_object on a stream that is not open");
        return;
    }
    read_tags(*calling_, object, it->second.definition, nullptr);
}

void Host::read_tags(Plugin &p, void *object, const Definition &def, std::vector<uint32_t> *refused) {
    for (const Tag &tag : def.tags) {
        TagCursor cursor(def, tag, problems_);
        live_cursors_.insert(&cursor);
        int32_t taken = p.read_tag(object, &cursor, tag.code);
        live_cursors_.erase(&cursor);
        if (!taken && refused) refused->push_back(tag.code);
    }
}

TagCursor *Host::cursor(void *stream) {
    if (live_cursors_.count(stream) == 0) {
        problems_.push_back("a stream read outside on_read_tag, or with a foreign stream handle");
        return nullptr;
    }
    return static_cast<TagCursor *>(stream);
}

int32_t Host::sound_play(const char *file) {
    if (file == nullptr) return 0;
    int32_t id = next_sound_++;
    sounds_[id] = Sound{record_name(file), sound_seconds, 1.0f, true};
    return id;
}

void Host::sound_stop(int32_t sound) {
    auto it = sounds_.find(sound);
    if (it != sounds_.end()) it->second.playing = false;
}

int32_t Host::sound_is_playing(int32_t sound) {
    auto it = sounds_.find(sound);
    return it != sounds_.end() && it->second.playing ? 1 : 0;
}

void Host::sound_set_volume(int32_t sound, float volume) {
    auto it = sounds_.find(sound);
    if (it != sounds_.end()) it->second.volume = volume;
}

namespace {

void put_text(uint8_t *node, size_t offset, const std::string &s, size_t width) {
    size_t n = std::min(s.size(), width - 1);
    std::memcpy(node + offset, s.data(), n);
    node[offset + n] = 0;
}

template <class T>
void put(uint8_t *node, size_t offset, T v) {
    std::memcpy(node + offset, &v, sizeof v);
}

}  // namespace

// Builds one of the nearby lists as linked records; the "next" field is a
// pointer at the record's fixed offset.
void *Host::make_list(int kind) {
    using namespace hostlist;
    world_.settle_nearby(kind == kEntryGetAirportList ? World::kAirportList
                         : kind == kEntryGetNavaidList ? World::kNavaidList
                         : kind == kEntryGetPointList  ? World::kPointList
                                                       : 0u);
    HandedList list{kind, {}};
    size_t next_offset = 0;
    auto node = [&](size_t next) {
        next_offset = next;
        list.nodes.push_back(std::make_unique<uint8_t[]>(record_size(next)));
        std::memset(list.nodes.back().get(), 0, record_size(next));
        return list.nodes.back().get();
    };
    if (kind == kEntryGetAirportList) {
        for (const NearbyAirport &a : world_.nearby_airports) {
            uint8_t *n = node(airport::kNext);
            put_text(n, airport::kShortId, a.short_id, airport::kCode - airport::kShortId);
            put_text(n, airport::kCode, a.code, 16);
            put(n, airport::kLatitude, a.latitude);
            put(n, airport::kLongitude, a.longitude);
        }
    } else if (kind == kEntryGetNavaidList) {
        for (const NearbyNavaid &v : world_.nearby_navaids) {
            uint8_t *n = node(navaid::kNext);
            put_text(n, navaid::kId, v.id, navaid::kFlags - navaid::kId);
            put(n, navaid::kFlags, v.flags);
            put(n, navaid::kLatitude, v.latitude);
            put(n, navaid::kLongitude, v.longitude);
            put(n, navaid::kFrequency, v.frequency);
        }
    } else if (kind == kEntryGetPointList) {
        for (const NearbyPoint &w : world_.nearby_points) {
            uint8_t *n = node(waypoint::kNext);
            put_text(n, waypoint::kId, w.id, waypoint::kFlags - waypoint::kId);
            put(n, waypoint::kFlags, w.flags);
            put(n, waypoint::kLatitude, w.latitude);
            put(n, waypoint::kLongitude, w.longitude);
        }
    }
    if (list.nodes.empty()) return nullptr;
    for (size_t i = 0; i + 1 < list.nodes.size(); ++i) {
        void *next = list.nodes[i + 1].get();
        std::memcpy(list.nodes[i].get() + next_offset, &next, sizeof next);
    }
    void *head = list.nodes.front().get();
    lists_[head] = std::move(list);
    return head;
}

bool Host::free_list(int kind, void *head) {
    if (head == nullptr) return true;
    auto it = lists_.find(head);
    if (it == lists_.end() || it->second.kind != kind) {
        problems_.push_back("a list released that the host did not hand out (or released twice)");
        return false;
    }
    lists_.erase(it);
    return true;
}

int32_t Host::traffic_list(void **list) {
    using namespace hostlist;
    HandedList handed{kEntryGetTrafficList, {}};
    for (size_t index : world_.traffic()) {
        handed.nodes.push_back(std::make_unique<uint8_t[]>(record_size(traffic::kNext)));
        uint8_t *n = handed.nodes.back().get();
        std::memset(n, 0, record_size(traffic::kNext));
        put(n, traffic::kRef, world_.ref_of(index));
    }
    int32_t count = int32_t(handed.nodes.size());
    for (size_t i = 0; i + 1 < handed.nodes.size(); ++i) {
        void *next = handed.nodes[i + 1].get();
        std::memcpy(handed.nodes[i].get() + traffic::kNext, &next, sizeof next);
    }
    void *head = handed.nodes.empty() ? nullptr : handed.nodes.front().get();
    if (head) lists_[head] = std::move(handed);
    if (list) *list = head;
    return count;
}

size_t Host::outstanding_lists() const { return lists_.size(); }

void Host::present(DrawSurface *s, bool keyed, uint32_t colour) {
    presented_.surface = s;
    presented_.keyed = keyed;
    presented_.key = colour;
    ++presented_.count;
}

}  // namespace panelhost
