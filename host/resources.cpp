#include "host/resources.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace panelhost {
namespace {

// A name of a plug-in's record: at most the record's 64 bytes.
std::string record_name(const char *name) { return std::string(name, strnlen(name, 64)); }

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

Resources::Resources(std::string root, std::shared_ptr<assetcodecs::AssetLibrary> assets, World &world,
                     std::vector<std::string> &problems)
    : root_(std::move(root)), assets_(std::move(assets)), world_(world), problems_(problems) {
    if (!assets_) assets_ = std::make_shared<assetcodecs::EmptyAssetLibrary>();
    windows[6] = WindowRect{0, 0, 640, 480};
}

Resources::~Resources() = default;

std::string Resources::resolve(const char *name) const {
    std::string rel(name, strnlen(name, 4096));
    std::replace(rel.begin(), rel.end(), '\\', '/');
    if (!rel.empty() && rel.front() == '/') return rel;
    return root_ + "/" + rel;
}

bool Resources::is_regular_file(const char *name) const {
    std::error_code ec;
    return name != nullptr && std::filesystem::is_regular_file(resolve(name), ec);
}

// ---------------------------------------------------------------- fonts, pictures

int32_t Resources::font_load(FontRecord *f) {
    if (f == nullptr) return 0;
    LoadedFont font{record_name(f->name), assets_->font(record_name(f->name))};
    bool ok = font.asset != nullptr;
    fonts_[f] = std::move(font);
    return ok ? 1 : 0;
}

void Resources::font_free(FontRecord *f) {
    if (fonts_.erase(f) == 0) problems_.push_back("host_font_free of a font record that is not loaded");
}

void Resources::font_draw(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text,
                          bool label) {
    auto it = fonts_.find(f);
    if (it == fonts_.end()) {
        problems_.push_back("text drawn with a font record that was never loaded");
        return;
    }
    if (s && text && it->second.asset) it->second.asset->draw(*s, x, y, colour, text, label);
}

int32_t Resources::bitmap_load(BitmapRecord *b) {
    if (b == nullptr) return 0;
    LoadedBitmap bmp{record_name(b->name), assets_->bitmap(record_name(b->name))};
    bool ok = bmp.asset != nullptr;
    bitmaps_[b] = std::move(bmp);
    return ok ? 1 : 0;
}

void Resources::bitmap_free(BitmapRecord *b) {
    if (bitmaps_.erase(b) == 0) problems_.push_back("host_bitmap_free of a bitmap record that is not loaded");
}

void Resources::bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame) {
    auto it = bitmaps_.find(b);
    if (it == bitmaps_.end()) {
        problems_.push_back("bitmap drawn from a record that was never loaded");
        return;
    }
    if (s && it->second.asset) it->second.asset->draw(*s, x, y, frame);
}

// ---------------------------------------------------------------- streams

int32_t Resources::stream_open(StreamRecord *r) {
    if (r == nullptr) return 0;
    const std::string name = record_name(r->name);
    if (!is_regular_file(name.c_str())) return 0;
    try {
        streams_[r] = load_definition(resolve(name.c_str()));
        return 1;
    } catch (const DefinitionError &e) {
        problems_.emplace_back(e.what());
        return 0;
    }
}

void Resources::stream_close(StreamRecord *r) {
    if (streams_.erase(r) == 0) problems_.push_back("host_stream_close of a stream that is not open");
}

const Definition *Resources::stream(const StreamRecord *r) const {
    auto it = streams_.find(r);
    return it == streams_.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- sounds

int32_t Resources::sound_play(const char *file) {
    if (file == nullptr) return 0;
    int32_t id = next_sound_++;
    sounds_[id] = Sound{record_name(file), sound_seconds, 1.0f, true};
    return id;
}

void Resources::sound_stop(int32_t sound) {
    auto it = sounds_.find(sound);
    if (it != sounds_.end()) it->second.playing = false;
}

int32_t Resources::sound_is_playing(int32_t sound) const {
    auto it = sounds_.find(sound);
    return it != sounds_.end() && it->second.playing ? 1 : 0;
}

void Resources::sound_set_volume(int32_t sound, float volume) {
    auto it = sounds_.find(sound);
    if (it != sounds_.end()) it->second.volume = volume;
}

void Resources::advance(double seconds) {
    for (auto &[id, s] : sounds_) {
        if (!s.playing) continue;
        s.remaining -= seconds;
        if (s.remaining <= 0) s.playing = false;
    }
}

// ---------------------------------------------------------------- lists

// Every list is linked records of a fixed layout (hostlist in frame/abi.h),
// zeroed but for their fields, with a pointer to the next at the record's
// "next" offset.
void *Resources::make_list(int kind, int32_t *count) {
    using namespace hostlist;
    // A due refresh of this nearby list is made now that it is asked for; the
    // others wait until they are asked for in turn.
    world_.settle_nearby(kind == kEntryGetAirportList  ? World::kAirportList
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
    switch (kind) {
    case kEntryGetAirportList:
        for (const NearbyAirport &a : world_.nearby_airports) {
            uint8_t *n = node(airport::kNext);
            put_text(n, airport::kShortId, a.short_id, airport::kCode - airport::kShortId);
            put_text(n, airport::kCode, a.code, 16);
            put(n, airport::kLatitude, a.latitude);
            put(n, airport::kLongitude, a.longitude);
        }
        break;
    case kEntryGetNavaidList:
        for (const NearbyNavaid &v : world_.nearby_navaids) {
            uint8_t *n = node(navaid::kNext);
            put_text(n, navaid::kId, v.id, navaid::kFlags - navaid::kId);
            put(n, navaid::kFlags, v.flags);
            put(n, navaid::kLatitude, v.latitude);
            put(n, navaid::kLongitude, v.longitude);
            put(n, navaid::kFrequency, v.frequency);
        }
        break;
    case kEntryGetPointList:
        for (const NearbyPoint &w : world_.nearby_points) {
            uint8_t *n = node(waypoint::kNext);
            put_text(n, waypoint::kId, w.id, waypoint::kFlags - waypoint::kId);
            put(n, waypoint::kFlags, w.flags);
            put(n, waypoint::kLatitude, w.latitude);
            put(n, waypoint::kLongitude, w.longitude);
        }
        break;
    case kEntryGetTrafficList:
        for (size_t index : world_.traffic()) put(node(traffic::kNext), traffic::kRef, world_.ref_of(index));
        break;
    }
    if (count) *count = int32_t(list.nodes.size());
    if (list.nodes.empty()) return nullptr;
    for (size_t i = 0; i + 1 < list.nodes.size(); ++i) {
        void *next = list.nodes[i + 1].get();
        std::memcpy(list.nodes[i].get() + next_offset, &next, sizeof next);
    }
    void *head = list.nodes.front().get();
    lists_[head] = std::move(list);
    return head;
}

bool Resources::free_list(int kind, void *head) {
    if (head == nullptr) return true;
    auto it = lists_.find(head);
    if (it == lists_.end() || it->second.kind != kind) {
        problems_.push_back("a list released that the host did not hand out (or released twice)");
        return false;
    }
    lists_.erase(it);
    return true;
}

// ---------------------------------------------------------------- models

int32_t Resources::load_model(SimObject *object, const char *path, uint32_t tag) {
    if (object == nullptr || !is_regular_file(path)) return 0;
    object->models[tag] = std::string(path, strnlen(path, 4096));
    return 1;
}

int32_t Resources::select_model(SimObject *object, uint32_t tag) {
    if (object == nullptr || object->models.count(tag) == 0) return 0;
    object->selected_model = tag;
    return 1;
}

}  // namespace panelhost
