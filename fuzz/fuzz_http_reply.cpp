// Feeds arbitrary bytes to the HTTP reply reader as if a server had sent them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "weblookup/HttpReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace cinevaro::weblookup;
    // The first byte chooses how the bytes are cut into reads, as a network would.
    const std::size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
    BufferSource source(std::string(reinterpret_cast<const char*>(data), size), piece);
    ReplyReader reader(source);
    try {
        ReplyHead head = reader.readHead();
        (void)head.keepAlive();
        std::size_t total = 0;
        reader.readBody(head, [&](const char*, std::size_t n) { total += n; });
        if (total > size)
            __builtin_trap();
    } catch (const TransportError&) {
    }
    return 0;
}
