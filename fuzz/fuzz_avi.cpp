// Fuzzes the AVI header reader: any bytes, any claimed file length.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "editing/AviInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first 8 bytes, when present, give the file length; the rest is the file's start.
    std::uint64_t length = size;
    if (size >= 8) {
        std::memcpy(&length, data, 8);
        data += 8;
        size -= 8;
    }
    cinevaro::editing::readAviInfo(data, size, length);
    cinevaro::editing::readAviInfo(data, size, size);
    return 0;
}
