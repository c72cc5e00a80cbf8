// Version text of the program, from the four version numbers given by the build. Shared by the
// windows (splash, about box) and the command-line tool.
#pragma once

#include <string>

namespace cinevaro::catalogue {

// "%d.%d (Build: %d.%d)" with major, minor, patch and tweak; empty when the build gave none.
std::string versionText();
// The same text for any four numbers.
std::string formatVersionText(int major, int minor, int patch, int tweak);

} // namespace cinevaro::catalogue
