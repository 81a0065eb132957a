// Speed of the pixel primitives. The clear and the full-surface fill are
// measured next to memset of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "render/primitives.h"

namespace {

struct Surface {
    std::vector<uint32_t> words;
    DrawSurface s;
    Surface(int width, int height, int pitch)
        : words(size_t(pitch) * height), s{words.data(), width, height, pitch} {}
    size_t bytes() const { return words.size() * sizeof(uint32_t); }
};

// The display's own size, and one big enough to leave the caches.
void surface_sizes(benchmark::internal::Benchmark *b) {
    b->Args({206, 330})->Args({2048, 2048});
}

void BM_Memset(benchmark::State &state) {
    Surface t(int(state.range(0)), int(state.range(1)), int(state.range(0)));
    for (auto _ : state) {
        std::memset(t.words.data(), 0, t.bytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.bytes()));
}
BENCHMARK(BM_Memset)->Apply(surface_sizes);

void BM_SurfaceClear(benchmark::State &state) {
    Surface t(int(state.range(0)), int(state.range(1)), int(state.range(0)));
    for (auto _ : state) {
        render::surface_clear(&t.s);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.bytes()));
}
BENCHMARK(BM_SurfaceClear)->Apply(surface_sizes);

void BM_MemsetNonZero(benchmark::State &state) {
    Surface t(int(state.range(0)), int(state.range(1)), int(state.range(0)));
    for (auto _ : state) {
        std::memset(t.words.data(), 0x0A, t.bytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.bytes()));
}
BENCHMARK(BM_MemsetNonZero)->Apply(surface_sizes);

void BM_FillRectFullSurface(benchmark::State &state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    Surface t(w, h, w);
    const uint32_t near_black = render::rgb(10, 10, 10);
    for (auto _ : state) {
        render::fill_rect(&t.s, 0, 0, w, h, near_black);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.bytes()));
}
BENCHMARK(BM_FillRectFullSurface)->Apply(surface_sizes);

// Rows that are not adjacent in memory: the same fill, one run per row.
void BM_FillRectPaddedSurface(benchmark::State &state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    Surface t(w, h, w + 8);
    for (auto _ : state) {
        render::fill_rect(&t.s, 0, 0, w, h, render::rgb(10, 10, 10));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * int64_t(sizeof(uint32_t)));
}
BENCHMARK(BM_FillRectPaddedSurface)->Apply(surface_sizes);

void BM_Line160(benchmark::State &state) {
    Surface t(206, 330, 206);
    for (auto _ : state) {
        render::draw_line(&t.s, 20, 100, 179, 140, 0x00FFFF00);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Line160);

void BM_Circle120(benchmark::State &state) {
    Surface t(206, 330, 206);
    for (auto _ : state) {
        render::draw_circle(&t.s, 103, 232, 120, 0x007F7F7F);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Circle120);

}  // namespace
