// Walks the entry list of arbitrary bytes as if they were a downloaded archive.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output/ZipEntryList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<cinevaro::output::ZipDirEntry> entries;
    cinevaro::output::readEntryListFromBytes(std::string(reinterpret_cast<const char*>(data), size), entries);
    std::size_t names = 0;
    for (const auto& e : entries)
        names += e.FileName.size();
    if (names > size)
        __builtin_trap();
    return 0;
}
