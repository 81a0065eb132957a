// A hash index of a table's keys, built once per load, that finds the first
// record of a key in load order without scanning the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace navdata {

class KeyIndex {
public:
    // Indexes `count` records of `stride` bytes from `records`; each record
    // begins with its zero-terminated key of at most `key_width` bytes.
    void build(const void *records, size_t stride, size_t count, size_t key_width);
    // Index of the first record with exactly this key, or -1.
    long find(const char *key) const;
    void clear();

private:
    struct Slot {
        uint32_t hash;
        uint32_t index_plus_one;  // 0: empty
    };
    const char *key_at(uint32_t index) const { return records_ + size_t(index) * stride_; }

    std::vector<Slot> slots_;
    const char *records_ = nullptr;
    size_t stride_ = 0;
    size_t key_width_ = 0;
};

}  // namespace navdata
