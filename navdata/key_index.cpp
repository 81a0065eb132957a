#include "navdata/key_index.h"

#include <cstring>

namespace navdata {
namespace {

// FNV-1a over the key's bytes; never 0 so that a hash alone marks nothing.
uint32_t hash_key(const char *key, size_t length) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        h ^= uint8_t(key[i]);
        h *= 16777619u;
    }
    return h;
}

}  // namespace

void KeyIndex::clear() {
    slots_.clear();
    records_ = nullptr;
    stride_ = 0;
    key_width_ = 0;
}

void KeyIndex::build(const void *records, size_t stride, size_t count, size_t key_width) {
    records_ = static_cast<const char *>(records);
    stride_ = stride;
    key_width_ = key_width;
    size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    slots_.assign(capacity, Slot{0, 0});
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < count; ++i) {
        const char *key = key_at(uint32_t(i));
        const size_t length = strnlen(key, key_width);
        const uint32_t h = hash_key(key, length);
        for (size_t s = h & mask;; s = (s + 1) & mask) {
            Slot &slot = slots_[s];
            if (slot.index_plus_one == 0) {
                slot = Slot{h, uint32_t(i + 1)};
                break;
            }
            // A later duplicate is never reached: the first record keeps the key.
            if (slot.hash == h && std::strncmp(key_at(slot.index_plus_one - 1), key, key_width) == 0) break;
        }
    }
}

long KeyIndex::find(const char *key) const {
    if (slots_.empty()) return -1;
    const size_t length = strnlen(key, key_width_);
    if (length == key_width_) return -1;  // longer than any key the table can hold
    const uint32_t h = hash_key(key, length);
    const size_t mask = slots_.size() - 1;
    for (size_t s = h & mask;; s = (s + 1) & mask) {
        const Slot &slot = slots_[s];
        if (slot.index_plus_one == 0) return -1;
        if (slot.hash == h && std::strncmp(key_at(slot.index_plus_one - 1), key, key_width_) == 0)
            return long(slot.index_plus_one - 1);
    }
}

}  // namespace navdata
