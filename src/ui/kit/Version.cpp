#include "ui/kit/Version.h"

#include "catalogue/Version.h"

namespace cinevaro::ui {

QString formatVersionText(int major, int minor, int patch, int tweak)
{
    return QString::fromStdString(catalogue::formatVersionText(major, minor, patch, tweak));
}

QString GetVersionText()
{
    return QString::fromStdString(catalogue::versionText());
}

} // namespace cinevaro::ui
