// The support list of a catalogue: stored as the names joined by ";" in RESERVE2 of every row.
#pragma once

#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"

namespace cinevaro::editing {

// The names joined by ";", nothing after the last; an empty list gives an empty text.
std::string joinSupports(const std::vector<std::string>& names);

// Whether films are filed under the branch of support group `index` (0-based) of SupportGroups:
// rows whose RESERVE0 is its name, when no earlier group has that same name.
bool supportBranchHasFilms(const catalogue::CatalogueState& state, std::size_t index);

// The warning shown when a support that holds films is removed (caption "Avertissement").
std::string supportRefusalMessage();

// "Ok" of the supports window: writes the joined list into RESERVE2 of every row, saves, and
// parses the list again into SupportGroups (whose remembered expansion stays). A failed save
// puts the rows back as they were and returns the message; the file stays intact.
catalogue::Outcome storeSupportList(catalogue::CatalogueState& state, const std::string& joined);

// The command-line form: refuses a new list that drops a support whose branch holds films, with
// the window's message, before storing it.
catalogue::Outcome replaceSupportList(catalogue::CatalogueState& state, const std::string& joined);

} // namespace cinevaro::editing
