#include "tools/assetgen/catalogue.h"

#include "assetcodecs/font_file.h"
#include "tools/assetgen/glyphs.h"
#include "tools/assetgen/pictures.h"

namespace assetgen {

std::vector<AssetFile> build_catalogue() {
    using assetcodecs::encode_font;
    using assetcodecs::encode_png_strip;
    std::vector<AssetFile> files = {
        {"FTASCI10.RAW", encode_font(font_10())},
        {"FTTINY7.RAW", encode_font(font_7())},
        {"FTMICRO5.RAW", encode_font(font_5())},
        {"nav_display_1.pbm", encode_png_strip(bezel())},
        {"cadre_route.pbm", encode_png_strip(heading_box())},
        {"plane_symb.PBM", encode_png_strip(plane_symbol())},
        {"airp2.PBM", encode_png_strip(airport_symbol())},
        {"vor2.PBM", encode_png_strip(vor_symbol())},
        {"ndb2.PBM", encode_png_strip(ndb_symbol())},
        {"nd_zark_selector.pbg", encode_png_strip(zoom_selector())},
        {"mvcom.pbg", encode_png_strip(mhz_strip(118, 19))},
        {"mvcomdec.pbg", encode_png_strip(decimal_strip(40, 25, 3))},
        {"mvnav.pbg", encode_png_strip(mhz_strip(108, 10))},
        {"mvnavdec.pbg", encode_png_strip(decimal_strip(20, 50, 2))},
        {"mvchiffresxpdr.pbg", encode_png_strip(digit_strip())},
        {"rocker_vs.pbg", encode_png_strip(rocker_strip())},
        // The host's own, beneath the radio heads on its panel pictures.
        {"head_com_nav.png", encode_png_strip(head_bezel(120, 60, 9, 18, 114, 54))},
        {"head_adf_xpdr.png", encode_png_strip(head_bezel(90, 30, 45, 5, 83, 26))},
    };
    const char *roses[4] = {"89ROSE.PBG", "179ROSE.PBG", "269ROSE.PBG", "359ROSE.PBG"};
    for (int q = 0; q < 4; ++q) files.push_back({roses[q], encode_png_strip(rose_quarter(q))});
    return files;
}

}  // namespace assetgen
