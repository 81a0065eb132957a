// A surface for the tests: pitch wider than width, padding columns and guard
// words after the last row, all pre-filled with a sentinel so that any write
// outside the visible pixels shows.
#pragma once

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "frame/abi.h"

namespace render_test {

using PixelSet = std::set<std::pair<int, int>>;

class TestSurface {
public:
    static constexpr uint32_t kSentinel = 0xDEADBEEF;
    static constexpr int kGuardWords = 64;

    TestSurface(int width, int height, int pitch)
        : words_(size_t(pitch) * height + kGuardWords, kSentinel),
          surface_{words_.data(), width, height, pitch} {}

    DrawSurface *get() { return &surface_; }
    uint32_t at(int x, int y) const { return words_[size_t(y) * surface_.pitch + x]; }

    // Visible pixels that no longer hold the sentinel.
    PixelSet written() const {
        PixelSet out;
        for (int y = 0; y < surface_.height; ++y)
            for (int x = 0; x < surface_.width; ++x)
                if (at(x, y) != kSentinel) out.insert({x, y});
        return out;
    }

    // True when every padding word and guard word still holds the sentinel.
    bool outside_untouched() const {
        for (int y = 0; y < surface_.height; ++y)
            for (int x = surface_.width; x < surface_.pitch; ++x)
                if (at(x, y) != kSentinel) return false;
        return guard_untouched();
    }

    bool guard_untouched() const {
        for (size_t i = size_t(surface_.pitch) * surface_.height; i < words_.size(); ++i)
            if (words_[i] != kSentinel) return false;
        return true;
    }

private:
    std::vector<uint32_t> words_;
    DrawSurface surface_;
};

}  // namespace render_test
