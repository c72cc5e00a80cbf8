// The 85 nationalities offered by the editor's origin box and by the technical panel's three
// language boxes, in their order, as Windows-1252 texts. One copy, shared by the windows and by
// the reading of languages from video files.
#pragma once

#include <string>
#include <vector>

namespace cinevaro::editing {

const std::vector<std::string>& languageList();

} // namespace cinevaro::editing
