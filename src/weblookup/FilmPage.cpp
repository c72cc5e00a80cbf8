// What the importer reads on a film's page of the service: the distributor and the archive link.
#include "weblookup/Importer.h"

#include <algorithm>

namespace cinevaro::weblookup {

std::string pageDistributor(const std::string& page)
{
    // Without the marker the position counts from before the page's start, as a failed search gives.
    std::size_t marker = page.find("Distribution");
    std::size_t from = marker == std::string::npos ? 78 : marker + 79;
    std::size_t gt = page.find('>', std::min(from, page.size()));
    if (gt == std::string::npos)
        return {};
    std::size_t lt = page.find('<', gt + 1);
    std::string distributor =
        page.substr(gt + 1, std::min(lt == std::string::npos ? std::string::npos : lt - gt - 1, kMaxPageFieldBytes));
    return distributor == "IDMC" ? "N/A" : distributor;
}

std::string pageArchiveLink(const std::string& page)
{
    std::size_t marker = page.find("zip.gif");
    std::size_t start = std::min(marker == std::string::npos ? 27 : marker + 28, page.size());
    std::size_t quote = page.find('"', start);
    return page.substr(start,
                       std::min(quote == std::string::npos ? std::string::npos : quote - start, kMaxPageFieldBytes));
}

std::string archiveNameOfLink(const std::string& link)
{
    std::string name = link.empty() ? link : link.substr(1);
    auto slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

} // namespace cinevaro::weblookup
