#include "ui/kit/Version.h"

namespace cinevaro::ui {

QString formatVersionText(int major, int minor, int patch, int tweak)
{
    return QStringLiteral("%1.%2 (%3: %4.%5)").arg(major).arg(minor).arg(QStringLiteral("Build")).arg(patch).arg(tweak);
}

QString GetVersionText()
{
#if defined(CINEVARO_VERSION_MAJOR) && defined(CINEVARO_VERSION_MINOR) && defined(CINEVARO_VERSION_PATCH) &&           \
    defined(CINEVARO_VERSION_TWEAK)
    return formatVersionText(CINEVARO_VERSION_MAJOR, CINEVARO_VERSION_MINOR, CINEVARO_VERSION_PATCH,
                             CINEVARO_VERSION_TWEAK);
#else
    return {};
#endif
}

} // namespace cinevaro::ui
