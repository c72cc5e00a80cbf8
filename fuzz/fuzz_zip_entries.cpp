// Walks the entry list of arbitrary bytes as if they were a downloaded archive, and reads the
// names of its central directory as stored.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output/ZipEntryList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<cinevaro::output::ZipDirEntry> entries;
    cinevaro::output::readEntryListFromBytes(bytes, entries);
    std::size_t names = 0;
    for (const auto& e : entries) {
        names += e.FileName.size();
        // A listed name never holds a control character: the path calls would stop at a NUL.
        if (cinevaro::output::holdsControlCharacter(e.FileName))
            __builtin_trap();
    }
    if (names > size)
        __builtin_trap();
    std::vector<std::string> central;
    if (cinevaro::output::readCentralNamesFromBytes(bytes, central)) {
        std::size_t stored = 0;
        for (const auto& name : central)
            stored += name.size();
        if (stored > size)
            __builtin_trap();
    }
    return 0;
}
