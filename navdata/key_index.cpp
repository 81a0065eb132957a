#include "navdata/key_index.h"

#include <cstring>

namespace navdata {

void KeyIndex::clear() {
    slots_.clear();
    slot_mask_ = 0;
    index_mask_ = 0;
    records_ = nullptr;
    stride_ = 0;
}

void KeyIndex::reset(const void *records, size_t stride, size_t count) {
    clear();
    records_ = static_cast<const char *>(records);
    stride_ = stride;
    size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    slots_.assign(capacity, 0);
    slot_mask_ = capacity - 1;
    // Index + 1 of every record fits; a table holds fewer than 2^31 records.
    uint32_t bits = 1;
    while (bits < 32 && (uint64_t(1) << bits) <= count) ++bits;
    index_mask_ = uint32_t((uint64_t(1) << bits) - 1);
}

void KeyIndex::add(uint32_t first, const uint32_t *hashes, size_t n) {
    // The table is larger than the caches: the slots of the records a little
    // ahead are fetched while this one is inserted.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < n && i < kAhead; ++i) __builtin_prefetch(&slots_[hashes[i] & slot_mask_], 1);
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(&slots_[hashes[i + kAhead] & slot_mask_], 1);
        const uint32_t h = hashes[i], tag = tag_of(h), index = first + uint32_t(i);
        const char *key = records_ + size_t(index) * stride_;
        for (size_t s = h & slot_mask_;; s = (s + 1) & slot_mask_) {
            const uint32_t slot = slots_[s];
            if (slot == 0) {
                slots_[s] = tag | (index + 1);
                break;
            }
            // A later duplicate is never reached: the first record keeps the key.
            if ((slot & ~index_mask_) == tag && std::memcmp(key_at(slot), key, kKeyWidth) == 0) break;
        }
    }
}

long KeyIndex::find(const char *key) const {
    if (slots_.empty()) return -1;
    // A key that does not fit the field is in no table.
    const size_t length = strnlen(key, kKeyWidth);
    if (length == kKeyWidth) return -1;
    char field[kKeyWidth] = {};
    std::memcpy(field, key, length);
    uint64_t head;
    uint16_t tail;
    std::memcpy(&head, field, 8);
    std::memcpy(&tail, field + 8, 2);
    const uint32_t h = hash(head, tail), tag = tag_of(h);
    // Slots are never emptied, so the first empty one ends the search.
    for (size_t s = h & slot_mask_;; s = (s + 1) & slot_mask_) {
        const uint32_t slot = slots_[s];
        if (slot == 0) return -1;
        if ((slot & ~index_mask_) == tag && std::memcmp(key_at(slot), field, kKeyWidth) == 0)
            return long((slot & index_mask_) - 1);
    }
}

}  // namespace navdata
