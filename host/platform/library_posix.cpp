#include <dlfcn.h>

#include "host/platform/library.h"

namespace panelhost::platform {

Library::Library(const std::string &path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char *why = dlerror();
        error_ = why ? why : "unknown error";
    }
}

void *Library::symbol(const char *name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

void Library::close() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

}  // namespace panelhost::platform
