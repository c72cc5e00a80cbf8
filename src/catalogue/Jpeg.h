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
// Memory one decoding may take: the decoded picture, the coefficients a progressive picture
// keeps, and libjpeg's own buffers (counted as kJpegWorkingMemory). A cover file larger than
// kJpegMaxFileSize is not read.
inline constexpr long long kJpegMemoryBudget = 64LL << 20;
inline constexpr long long kJpegWorkingMemory = 4LL << 20;
inline constexpr long long kJpegMaxFileSize = 16LL << 20;

// Decodes a JPEG picture. When `boxWidth` and `boxHeight` are positive the picture is decoded at
// the smallest libjpeg scale (1, 1/2, 1/4, 1/8) that still covers the box. A picture that would
// not fit in kJpegMemoryBudget is decoded at a smaller scale, or refused when even 1/8 does not
// fit (a progressive picture's coefficients are kept at full size): any picture costs at most
// that budget, whatever its header claims. On failure `out` is left empty and the French
// message says why.
Outcome decodeJpeg(const unsigned char* data, std::size_t size, RgbImage& out, int boxWidth = 0, int boxHeight = 0);
Outcome decodeJpegFile(const std::string& path, RgbImage& out, int boxWidth = 0, int boxHeight = 0);
// What a JPEG file says of itself, for a writer that embeds the file as it is.
struct JpegFacts
{
    int width = 0;
    int height = 0;
    int components = 0;         // 1 grey, 3 colour, 4 CMYK
    bool adobeInverted = false; // CMYK stored inverted (an Adobe marker)
    bool plainEightBit = false; // 8-bit Huffman-coded: any PDF reader shows it as it is
};
// Reads a cover file and its header, refused as checkJpegFile refuses it; `bytes` is the whole
// file. No pixel is decoded.
Outcome readJpegFile(const std::string& path, std::vector<unsigned char>& bytes, JpegFacts& facts, int boxWidth = 0,
                     int boxHeight = 0);

// Whether decodeJpegFile would start decoding: the header is read and the cost checked, no
// pixel is decoded.
Outcome checkJpegFile(const std::string& path, int boxWidth = 0, int boxHeight = 0);

} // namespace cinevaro::catalogue
