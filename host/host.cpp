#include "host/host.h"

#include <algorithm>

#include "host/platform/entry.h"
#include "host/services.h"

namespace panelhost {
namespace {

Host *g_current = nullptr;

}  // namespace

Host::Host(HostOptions options)
    : resources_(std::move(options.root), std::move(options.assets), world_, problems_) {
    if (g_current != nullptr) throw HostError("only one host may be active at a time");
    fill_services(services_);
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
    plugins_.push_back(std::unique_ptr<Plugin>(new Plugin(*this, path)));
    Plugin &plugin = *plugins_.back();
    plugin.start(services_.data(), int32_t(1000 + plugins_.size()));
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

void Host::read_object(void *object, const StreamRecord *r) {
    const Definition *def = resources_.stream(r);
    if (def == nullptr || calling_ == nullptr) {
        problems_.push_back("host_stream_read_object on a stream that is not open");
        return;
    }
    read_tags(*calling_, object, *def, nullptr);
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

void Host::present(DrawSurface *s, bool keyed, uint32_t colour) {
    if (presenting_) *presenting_ = Presenting{s, keyed, colour};
}

}  // namespace panelhost
