// Any bytes as a bitmap file: refused with an AssetError, or every frame
// drawn without writing outside the surface.
#include <vector>

#include "assetcodecs/asset_error.h"
#include "assetcodecs/raster_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    try {
        const assetcodecs::RasterBitmap bmp(assetcodecs::decode_png_strip({data, size}, "fuzz.pbg"));
        std::vector<uint32_t> pixels(20 * 12, 0);
        const DrawSurface s{pixels.data(), 17, 12, 20};
        for (int f = -1; f <= bmp.frame_count(); ++f) bmp.draw(s, f - 4, 2 - f, f);
    } catch (const assetcodecs::AssetError &) {
    }
    return 0;
}
