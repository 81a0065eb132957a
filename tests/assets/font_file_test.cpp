#include "assetcodecs/font_file.h"

#include <gtest/gtest.h>

#include "assetcodecs/asset_error.h"
#include "tests/assets/test_support.h"

namespace {

using assetcodecs::AssetError;
using assetcodecs::encode_font;
using assetcodecs::parse_font;

// The message of the failure to parse `bytes`, or "" when it parses.
std::string parse_error(const std::vector<uint8_t> &bytes) {
    try {
        parse_font(bytes, "X.RAW");
    } catch (const AssetError &e) {
        EXPECT_EQ(e.file(), "X.RAW");
        return e.what();
    }
    return "";
}

TEST(FontFile, RoundTripKeepsEveryField) {
    const auto font = assets_test::small_font();
    const auto parsed = parse_font(encode_font(font), "X.RAW");
    EXPECT_EQ(parsed.cell_width, 3);
    EXPECT_EQ(parsed.cell_height, 4);
    EXPECT_EQ(parsed.first, 'A');
    EXPECT_EQ(parsed.replacement, 'A');
    EXPECT_EQ(parsed.advance, font.advance);
    EXPECT_EQ(parsed.ink, font.ink);
}

TEST(FontFile, WideCellsUseSeveralBytesPerRow) {
    assetcodecs::FontData f;
    f.cell_width = 11;
    f.cell_height = 2;
    f.first = 'x';
    f.replacement = 'x';
    f.advance = {12};
    f.ink.assign(22, 0);
    f.ink[10] = f.ink[11] = 1;  // last column of row 0, first of row 1
    const auto bytes = encode_font(f);
    EXPECT_EQ(bytes.size(), 12u + 1 + 2 * 2);
    EXPECT_EQ(parse_font(bytes, "X.RAW").ink, f.ink);
}

TEST(FontFile, RejectsDamagedFilesNamingFileAndFault) {
    const auto good = encode_font(assets_test::small_font());
    auto with = [&](size_t at, uint8_t value) {
        auto b = good;
        b[at] = value;
        return b;
    };
    EXPECT_NE(parse_error({}).find("shorter than the header"), std::string::npos);
    EXPECT_NE(parse_error(std::vector<uint8_t>(good.begin(), good.begin() + 11)).find("header"), std::string::npos);
    EXPECT_NE(parse_error(with(0, 'Q')).find("signature"), std::string::npos);
    EXPECT_NE(parse_error(with(4, 2)).find("version 2"), std::string::npos);
    EXPECT_NE(parse_error(with(5, 0)).find("cell width 0"), std::string::npos);
    EXPECT_NE(parse_error(with(5, 33)).find("cell width 33"), std::string::npos);
    EXPECT_NE(parse_error(with(6, 65)).find("cell height 65"), std::string::npos);
    EXPECT_NE(parse_error(with(7, 0)).find("do not fit"), std::string::npos);
    EXPECT_NE(parse_error(with(7, 254)).find("do not fit"), std::string::npos);
    EXPECT_NE(parse_error(with(8, 0)).find("do not fit"), std::string::npos);
    EXPECT_NE(parse_error(with(9, 'D')).find("replacement character 68"), std::string::npos);
    EXPECT_NE(parse_error(with(10, 1)).find("reserved"), std::string::npos);
    // A larger glyph count than the file holds, and a file cut short.
    EXPECT_NE(parse_error(with(8, 4)).find("truncated"), std::string::npos);
    EXPECT_NE(parse_error(std::vector<uint8_t>(good.begin(), good.end() - 1)).find("truncated"), std::string::npos);
    auto longer = good;
    longer.push_back(0);
    EXPECT_NE(parse_error(longer).find("trailing bytes"), std::string::npos);
    // Glyph 'B' row 0: bit for column 3 of a 3-wide cell.
    EXPECT_NE(parse_error(with(12 + 5 + 1, 0x10)).find("outside its cell"), std::string::npos);
    EXPECT_EQ(parse_error(good), "");
}

}  // namespace
