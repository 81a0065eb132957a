// The host's bitmap files: PNG images holding one picture or a strip of
// equal pictures stacked from the top (docs/asset-formats.md).
//
// A strip says how many pictures it holds in a tEXt chunk with the keyword
// "Frames" and a decimal count; without one the file is a single picture.
// Any PNG colour type and depth is accepted. A pixel whose alpha (from an
// alpha channel or a tRNS colour key) is below 128 is transparent; every
// other pixel is opaque and drawn with its colour.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace assetcodecs {

constexpr uint32_t kOpaque = 0xFF000000u;  // marks a drawn pixel in StripData

struct StripData {
    int width = 0;
    int frame_height = 0;
    int frames = 0;
    // width x (frame_height * frames) words: kOpaque | 0xRRGGBB, or 0 where transparent.
    std::vector<uint32_t> pixels;
};

// Largest width and total height accepted, and the most frames in a strip.
constexpr int kMaxImageSide = 32768;
constexpr int kMaxFrames = 4096;
constexpr int64_t kMaxImagePixels = int64_t(1) << 24;

// Decodes a bitmap file; throws AssetError naming `file` and the fault.
StripData decode_png_strip(std::span<const uint8_t> bytes, const std::string &file);

// The file for a strip; writes the "Frames" text when it holds more than one.
// Deterministic: the same strip always gives the same bytes.
std::vector<uint8_t> encode_png_strip(const StripData &strip);

}  // namespace assetcodecs
