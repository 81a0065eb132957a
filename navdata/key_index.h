// A hash index of a table's keys, built once per load, that finds the first
// record of a key in load order without scanning the table.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // load order: a key already held keeps its earlier record.
    void add(uint32_t first, const uint32_t *hashes, size_t n);
    // Index of the first record with exactly this key, or -1.
    long find(const char *key) const;
    void clear();

private:
    // Open addressing with linear probing, at most half full. A slot holds
    // the record's index + 1 in the bits of `index_mask_` (0: empty) and the
    // key hash's bits above them, so that a record is only read when those
    // bits match.
    const char *key_at(uint32_t slot) const { return records_ + size_t((slot & index_mask_) - 1) * stride_; }
    uint32_t tag_of(uint32_t h) const { return h & ~index_mask_; }

    std::vector<uint32_t> slots_;
    size_t slot_mask_ = 0;
    uint32_t index_mask_ = 0;
    const char *records_ = nullptr;
    size_t stride_ = 0;
};

}  // namespace navdata
