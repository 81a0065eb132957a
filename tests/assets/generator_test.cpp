// The generated assets: the same bytes on every run, and every file the
// plug-ins name loadable with the sizes and frame counts they rely on.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "assetcodecs/file_library.h"
#include "assetcodecs/font_file.h"
#include "tests/assets/test_support.h"

namespace {

namespace fs = std::filesystem;

// The folder the build's `assets` target wrote.
const fs::path kBuilt = GENERATED_ASSETS;

TEST(Generator, ASecondRunWritesIdenticalFiles) {
    const auto again = assets_test::temp_folder("again");
    ASSERT_EQ(std::system((std::string(TOOL_RUNNER) + " " + ASSETGEN_PATH + " '" + again.string() + "'").c_str()), 0);
    size_t files = 0;
    for (const auto &e : fs::directory_iterator(again)) {
        const auto name = e.path().filename();
        SCOPED_TRACE(name.string());
        ASSERT_TRUE(fs::exists(kBuilt / name));
        EXPECT_EQ(assetcodecs::read_file(e.path(), 1 << 26), assetcodecs::read_file(kBuilt / name, 1 << 26));
        ++files;
    }
    EXPECT_EQ(files, 22u);
    fs::remove_all(again);
}

TEST(Generated, EveryBitmapLoadsWithItsSizeAndFrames) {
    struct Expect {
        const char *name;
        int width, height, frames;
    };
    const Expect expected[] = {
        {"nav_display_1.pbm", 206, 330, 1}, {"cadre_route.pbm", 35, 15, 1},   {"89ROSE.PBG", 258, 202, 90},
        {"179ROSE.PBG", 258, 202, 90},       {"269ROSE.PBG", 258, 202, 90},    {"359ROSE.PBG", 258, 202, 90},
        {"plane_symb.PBM", 15, 15, 1},       {"airp2.PBM", 15, 15, 1},         {"vor2.PBM", 15, 15, 1},
        {"ndb2.PBM", 15, 15, 1},             {"nd_zark_selector.pbg", 30, 21, 5}, {"mvcom.pbg", 16, 10, 19},
        {"mvcomdec.pbg", 16, 10, 40},        {"mvnav.pbg", 16, 10, 10},        {"mvnavdec.pbg", 11, 10, 20},
        {"mvchiffresxpdr.pbg", 7, 11, 10},   {"rocker_vs.pbg", 24, 48, 6},
        {"head_com_nav.png", 120, 60, 1},    {"head_adf_xpdr.png", 90, 30, 1},
    };
    std::vector<std::string> errors;
    assetcodecs::FileAssetLibrary lib(kBuilt, [&](const std::string &m) { errors.push_back(m); });
    for (const Expect &e : expected) {
        SCOPED_TRACE(e.name);
        const auto b = lib.bitmap(e.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->width(), e.width);
        EXPECT_EQ(b->height(), e.height);
        EXPECT_EQ(b->frame_count(), e.frames);
    }
    EXPECT_TRUE(errors.empty());
}

TEST(Generated, FontsCoverPrintableAsciiWithInkForEveryVisibleCharacter) {
    struct Expect {
        const char *name;
        int width, height;
    };
    for (const Expect &e : {Expect{"FTASCI10.RAW", 6, 11}, Expect{"FTTINY7.RAW", 6, 7}, Expect{"FTMICRO5.RAW", 4, 5}}) {
        SCOPED_TRACE(e.name);
        const auto f = assetcodecs::parse_font(assetcodecs::read_file(kBuilt / e.name, 1 << 20), e.name);
        EXPECT_EQ(f.cell_width, e.width);
        EXPECT_EQ(f.cell_height, e.height);
        EXPECT_EQ(f.first, 32);
        EXPECT_EQ(f.count(), 95);
        for (int code = 33; code <= 126; ++code) {
            const uint8_t *g = f.glyph(code);
            EXPECT_TRUE(std::any_of(g, g + e.width * e.height, [](uint8_t v) { return v != 0; })) << char(code);
        }
        // Glyphs keep a clear column on the right so that letters never touch.
        for (int code = 32; code <= 126; ++code)
            for (int row = 0; row < e.height; ++row) EXPECT_EQ(f.glyph(code)[row * e.width + e.width - 1], 0) << char(code);
    }
}

TEST(Generated, EachRoseFrameShowsItsHeadingAtTheTopAndNothingInsideTheRings) {
    const char *names[4] = {"89ROSE.PBG", "179ROSE.PBG", "269ROSE.PBG", "359ROSE.PBG"};
    assetcodecs::FileAssetLibrary lib(kBuilt, [](const std::string &m) { ADD_FAILURE() << m; });
    constexpr double kCx = 129, kCy = 192;
    auto point = [&](double r, double deg) {
        const double a = deg * std::numbers::pi / 180;
        return std::pair<int, int>{int(std::lround(kCx + r * std::sin(a))), int(std::lround(kCy - r * std::cos(a)))};
    };
    for (int q = 0; q < 4; ++q) {
        const auto rose = lib.bitmap(names[q]);
        ASSERT_NE(rose, nullptr);
        for (int k = 0; k < 90; ++k) {
            const int heading = 90 * q + k;
            SCOPED_TRACE(heading);
            assets_test::GuardedSurface g(258, 202, 260);
            rose->draw(g.surface, 0, 0, k);
            ASSERT_TRUE(g.guards_intact());
            // The long north tick lies `heading` degrees left of the top.
            const auto [nx, ny] = point(155, -heading);
            if (nx >= 0 && nx < 258 && ny >= 0 && ny < 202) {
                EXPECT_NE(g.at(nx, ny), assets_test::kBackground);
            }
            // Half-way between two ticks the ring's inside is clear.
            const auto [mx, my] = point(157, 2.5 - heading);
            if (mx >= 0 && mx < 258 && my >= 0 && my < 202) {
                EXPECT_EQ(g.at(mx, my), assets_test::kBackground);
            }
            for (int y = 0; y < 202; ++y)
                for (int x = 0; x < 258; ++x)
                    if ((x - kCx) * (x - kCx) + (y - kCy) * (y - kCy) <= 125.0 * 125.0) {
                        ASSERT_EQ(g.at(x, y), assets_test::kBackground) << x << "," << y;
                    }
        }
    }
}

TEST(Generated, BezelLeavesTheMapDataAndIndicatorMarksVisible) {
    assetcodecs::FileAssetLibrary lib(kBuilt, [](const std::string &m) { ADD_FAILURE() << m; });
    const auto bezel = lib.bitmap("nav_display_1.pbm");
    ASSERT_NE(bezel, nullptr);
    assets_test::GuardedSurface g(206, 330, 206);
    bezel->draw(g.surface, 0, 0, 0);
    int opaque_outside = 0;
    for (int y = 0; y < 330; ++y)
        for (int x = 0; x < 206; ++x) {
            const bool frame = x < 3 || y < 3 || x > 202 || y > 326;
            const bool buttons = y >= 296 && y <= 315;
            if (!frame && !buttons) opaque_outside += g.at(x, y) != assets_test::kBackground;
        }
    EXPECT_EQ(opaque_outside, 0);
    for (int x : {12, 41, 71, 103, 136, 168})
        for (int y = 306; y < 309; ++y)
            for (int dx = 0; dx < 4; ++dx) EXPECT_EQ(g.at(x + dx, y), assets_test::kBackground) << x + dx << "," << y;
    // Every button has its frame and a caption above the marks.
    for (int c : {14, 42, 74, 105, 137, 170}) {
        EXPECT_NE(g.at(c - 9, 305), assets_test::kBackground) << c;
        int caption = 0;
        for (int y = 298; y < 305; ++y)
            for (int x = c - 7; x <= c + 7; ++x) caption += g.at(x, y) != assets_test::kBackground;
        EXPECT_GT(caption, 10) << c;
    }
}

}  // namespace

// Two glyphs a reader must tell apart differ in at least two pixels: one
// pixel is the most a glance at 5- and 7-pixel letters misses (an 'O' and a
// 'Q', an 'M' and an 'N' that differ in a single pixel read the same). The
// space is the exception: against empty ground any ink is seen, so the
// one-pixel period stands. Fonts that draw lower case as capitals are
// compared on their capitals.
TEST(Generated, EveryGlyphDiffersFromEveryOtherInAtLeastTwoPixels) {
    constexpr int kLeast = 2;
    for (const auto &[name, capitals_only] : {std::pair{"FTASCI10.RAW", false}, std::pair{"FTTINY7.RAW", true},
                                              std::pair{"FTMICRO5.RAW", true}}) {
        SCOPED_TRACE(name);
        const auto f = assetcodecs::parse_font(assetcodecs::read_file(kBuilt / name, 1 << 20), name);
        const int cells = f.cell_width * f.cell_height;
        std::vector<int> codes;
        for (int code = 32; code <= 126; ++code)
            if (!(capitals_only && std::islower(code))) codes.push_back(code);
        std::string alike;
        for (size_t i = 0; i < codes.size(); ++i)
            for (size_t j = i + 1; j < codes.size(); ++j) {
                const uint8_t *a = f.glyph(codes[i]), *b = f.glyph(codes[j]);
                int differ = 0;
                for (int p = 0; p < cells; ++p) differ += (a[p] != 0) != (b[p] != 0);
                if (differ < (codes[i] == ' ' ? 1 : kLeast)) alike += std::string(" ") + char(codes[i]) + char(codes[j]);
            }
        EXPECT_EQ(alike, "");
        if (!capitals_only) continue;
        for (int code = 'a'; code <= 'z'; ++code)
            EXPECT_TRUE(std::equal(f.glyph(code), f.glyph(code) + cells, f.glyph(std::toupper(code)))) << char(code);
    }
}

// The host draws a face beneath each radio head; every pixel a head can light,
// for any frame of its strips, must fall on the face's black window, and the
// face must be opaque all over so that no panel shows through the gauge.
TEST(Generated, RadioFacesPutEveryDigitOnTheirWindow) {
    assetcodecs::FileAssetLibrary lib(kBuilt, [](const std::string &m) { ADD_FAILURE() << m; });
    struct Place {
        const char *strip;
        int x, y;
    };
    struct Head {
        const char *face;
        int width, height;
        std::vector<Place> places;
    };
    const Head heads[] = {
        {"head_com_nav.png", 120, 60,
         {{"mvcom.pbg", 15, 43}, {"mvcom.pbg", 67, 34}, {"mvcomdec.pbg", 31, 40}, {"mvcomdec.pbg", 83, 31},
          {"mvnav.pbg", 15, 43}, {"mvnav.pbg", 67, 34}, {"mvnavdec.pbg", 31, 40}, {"mvnavdec.pbg", 83, 31}}},
        {"head_adf_xpdr.png", 90, 30,
         {{"mvchiffresxpdr.pbg", 49, 15}, {"mvchiffresxpdr.pbg", 57, 13}, {"mvchiffresxpdr.pbg", 64, 11},
          {"mvchiffresxpdr.pbg", 65, 11}, {"mvchiffresxpdr.pbg", 72, 9}, {"mvchiffresxpdr.pbg", 73, 9}}},
    };
    for (const Head &h : heads) {
        SCOPED_TRACE(h.face);
        assets_test::GuardedSurface face(h.width, h.height, h.width);
        lib.bitmap(h.face)->draw(face.surface, 0, 0, 0);
        for (int y = 0; y < h.height; ++y)
            for (int x = 0; x < h.width; ++x) ASSERT_NE(face.at(x, y), assets_test::kBackground) << x << "," << y;
        assets_test::GuardedSurface lit(h.width, h.height, h.width);
        for (const Place &p : h.places) {
            const auto strip = lib.bitmap(p.strip);
            for (int f = 0; f < strip->frame_count(); ++f) strip->draw(lit.surface, p.x, p.y, f);
        }
        if (std::string(h.face) == "head_com_nav.png")
            for (int y = 20; y <= 50; ++y) lit.at(110, y) = 0;  // COM's orange line
        int on_window = 0;
        for (int y = 0; y < h.height; ++y)
            for (int x = 0; x < h.width; ++x) {
                if (lit.at(x, y) == assets_test::kBackground) continue;
                EXPECT_EQ(face.at(x, y), 0u) << x << "," << y;
                ++on_window;
            }
        EXPECT_GT(on_window, 100);
    }
}
