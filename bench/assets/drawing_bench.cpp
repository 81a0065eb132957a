// What a frame of the display costs in pictures and text, and what loading
// the largest strip costs.
#include <benchmark/benchmark.h>

#include "assetcodecs/png_strip.h"
#include "assetcodecs/raster_bitmap.h"
#include "assetcodecs/raster_font.h"
#include "tools/assetgen/glyphs.h"
#include "tools/assetgen/pictures.h"

namespace {

struct Page {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(206 * 330, 0);
    DrawSurface surface{pixels.data(), 206, 330, 206};
};

void BM_RoseFrame(benchmark::State &state) {
    const assetcodecs::RasterBitmap rose(assetgen::rose_quarter(0));
    Page page;
    int frame = 0;
    for (auto _ : state) {
        rose.draw(page.surface, -26, 40, frame);
        frame = (frame + 1) % 90;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RoseFrame);

void BM_Bezel(benchmark::State &state) {
    const assetcodecs::RasterBitmap bezel(assetgen::bezel());
    Page page;
    for (auto _ : state) {
        bezel.draw(page.surface, 0, 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Bezel);

void BM_Text(benchmark::State &state) {
    const assetcodecs::RasterFont font(state.range(0) == 10 ? assetgen::font_10() : assetgen::font_5());
    Page page;
    for (auto _ : state) {
        font.draw(page.surface, 18, 250, 0x14FA00, "DIS : 0012.3", false);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 12);
}
BENCHMARK(BM_Text)->Arg(10)->Arg(5);

void BM_DecodeRoseStrip(benchmark::State &state) {
    const auto file = assetcodecs::encode_png_strip(assetgen::rose_quarter(0));
    for (auto _ : state) benchmark::DoNotOptimize(assetcodecs::decode_png_strip(file, "89ROSE.PBG"));
    state.SetBytesProcessed(state.iterations() * int64_t(file.size()));
}
BENCHMARK(BM_DecodeRoseStrip)->Unit(benchmark::kMillisecond);

}  // namespace
