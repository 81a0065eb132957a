// assetpreview FOLDER OUT.png: draws sample gauges with the assets of FOLDER
// the way the plug-ins place them, magnified, to look the pictures over.
#include <cmath>
#include <numbers>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "assetcodecs/file_library.h"
#include "assetcodecs/png_strip.h"
#include "tools/assetgen/canvas.h"

namespace {

using assetgen::rgb;
using assetcodecs::FileAssetLibrary;

struct Page {
    int width, height;
    std::vector<uint32_t> px;
    Page(int w, int h) : width(w), height(h), px(size_t(w) * size_t(h), 0) {}
    DrawSurface sub(int x, int y, int w, int h) { return DrawSurface{px.data() + y * width + x, w, h, width}; }
};

void plot(const DrawSurface &s, int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < s.width && y < s.height) s.pixels[y * s.pitch + x] = c;
}

void fill(const DrawSurface &s, int l, int t, int r, int b, uint32_t c) {
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) plot(s, x, y, c);
}

void circle(const DrawSurface &s, int cx, int cy, int r, uint32_t c) {
    for (int i = 0; i < 3600; ++i)
        plot(s, int(std::lround(cx + r * std::sin(i * std::numbers::pi / 1800))), int(std::lround(cy - r * std::cos(i * std::numbers::pi / 1800))), c);
}

void display(FileAssetLibrary &lib, const DrawSurface &s, int heading) {
    auto big = lib.font("FTASCI10.RAW"), micro = lib.font("FTMICRO5.RAW"), tiny = lib.font("FTTINY7.RAW");
    const uint32_t grey = rgb(127, 127, 127), yellow = rgb(255, 255, 0), green = rgb(20, 250, 0),
                   white = rgb(255, 255, 255), magenta = rgb(255, 0, 255), orange = rgb(214, 89, 0);
    char text[32];
    lib.bitmap("airp2.PBM")->draw(s, 60 - 7, 120 - 7, 0);
    micro->draw(s, 60 - 7, 120 - 13, white, "KSEA", false);
    micro->draw(s, 60 - 10, 120 + 11, white, "312/14", false);
    lib.bitmap("vor2.PBM")->draw(s, 140 - 7, 150 - 7, 0);
    micro->draw(s, 140 - 9, 150 - 13, white, "116.80", false);
    lib.bitmap("ndb2.PBM")->draw(s, 80 - 7, 190 - 7, 0);
    micro->draw(s, 80 - 4, 190 + 11, magenta, "ABC", false);
    fill(s, 150 - 3, 200 - 3, 150 + 4, 200 + 4, orange);
    tiny->draw(s, 150 - 7, 200 - 11, orange, "+05", false);
    std::snprintf(text, sizeof text, "%03d", heading);
    big->draw(s, 96, 52, yellow, text, false);
    for (int y = 72; y <= 232; ++y) plot(s, 103, y, grey);
    lib.bitmap("cadre_route.pbm")->draw(s, 87, 52, 0);
    for (int r : {120, 80, 40}) circle(s, 103, 232, r, grey);
    big->draw(s, 99, 154, grey, "12", true);
    fill(s, 0, 242, 206, 330, rgb(10, 10, 10));
    const char *roses[4] = {"89ROSE.PBG", "179ROSE.PBG", "269ROSE.PBG", "359ROSE.PBG"};
    lib.bitmap(roses[heading / 90])->draw(s, -26, 40, heading % 90);
    lib.bitmap("plane_symb.PBM")->draw(s, 96, 223, 0);
    fill(s, 0, 0, 206, 48, rgb(10, 10, 10));
    big->draw(s, 18, 20, green, "TRK : ", false);
    big->draw(s, 68, 20, green, "045", false);
    big->draw(s, 103, 20, green, "DIS : ", false);
    big->draw(s, 153, 20, green, "0012.3", false);
    big->draw(s, 18, 40, green, "GS- : ", false);
    big->draw(s, 68, 40, green, "142", false);
    big->draw(s, 103, 40, green, "ETE : ", false);
    big->draw(s, 153, 40, green, "00:05", false);
    big->draw(s, 18, 250, green, "DTK : ", false);
    big->draw(s, 68, 250, green, "047", false);
    big->draw(s, 103, 250, green, "LEG : 12", false);
    big->draw(s, 153, 250, orange, "____", false);
    big->draw(s, 153, 250, orange, "WPT", false);
    big->draw(s, 18, 265, yellow, "FROM : KSEA", false);
    big->draw(s, 103, 265, yellow, "TO   : KPDX", false);
    lib.bitmap("nav_display_1.pbm")->draw(s, 0, 0, 0);
    lib.bitmap("nd_zark_selector.pbg")->draw(s, 176, 0, 2);
    big->draw(s, 188, 10, white, "2", false);
    for (int x : {12, 41, 71, 136}) fill(s, x, 306, x + 4, 309, rgb(0, 100, 0));
}

void radio(FileAssetLibrary &lib, const DrawSurface &s, bool com) {
    auto mhz = lib.bitmap(com ? "mvcom.pbg" : "mvnav.pbg"), dec = lib.bitmap(com ? "mvcomdec.pbg" : "mvnavdec.pbg");
    mhz->draw(s, 15, 43, 3);
    dec->draw(s, 31, 40, com ? 21 : 19);
    mhz->draw(s, 67, 34, com ? 18 : 0);
    dec->draw(s, 83, 31, com ? 39 : 2);
    if (com)
        for (int y = 20; y <= 50; ++y) plot(s, 110, y, rgb(254, 124, 0));
}

void digits(FileAssetLibrary &lib, const DrawSurface &s, const int *xs, const char *value) {
    const int ys[4] = {15, 13, 11, 9};
    for (int i = 0; i < 4; ++i) lib.bitmap("mvchiffresxpdr.pbg")->draw(s, xs[i], ys[i], value[i] - '0');
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: assetpreview FOLDER OUT.png\n";
        return 2;
    }
    FileAssetLibrary lib(argv[1]);
    Page page(650, 420);
    display(lib, page.sub(0, 0, 206, 330), 0);
    display(lib, page.sub(216, 0, 206, 330), 45);
    const int y0 = 340;
    const uint32_t white = rgb(255, 255, 255);
    int y = y0;
    for (const char *name : {"FTASCI10.RAW", "FTTINY7.RAW", "FTMICRO5.RAW"}) {
        auto f = lib.font(name);
        const DrawSurface s = page.sub(0, 0, 650, 420);
        f->draw(s, 2, y, white, " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`", false);
        f->draw(s, 2, y + 13, white, "abcdefghijklmnopqrstuvwxyz{|}~ The quick brown fox, 118.975 MHz", false);
        y += 27;
    }
    radio(lib, page.sub(432, 0, 120, 60), true);
    radio(lib, page.sub(432, 70, 120, 60), false);
    const int adf[4] = {49, 57, 65, 73}, xpdr[4] = {49, 57, 64, 72};
    digits(lib, page.sub(432, 140, 90, 30), adf, "0350");
    digits(lib, page.sub(432, 180, 90, 30), xpdr, "7700");
    for (int f = 0; f < 6; ++f) lib.bitmap("rocker_vs.pbg")->draw(page.sub(432 + 30 * f, 220, 24, 48), 0, 0, f);
    for (int f = 0; f < 5; ++f) lib.bitmap("nd_zark_selector.pbg")->draw(page.sub(432 + 35 * f, 280, 30, 21), 0, 0, f);

    constexpr int kScale = 2;
    assetcodecs::StripData out;
    out.width = page.width * kScale;
    out.frame_height = page.height * kScale;
    out.frames = 1;
    out.pixels.resize(size_t(out.width) * size_t(out.frame_height));
    for (int yy = 0; yy < out.frame_height; ++yy)
        for (int xx = 0; xx < out.width; ++xx)
            out.pixels[size_t(yy) * size_t(out.width) + size_t(xx)] =
                assetcodecs::kOpaque | page.px[size_t(yy / kScale) * size_t(page.width) + size_t(xx / kScale)];
    const auto bytes = assetcodecs::encode_png_strip(out);
    std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return 0;
}
