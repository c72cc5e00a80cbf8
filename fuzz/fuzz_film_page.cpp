// Feeds arbitrary bytes to the film page readers (distributor, archive link, archive name) and
// to the address and cookie handling of what such a page leads to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "weblookup/CookieStore.h"
#include "weblookup/HttpAddress.h"
#include "weblookup/Importer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace cinevaro::weblookup;
    const std::string page(reinterpret_cast<const char*>(data), size);
    const std::string distributor = pageDistributor(page);
    const std::string link = pageArchiveLink(page);
    if (distributor.size() > kMaxPageFieldBytes || link.size() > kMaxPageFieldBytes)
        std::abort();
    const std::string name = archiveNameOfLink(link);
    if (name.size() > link.size() || name.find('/') != std::string::npos)
        std::abort();
    // The download address: refused, or sent without any byte that could split the request.
    if (auto address = parseAddress("http://films.example/getzip.html/" + name)) {
        for (unsigned char c : address->target() + address->hostHeader())
            if (c < 0x21 || c == 0x7F)
                std::abort();
        if (auto moved = resolveLocation(*address, distributor))
            for (unsigned char c : moved->target() + moved->hostHeader())
                if (c < 0x21 || c == 0x7F)
                    std::abort();
    }
    // The same bytes as a Set-Cookie value: never a cookie for another or a public domain.
    CookieStore cookies;
    cookies.receive(page.substr(0, 4096), "www.films.example", "/film/a.html");
    for (const auto& c : cookies.cookies())
        if (!CookieStore::domainMatches("www.films.example", c.domain) || CookieStore::isPublicSuffix(c.domain))
            std::abort();
    (void)cookies.headerFor("autre.example", "/");
    (void)CookieStore::parseExpires(page.substr(0, 200));
    return 0;
}
