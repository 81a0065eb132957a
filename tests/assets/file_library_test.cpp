#include "assetcodecs/file_library.h"

#include <gtest/gtest.h>

#include "assetcodecs/asset_error.h"
#include "assetcodecs/font_file.h"
#include "tests/assets/test_support.h"

namespace {

namespace fs = std::filesystem;
using assetcodecs::FileAssetLibrary;

struct LibraryTest : ::testing::Test {
    fs::path dir = assets_test::temp_folder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::vector<std::string> errors;
    FileAssetLibrary lib{dir, [this](const std::string &m) { errors.push_back(m); }};
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(LibraryTest, ResolvesNamesInAnyCaseAndThroughEitherSlash) {
    assets_test::write_file(dir / "89rose.pbg", {1});
    assets_test::write_file(dir / "Nav_Display_1.PBM", {1});
    fs::create_directories(dir / "Gauges");
    assets_test::write_file(dir / "Gauges" / "rocker.pbg", {1});
    EXPECT_EQ(lib.resolve("89ROSE.PBG"), dir / "89rose.pbg");
    EXPECT_EQ(lib.resolve("nav_display_1.pbm"), dir / "Nav_Display_1.PBM");
    EXPECT_EQ(lib.resolve("gauges\\ROCKER.pbg"), dir / "Gauges" / "rocker.pbg");
    EXPECT_EQ(lib.resolve("gauges/rocker.pbg"), dir / "Gauges" / "rocker.pbg");
    EXPECT_EQ(lib.resolve("gauges"), std::nullopt);  // a folder is not an asset
    EXPECT_EQ(lib.resolve("missing.pbm"), std::nullopt);
}

TEST_F(LibraryTest, PrefersTheExactSpellingAmongCaseVariants) {
    assets_test::write_file(dir / "a.pbm", {1});
    assets_test::write_file(dir / "A.PBM", {2});
    assets_test::write_file(dir / "A.pbm", {3});
    EXPECT_EQ(lib.resolve("A.pbm"), dir / "A.pbm");
    EXPECT_EQ(lib.resolve("a.PBM"), dir / "A.PBM");  // first in byte order
}

TEST_F(LibraryTest, NamesThatLeaveTheFolderResolveToNothing) {
    assets_test::write_file(dir.parent_path() / "outside.pbm", {1});
    for (const char *name : {"../outside.pbm", "..\\outside.pbm", "/etc/passwd", "\\x.pbm", "", ".", "a//b",
                             "./outside.pbm"})
        EXPECT_EQ(lib.resolve(name), std::nullopt) << name;
    EXPECT_EQ(lib.resolve(std::string("a\0b", 3)), std::nullopt);
    fs::remove(dir.parent_path() / "outside.pbm");
}

TEST_F(LibraryTest, LoadsOnceAndReportsEachFailureOnce) {
    assets_test::write_file(dir / "ftasci10.raw", assetcodecs::encode_font(assets_test::small_font()));
    assets_test::write_file(dir / "rose.pbg", assetcodecs::encode_png_strip(assets_test::checker_strip(3, 2, 5)));
    const auto font = lib.font("FTASCI10.RAW");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(lib.font("ftasci10.raw"), font);
    const auto rose = lib.bitmap("ROSE.PBG");
    ASSERT_NE(rose, nullptr);
    EXPECT_EQ(rose->frame_count(), 5);
    EXPECT_EQ(rose->height(), 2);
    EXPECT_EQ(lib.bitmap("rose.pbg"), rose);
    EXPECT_TRUE(errors.empty());

    EXPECT_EQ(lib.bitmap("nothing.pbm"), nullptr);
    EXPECT_EQ(lib.bitmap("NOTHING.PBM"), nullptr);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("bitmap \"nothing.pbm\": no such file in"), std::string::npos) << errors[0];
}

TEST_F(LibraryTest, BadFilesAreReportedWithTheirPathAndFault) {
    assets_test::write_file(dir / "short.raw", {'P', 'F', 'N', 'T', 1});
    assets_test::write_file(dir / "font.pbm", assetcodecs::encode_font(assets_test::small_font()));
    assets_test::write_file(dir / "empty.pbg", {});
    EXPECT_EQ(lib.font("SHORT.RAW"), nullptr);
    EXPECT_EQ(lib.bitmap("font.pbm"), nullptr);   // a font is no bitmap
    EXPECT_EQ(lib.bitmap("empty.pbg"), nullptr);
    EXPECT_EQ(lib.font("empty.pbg"), nullptr);
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0], "font \"SHORT.RAW\": " + (dir / "short.raw").string() +
                             ": not a font: 5 bytes, shorter than the header");
    EXPECT_EQ(errors[1], "bitmap \"font.pbm\": " + (dir / "font.pbm").string() + ": not a PNG image");
    EXPECT_NE(errors[2].find((dir / "empty.pbg").string()), std::string::npos);
    EXPECT_NE(errors[3].find("shorter than the header"), std::string::npos);
}

TEST(ReadFile, RefusesFilesAboveTheLimit) {
    const auto dir = assets_test::temp_folder("readfile");
    assets_test::write_file(dir / "big", std::vector<uint8_t>(100, 7));
    EXPECT_EQ(assetcodecs::read_file(dir / "big", 100).size(), 100u);
    EXPECT_THROW(assetcodecs::read_file(dir / "big", 99), assetcodecs::AssetError);
    EXPECT_THROW(assetcodecs::read_file(dir / "none", 99), assetcodecs::AssetError);
    fs::remove_all(dir);
}

}  // namespace
