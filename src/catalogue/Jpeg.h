// Decoding JPEG pictures (covers) with libjpeg into an RGB buffer. A damaged file becomes an
// error, never an abort; absurd dimensions are refused; a picture much larger than the box it
// is shown in is decoded at 1/2, 1/4 or 1/8 of its size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"

namespace cinevaro::catalogue {

struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels; // 3 bytes per pixel, rows top to bottom, no padding
};

// Largest side accepted, and largest number of pixels.
inline constexpr int kJpegMaxSide = 30000;
inline constexpr long long kJpegMaxPixels = 100'000'000;

// Decodes a JPEG picture. When `boxWidth` and `boxHeight` are positive the picture is decoded at
// the smallest libjpeg scale (1, 1/2, 1/4, 1/8) that still covers the box. On failure `out` is
// left empty and the French message says why.
Outcome decodeJpeg(const unsigned char* data, std::size_t size, RgbImage& out, int boxWidth = 0, int boxHeight = 0);
Outcome decodeJpegFile(const std::string& path, RgbImage& out, int boxWidth = 0, int boxHeight = 0);

} // namespace cinevaro::catalogue
