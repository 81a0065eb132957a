// The project's host: loads plug-ins as the simulator does, implements the
// services table, and calls the plug-ins' callbacks.
//
// One Host is active at a time: the services are plain C functions, so they
// reach the host through Host::current().
#pragma once

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "assetcodecs/assets.h"
#include "host/definition.h"
#include "host/geo.h"
#include "host/host_error.h"
#include "host/log.h"
#include "host/memory.h"
#include "host/message_bus.h"
#include "host/platform/library.h"
#include "host/surface.h"
#include "host/world.h"

namespace panelhost {

class Host;

// A loaded deliverable.
class Plugin {
public:
    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;
    ~Plugin();

    const std::string &path() const { return path_; }
    const PluginInfo &info() const { return info_; }
    int32_t sdk_version() const { return sdk_version_; }
    int32_t reference() const { return reference_; }
    int32_t init_private_result() const { return init_private_result_; }
    int32_t init_result() const { return init_result_; }
    int32_t reference_number() const;  // DLLGetReferenceNumber, asked now

    // The class registered by DLLInit, if any.
    bool has_class() const { return registered_; }
    uint32_t kind() const { return kind_; }
    uint32_t cls() const { return cls_; }
    void *registry() { return &registry_; }

    // The callback at a table position: null when the plug-in left it.
    void *slot(int position) const;
    // Positions the plug-in wrote in DLLInit, in ascending order.
    std::vector<int> written_slots() const;

    // Module-wide callbacks; each does nothing when its slot is empty.
    void global_start();
    void global_stop();
    void time_slice(float seconds);
    void key(int32_t key, int32_t modifiers);
    // Reads tags for an object that is not an instance (partanim's file).
    int32_t read_tag(void *object, void *stream, uint32_t tag);

    // DLLKill, once; the library stays mapped until the Plugin goes.
    void kill();
    bool killed() const { return killed_; }

private:
    friend class Host;
    friend class Instance;
    Plugin(Host &host, std::string path) : host_(host), path_(std::move(path)) {}

    struct Registry {
        Plugin *plugin;
    };

    Host &host_;
    std::string path_;
    platform::Library library_;
    DLLGetSDKVersionFn get_sdk_version_ = nullptr;
    DLLInitPrivateFn init_private_ = nullptr;
    DLLGetReferenceNumberFn get_reference_ = nullptr;
    DLLInitFn init_ = nullptr;
    DLLKillFn kill_ = nullptr;
    std::array<void *, 32> callbacks_{};
    PluginInfo info_{};
    Registry registry_{this};
    int32_t sdk_version_ = 0, reference_ = 0, init_private_result_ = 0, init_result_ = 0;
    bool registered_ = false, killed_ = false;
    uint32_t kind_ = 0, cls_ = 0;
};

// An instance of a plug-in's class.
class Instance {
public:
    Plugin &plugin() { return plugin_; }
    InstanceHandle handle() { return word_; }
    void *block() const { return *word_; }
    template <class T>
    T *block_as() const { return static_cast<T *>(*word_); }

    void init();
    // Feeds every tag of a definition to on_read_tag; returns the tags the
    // plug-in did not take.
    std::vector<uint32_t> read_definition(const Definition &def);
    void prepare();
    // on_draw; true when the plug-in presented the surface.
    bool draw(Surface &s);
    int32_t mouse(Surface &s, int32_t x, int32_t y, uint32_t buttons);
    int32_t update();
    void destroy();
    bool destroyed() const { return destroyed_; }

private:
    friend class Host;
    Instance(Plugin &p, InstanceHandle word) : plugin_(p), word_(word) {}
    Plugin &plugin_;
    InstanceHandle word_;
    bool destroyed_ = false;
};

struct WindowRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const WindowRect &) const = default;
};

struct Sound {
    std::string file;
    double remaining = 0;  // seconds of play left
    float volume = 1.0f;
    bool playing = false;
};

struct HostOptions {
    std::string root = ".";  // the working folder: files the host resolves by name
    std::shared_ptr<assetcodecs::AssetLibrary> assets = std::make_shared<assetcodecs::EmptyAssetLibrary>();
};

class Host {
public:
    explicit Host(HostOptions options = {});
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;
    ~Host();

    static Host &current();

    // Loads the library, then DLLGetSDKVersion, DLLInitPrivate, DLLInit. Throws
    // HostError naming the file when it cannot be loaded.
    Plugin &load(const std::string &path);
    const std::vector<std::unique_ptr<Plugin>> &plugins() const { return plugins_; }

    // on_instantiate with the plug-in's registered codes (or those given).
    // Null when the plug-in made no instance.
    Instance *instantiate(Plugin &p);
    Instance *instantiate(Plugin &p, uint32_t kind, uint32_t cls);

    // The table handed to DLLInitPrivate.
    HostEntry *services() { return services_.data(); }

    CallLog &log() { return log_; }
    Memory &memory() { return memory_; }
    MessageBus &bus() { return bus_; }
    World &world() { return world_; }
    // The bearing service's trigonometry of the last starting point.
    LatitudeTrig &bearing_origin() { return bearing_origin_; }
    assetcodecs::AssetLibrary &assets() { return *options_.assets; }
    const std::string &root() const { return options_.root; }
    // A plug-in's file name resolved against the root (backslashes become '/').
    std::string resolve(const char *name) const;

    // Problems the host noticed: bad definition values, foreign list
    // releases, unknown records. Tests expect it empty.
    std::vector<std::string> &problems() { return problems_; }

    // State the services report.
    float frame_seconds = 1.0f / 30.0f;
    int32_t sim_state = 0;
    bool input_enabled = true;
    std::map<int32_t, WindowRect> windows;
    std::map<int32_t, Sound> &sounds() { return sounds_; }
    double sound_seconds = 1.0;  // how long a started sound plays

    // Advances the host's clock: sounds run out.
    void advance(double seconds);

    // The plug-in being called now (for services that call back into it).
    Plugin *calling() { return calling_; }

    // --- the services, called from the C entry points (services.cpp) ---
    void **create_instance(int32_t reference);
    void register_class(void *registry, uint32_t kind, uint32_t cls);
    int32_t font_load(FontRecord *f);
    void font_free(FontRecord *f);
    void font_draw(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text,
                   bool label);
    int32_t bitmap_load(BitmapRecord *b);
    void bitmap_free(BitmapRecord *b);
    void bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame);
    int32_t stream_open(StreamRecord *r);
    void stream_close(StreamRecord *r);
    void stream_read_object(void *object, StreamRecord *r);
    TagCursor *cursor(void *stream);
    int32_t sound_play(const char *file);
    void sound_stop(int32_t sound);
    int32_t sound_is_playing(int32_t sound);
    void sound_set_volume(int32_t sound, float volume);
    void *make_list(int kind);
    bool free_list(int kind, void *head);
    int32_t traffic_list(void **list);
    void present(DrawSurface *s, bool keyed, uint32_t colour);

    // What the last draw presented.
    struct Presented {
        const DrawSurface *surface = nullptr;
        bool keyed = false;
        uint32_t key = 0;
        int count = 0;
    };
    Presented &presented() { return presented_; }

    // Lists handed out and not yet released, by list entry number.
    size_t outstanding_lists() const;

    // Runs a call into a plug-in with it marked as the one calling.
    class Calling {
    public:
        Calling(Host &h, Plugin &p) : host_(h), saved_(h.calling_) { h.calling_ = &p; }
        ~Calling() { host_.calling_ = saved_; }
        Calling(const Calling &) = delete;
        Calling &operator=(const Calling &) = delete;

    private:
        Host &host_;
        Plugin *saved_;
    };

private:
    struct LoadedFont {
        std::string name;
        std::shared_ptr<const assetcodecs::FontAsset> asset;
    };
    struct LoadedBitmap {
        std::string name;
        std::shared_ptr<const assetcodecs::BitmapAsset> asset;
    };
    struct OpenStream {
        Definition definition;
    };
    struct HandedList {
        int kind;
        std::vector<std::unique_ptr<uint8_t[]>> nodes;
    };

    HostOptions options_;
    std::array<HostEntry, kServiceCount> services_{};
    LatitudeTrig bearing_origin_;
    CallLog log_;
    Memory memory_;
    MessageBus bus_;
    World world_;
    std::vector<std::string> problems_;
    std::vector<std::unique_ptr<Plugin>> plugins_;
    std::vector<std::unique_ptr<Instance>> instances_;
    std::deque<void *> words_;
    std::map<const FontRecord *, LoadedFont> fonts_;
    std::map<const BitmapRecord *, LoadedBitmap> bitmaps_;
    std::map<const StreamRecord *, OpenStream> streams_;
    std::set<const void *> live_cursors_;  // streams being read now
    friend class Instance;
    friend class Plugin;
    void read_tags(Plugin &p, void *object, const Definition &def, std::vector<uint32_t> *refused);
    std::map<void *, HandedList> lists_;
    std::map<int32_t, Sound> sounds_;
    int32_t next_sound_ = 1;
    Plugin *calling_ = nullptr;
    Presented presented_;
};

}  // namespace panelhost
