#include "host/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace panelhost {

Memory::~Memory() {
    for (auto &[p, n] : live_) std::free(p);
}

void *Memory::alloc(size_t bytes) {
    if (fail_next > 0) {
        --fail_next;
        return nullptr;
    }
    if (bytes > limit) return nullptr;
    void *p = std::malloc(bytes ? bytes : 1);
    if (p == nullptr) return nullptr;
    std::memset(p, 0xCD, bytes);
    live_[p] = bytes;
    return p;
}

bool Memory::free(void *p) {
    if (p == nullptr) return true;
    auto it = live_.find(p);
    if (it == live_.end()) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "host_free of %p, which is not a live block (double free?)", p);
        faults_.emplace_back(buf);
        return false;
    }
    std::free(p);
    live_.erase(it);
    return true;
}

size_t Memory::live_bytes() const {
    size_t n = 0;
    for (auto &[p, bytes] : live_) n += bytes;
    return n;
}

}  // namespace panelhost
