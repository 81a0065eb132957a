// A hash index of a table's keys, built once per load, that finds the first
// record of a key in load order without scanning the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace navdata {

class KeyIndex {
public:
    // Width of the key field at the start of every record.
    static constexpr size_t kKeyWidth = 10;
    // Hash of a key field (the key and zeros up to kKeyWidth bytes), given
    // as its first eight bytes and its last two, little-endian.
    static uint32_t hash(uint64_t head, uint16_t tail) {
        // Keys of a table often differ only in their last characters, the top
        // bytes of `head`: the finaliser spreads every bit over the result.
        uint64_t h = head + tail * 0x9E3779B97F4A7C15ull;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        h *= 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 33;
        return uint32_t(h);
    }

    // Empties the index and makes room for `count` records of `stride` bytes
    // at `records`, each beginning with its key field; the records must stay put.
    void reset(const void *records, size_t stride, size_t count);
    // Adds records first .. first + n - 1, whose key hashes are `hashes`, in
    // load order: a key already held keeps its earlier record. They can be
    // found once `finish` has run.
    void add(uint32_t first, const uint32_t *hashes, size_t n);
    void finish();
    // Index of the first record with exactly this key, or -1.
    long find(const char *key) const;
    void clear();

private:
    // Slots come in groups of eight whose tags are tested as one word. A
    // slot's tag is 0 when it is empty, otherwise seven bits of the hash with
    // the top bit set; a record is only read when its tag matches.
    static constexpr size_t kGroup = 8;
    static uint8_t tag_of(uint32_t h) { return uint8_t(0x80 | (h >> 25)); }
    const char *key_at(uint32_t index) const { return records_ + size_t(index) * stride_; }
    // The slot of the first record with the key in `field`, or of the empty
    // slot where it would go (`found` tells which).
    size_t probe(const char *field, uint32_t h, bool &found) const;

    // Records waiting for `finish`, by the part of the table they go to, so
    // that each part is filled while it is in the cache.
    struct Pending {
        uint32_t hash;
        uint32_t index;
    };
    static constexpr int kGroupsPerPartShift = 9;
    void insert(uint32_t hash, uint32_t index);

    std::vector<std::vector<Pending>> pending_;
    size_t group_mask_ = 0;
    std::vector<uint8_t> tags_;
    std::unique_ptr<uint32_t[]> indices_;  // record of each tagged slot
    const char *records_ = nullptr;
    size_t stride_ = 0;
};

}  // namespace navdata
