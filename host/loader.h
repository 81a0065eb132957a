// The loader's records: a loaded deliverable (Plugin) and an instance of its
// class (Instance). Each call into a plug-in goes through platform::enter()
// with the plug-in marked as the one calling; the Host (host/host.h) loads
// the libraries and makes the instances.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "host/definition.h"
#include "host/platform/library.h"
#include "host/surface.h"

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
    // Loads the library and finds the five exports; throws HostError naming
    // the file when it cannot.
    Plugin(Host &host, std::string path);
    // DLLGetSDKVersion, DLLInitPrivate with the table, DLLInit.
    void start(HostEntry *services, int32_t reference);

    // Calls a callback with this plug-in marked as the one calling.
    template <class Fn, class... A>
    auto call(Fn fn, A... args);

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

    friend class Instance;
};

// What one draw of a gauge showed: nothing, or its surface, either whole or
// with the pixels of a key colour left transparent. True when it showed the
// surface.
struct Presentation {
    bool presented = false;
    bool keyed = false;
    uint32_t key = 0;
    explicit operator bool() const { return presented; }
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
    // on_draw; what the plug-in presented of the surface.
    Presentation draw(Surface &s);
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

}  // namespace panelhost
