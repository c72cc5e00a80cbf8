// Deleting one film: its row, its cover picture (only when no other row keeps the same TITRE,
// since films of the same title share one picture), then save and reopen the catalogue.
#pragma once

#include "catalogue/Outcome.h"

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::editing {

// Deletes row `row` (1-based) of the open catalogue and saves. When the save fails the catalogue
// is read back from the untouched file, the cover stays, and the French message is returned.
// On success the catalogue is reopened (normalised, sorted, CurrentRow = 1); the caller then
// rebuilds the tree.
catalogue::Outcome deleteRecord(catalogue::CatalogueState& state, int row);

} // namespace cinevaro::editing
