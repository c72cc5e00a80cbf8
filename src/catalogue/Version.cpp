#include "catalogue/Version.h"

namespace cinevaro::catalogue {

std::string formatVersionText(int major, int minor, int patch, int tweak)
{
    return std::to_string(major) + '.' + std::to_string(minor) + " (Build: " + std::to_string(patch) + '.' +
           std::to_string(tweak) + ')';
}

std::string versionText()
{
#if defined(CINEVARO_VERSION_MAJOR) && defined(CINEVARO_VERSION_MINOR) && defined(CINEVARO_VERSION_PATCH) &&           \
    defined(CINEVARO_VERSION_TWEAK)
    return formatVersionText(CINEVARO_VERSION_MAJOR, CINEVARO_VERSION_MINOR, CINEVARO_VERSION_PATCH,
                             CINEVARO_VERSION_TWEAK);
#else
    return {};
#endif
}

} // namespace cinevaro::catalogue
