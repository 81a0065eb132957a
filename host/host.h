// The project's host: loads plug-ins as the simulator does (host/loader.h),
// hands them the services table (host/services.h) and keeps what the
// services work on: the call log, the memory, the message bus, the world and
// the resources (host/resources.h).
//
// One Host is active at a time: the services are plain C functions, so they
// reach the host through Host::current().
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "assetcodecs/assets.h"
#include "host/definition.h"
#include "host/geo.h"
#include "host/host_error.h"
#include "host/loader.h"
#include "host/log.h"
#include "host/memory.h"
#include "host/message_bus.h"
#include "host/resources.h"
#include "host/world.h"

namespace panelhost {

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
    Resources &resources() { return resources_; }
    const Resources &resources() const { return resources_; }
    // The bearing service's trigonometry of the last starting point.
    LatitudeTrig &bearing_origin() { return bearing_origin_; }
    assetcodecs::AssetLibrary &assets() { return resources_.assets(); }

    // Problems the host noticed: bad definition values, foreign list
    // releases, unknown records. Tests expect it empty.
    std::vector<std::string> &problems() { return problems_; }

    // State the services report.
    float frame_seconds = 1.0f / 30.0f;
    int32_t sim_state = 0;
    bool input_enabled = true;

    // Advances the host's clock: sounds run out.
    void advance(double seconds) { resources_.advance(seconds); }

    // The plug-in being called now (for services that call back into it).
    Plugin *calling() { return calling_; }

    // --- the loader's share of the services (host/services.cpp) ---
    void **create_instance(int32_t reference);
    void register_class(void *registry, uint32_t kind, uint32_t cls);
    // Feeds the tags of an open stream to the calling plug-in's on_read_tag.
    void read_object(void *object, const StreamRecord *r);
    // The tag being read through a stream handle; null (and a problem) for
    // a handle that is not one being read now.
    TagCursor *cursor(void *stream);
    // A present service within a draw (Instance::draw).
    void present(DrawSurface *s, bool keyed, uint32_t colour);

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
    friend class Instance;
    // The last present call of the draw under way.
    struct Presenting {
        const DrawSurface *surface = nullptr;
        bool keyed = false;
        uint32_t key = 0;
    };

    void read_tags(Plugin &p, void *object, const Definition &def, std::vector<uint32_t> *refused);

    std::array<HostEntry, kServiceCount> services_{};
    LatitudeTrig bearing_origin_;
    CallLog log_;
    Memory memory_;
    MessageBus bus_;
    World world_;
    std::vector<std::string> problems_;
    Resources resources_;
    std::vector<std::unique_ptr<Plugin>> plugins_;
    std::vector<std::unique_ptr<Instance>> instances_;
    std::deque<void *> words_;
    std::set<const void *> live_cursors_;  // streams being read now
    Plugin *calling_ = nullptr;
    Presenting *presenting_ = nullptr;
};

}  // namespace panelhost
