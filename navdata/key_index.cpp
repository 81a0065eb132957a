#include "navdata/key_index.h"

#include <cstring>

namespace navdata {

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;

// A high bit in every byte of x that is zero; the lowest one is exact, those
// above it may be false.
uint64_t zero_bytes(uint64_t x) { return (x - kOnes) & ~x & kHighs; }

}  // namespace

void KeyIndex::clear() {
    tags_.clear();
    indices_.reset();
    for (auto &part : pending_) part.clear();
    group_mask_ = 0;
    records_ = nullptr;
    stride_ = 0;
}

void KeyIndex::reset(const void *records, size_t stride, size_t count) {
    clear();
    records_ = static_cast<const char *>(records);
    stride_ = stride;
    size_t capacity = 2 * kGroup;
    while (capacity < 2 * count) capacity *= 2;
    group_mask_ = capacity / kGroup - 1;
    tags_.assign(capacity, 0);
    indices_ = std::make_unique_for_overwrite<uint32_t[]>(capacity);
    pending_.resize(((group_mask_ + 1) >> kGroupsPerPartShift) + 1);
}

// Groups are filled in probe order and never emptied, so the first group with
// an empty slot ends every search.
size_t KeyIndex::probe(const char *field, uint32_t h, bool &found) const {
    const uint8_t tag = tag_of(h);
    for (size_t g = h & group_mask_;; g = (g + 1) & group_mask_) {
        const size_t base = g * kGroup;
        uint64_t word;
        std::memcpy(&word, &tags_[base], sizeof word);
        for (uint64_t m = zero_bytes(word ^ (kOnes * tag)); m != 0; m &= m - 1) {
            const size_t s = base + size_t(__builtin_ctzll(m)) / 8;
            if (tags_[s] == tag && std::memcmp(key_at(indices_[s]), field, kKeyWidth) == 0) {
                found = true;
                return s;
            }
        }
        if (const uint64_t empty = zero_bytes(word)) {
            found = false;
            return base + size_t(__builtin_ctzll(empty)) / 8;
        }
    }
}

void KeyIndex::add(uint32_t first, const uint32_t *hashes, size_t n) {
    for (size_t i = 0; i < n; ++i)
        pending_[(hashes[i] & group_mask_) >> kGroupsPerPartShift].push_back(Pending{hashes[i], first + uint32_t(i)});
}

// Each part keeps load order, and equal keys share a part, so the first
// record of a key is inserted first.
void KeyIndex::finish() {
    for (auto &part : pending_) {
        for (const Pending &p : part) insert(p.hash, p.index);
        part.clear();
    }
}

void KeyIndex::insert(uint32_t hash, uint32_t index) {
    bool found;
    const size_t s = probe(key_at(index), hash, found);
    // A later duplicate is never reached: the first record keeps the key.
    if (found) return;
    tags_[s] = tag_of(hash);
    indices_[s] = index;
}

long KeyIndex::find(const char *key) const {
    if (tags_.empty()) return -1;
    // A key that does not fit the field is in no table.
    const size_t length = strnlen(key, kKeyWidth);
    if (length == kKeyWidth) return -1;
    char field[kKeyWidth] = {};
    std::memcpy(field, key, length);
    uint64_t head;
    uint16_t tail;
    std::memcpy(&head, field, 8);
    std::memcpy(&tail, field + 8, 2);
    bool found;
    const size_t s = probe(field, hash(head, tail), found);
    return found ? long(indices_[s]) : -1;
}

}  // namespace navdata
