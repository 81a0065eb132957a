// What a deliverable tells the frame about itself. The frame's exports
// (exports.cpp) fill the host's records from it in the fixed order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "frame/abi.h"
#include "frame/host_api.h"

namespace frame {

struct Callback {
    int slot;
    void *fn;
};

template <class Fn>
constexpr Callback callback(int slot, Fn fn) {
    return Callback{slot, reinterpret_cast<void *>(fn)};
}

struct Deliverable {
    const char *name;
    const char *company;
    const char *author;
    const char *version;
    const char *contact;
    uint32_t kind;  // 0: no class is registered
    uint32_t cls;
    const Callback *callbacks;
    int callback_count;
    void (*load_resources)();     // DLLInit, after the records are filled
    void (*release_resources)();  // DLLKill
};

// Defined once by each deliverable.
const Deliverable &deliverable();

// Copies a file name into the start of a host record, cut to fit the field.
// A plain bounded copy: snprintf from a longer known-size buffer (the
// rocker's 128-byte name) trips the optimiser's truncation warning.
template <size_t N>
void set_record_name(char (&field)[N], const char *name) {
    size_t n = strnlen(name, N - 1);
    std::memcpy(field, name, n);
    field[n] = '\0';
}

// The block hung on an instance handle, or null.
template <class Block>
Block *block_of(InstanceHandle h) {
    return h ? static_cast<Block *>(*h) : nullptr;
}

// on_instantiate for the registered pair: host word, block, link. A failed
// host_create_instance or host_alloc leaves the handle as it was.
template <class Block>
Block *instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out, bool zero) {
    const Deliverable &d = deliverable();
    if (kind != d.kind || cls != d.cls || out == nullptr) return nullptr;
    void **word = host_create_instance(reference_number());
    if (word == nullptr) return nullptr;
    void *block = host_alloc(sizeof(Block));
    if (block == nullptr) return nullptr;
    if (zero) std::memset(block, 0, sizeof(Block));
    *word = block;
    *out = word;
    return static_cast<Block *>(block);
}

// on_destroy: frees the block and clears the host word so that a repeated
// destroy frees nothing twice. always_free keeps the deliverables that call
// host_free even for an empty word.
inline void destroy(InstanceHandle h, bool always_free) {
    if (h == nullptr) return;
    void *block = *h;
    if (block != nullptr || always_free) host_free(block);
    *h = nullptr;
}

}  // namespace frame
