// Feeds arbitrary bytes to the cover decoder: a damaged picture is an error with a message, never
// an abort; a decoded picture has the pixels its size says. The first two bytes choose the box
// the cover is shown in (as the record view does), which also keeps large pictures fast.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "catalogue/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace cinevaro::catalogue;
    if (size < 2)
        return 0;
    const int boxWidth = 1 + data[0];
    const int boxHeight = 1 + data[1];
    RgbImage image;
    const Outcome decoded = decodeJpeg(data + 2, size - 2, image, boxWidth, boxHeight);
    if (decoded.ok) {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
            std::abort();
    } else if (decoded.message.empty() || !image.pixels.empty()) {
        std::abort();
    }
    return 0;
}
