// Any bytes as a font file: refused with an AssetError, or drawn without
// writing outside the surface.
#include <vector>

#include "assetcodecs/asset_error.h"
#include "assetcodecs/raster_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    try {
        const assetcodecs::RasterFont font(assetcodecs::parse_font({data, size}, "fuzz.raw"));
        std::vector<uint32_t> pixels(20 * 12, 0);
        const DrawSurface s{pixels.data(), 17, 12, 20};
        font.draw(s, -3, -2, 0xFFFFFF, std::string_view(reinterpret_cast<const char *>(data), size < 16 ? size : 16), true);
    } catch (const assetcodecs::AssetError &) {
    }
    return 0;
}
