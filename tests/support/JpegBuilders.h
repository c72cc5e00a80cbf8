// JPEG pictures that tests and benchmarks build on the spot.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace cinevaro::testing {

// Compresses a `width` x `height` picture of `components` bytes a pixel in `space` into memory:
// `setUp` adjusts the settings after their defaults, `line` gives the bytes of each row.
inline std::string compressJpeg(int width, int height, int components, J_COLOR_SPACE space,
                                const std::function<void(jpeg_compress_struct&)>& setUp,
                                const std::function<const unsigned char*(int row)>& line)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    setUp(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto row = const_cast<JSAMPROW>(line(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// A CMYK JPEG of `width` x `height` pixels of 4 bytes each, at the best quality; `adobeMarker`: written
// with the Adobe marker (whose files store the inks inverted: 255 is no ink), else without it (255 is
// full ink).
inline std::string cmykJpeg(int width, int height, const std::vector<unsigned char>& cmyk, bool adobeMarker)
{
    return compressJpeg(
        width, height, 4, JCS_CMYK,
        [adobeMarker](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, 100, TRUE);
            cinfo.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
        },
        [&cmyk, width](int row) { return &cmyk[static_cast<std::size_t>(row) * width * 4]; });
}

// A small grey picture written as a progressive JPEG, its SOF2 header then claiming
// `width` x `height`: a few hundred bytes that would decode to a huge picture.
inline std::string progressiveJpegClaiming(int width, int height)
{
    const std::vector<unsigned char> line(16 * 3, 128);
    std::string bytes = compressJpeg(
        16, 16, 3, JCS_RGB, [](jpeg_compress_struct& cinfo) { jpeg_simple_progression(&cinfo); },
        [&line](int) { return line.data(); });
    const auto sof = bytes.find("\xFF\xC2");
    if (sof == std::string::npos || sof + 8 >= bytes.size())
        return {};
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

} // namespace cinevaro::testing
