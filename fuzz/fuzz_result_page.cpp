// Feeds arbitrary bytes to the result page parser as if the service had sent them: at most 500
// results, every address and title within its bound, the two entities decoded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "weblookup/HttpAddress.h"
#include "weblookup/SearchPage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace cinevaro::weblookup;
    const std::string page(reinterpret_cast<const char*>(data), size);
    const std::string root = "http://films.example";
    const auto results = parseResultPage(page, root);
    if (results.size() > static_cast<std::size_t>(kMaxResults))
        std::abort();
    for (const auto& r : results) {
        if (r.pageAddress.size() > root.size() + kMaxLinkBytes || r.pageAddress.compare(0, root.size(), root) != 0)
            std::abort();
        if (r.title.size() > kMaxTitleBytes)
            std::abort();
    }
    // What the client would put on the request line and in the Host header: refused, or free of
    // any byte that could end or split the line.
    for (const auto& r : results) {
        for (const std::string& address : {r.pageAddress, encodeAddress(r.pageAddress)}) {
            if (auto parsed = parseAddress(address))
                for (unsigned char c : parsed->target() + parsed->hostHeader())
                    if (c < 0x21 || c == 0x7F)
                        std::abort();
        }
        (void)markup::itemText(1, r.title);
    }
    return 0;
}
