// Encoding of pictures as JPEG files with libjpeg: the picture written beside an exported film
// record file.
#pragma once

#include <string>

#include "catalogue/Outcome.h"

namespace cinevaro::editing {

// Writes an RGB picture (3 bytes per pixel, rows top to bottom, `stride` bytes apart) as a JPEG
// file. An existing file is never overwritten: the call then fails and leaves it alone. A failed
// write leaves no partial file behind.
catalogue::Outcome writeJpegFile(const std::string& path, int width, int height, const unsigned char* rgb, int stride,
                                 int quality = 90);

// The bytes of such a JPEG file; empty when the picture cannot be encoded.
std::string encodeJpeg(int width, int height, const unsigned char* rgb, int stride, int quality = 90);

} // namespace cinevaro::editing
