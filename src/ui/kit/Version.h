// Version text of the program, from the four version numbers given by the build.
#pragma once

#include <QString>

namespace cinevaro::ui {

// "%d.%d (Build: %d.%d)" with major, minor, patch and tweak; empty when the build gave none.
QString GetVersionText();
// The same text for any four numbers.
QString formatVersionText(int major, int minor, int patch, int tweak);

} // namespace cinevaro::ui
