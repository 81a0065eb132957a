// Blocks handed to plug-ins by host_alloc, with leak and double-free checks.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace panelhost {

class Memory {
public:
    Memory() = default;
    Memory(const Memory &) = delete;
    Memory &operator=(const Memory &) = delete;
    ~Memory();

    // A fresh block filled with 0xCD, so that a plug-in relying on zeroed
    // memory it did not zero shows it. Requests above `limit` fail (null).
    void *alloc(size_t bytes);
    // False (and an entry in faults()) for a pointer that is not live:
    // never allocated here, or freed already. Freeing null is allowed.
    bool free(void *p);

    size_t live_count() const { return live_.size(); }
    size_t live_bytes() const;
    const std::vector<std::string> &faults() const { return faults_; }

    size_t limit = size_t(64) << 20;
    // When set, the next allocations fail (for tests of a failing host).
    int fail_next = 0;

private:
    std::unordered_map<void *, size_t> live_;
    std::vector<std::string> faults_;
};

}  // namespace panelhost
