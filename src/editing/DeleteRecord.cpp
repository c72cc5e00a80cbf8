#include "editing/DeleteRecord.h"

#include <filesystem>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "table/Cp1252.h"

namespace cinevaro::editing {

using catalogue::Outcome;

namespace {

bool titleUsedElsewhere(const catalogue::CatalogueState& state, int row, const std::string& titre)
{
    const auto& t = state.table();
    for (int r = 1; r <= t.RowCount(); ++r)
        if (r != row && t.GetCell(catalogue::posTITRE, r) == titre)
            return true;
    return false;
}

} // namespace

Outcome deleteRecord(catalogue::CatalogueState& state, int row)
{
    if (!state.CatalogueTable || row < 1 || row > state.table().RowCount())
        return Outcome::failure(table::cp("Aucune fiche à supprimer"));
    const std::string titre = state.table().GetCell(catalogue::posTITRE, row);
    const bool keepCover = titleUsedElsewhere(state, row, titre);

    state.table().DeleteRow(row);
    Outcome saved = catalogue::saveCatalogue(state, "Suppression de fiche");
    if (!saved) {
        // Memory and file must agree again: read back the file the failed save left intact. Should
        // that fail too, no catalogue is open any more and the user is told why.
        if (Outcome reread = catalogue::OpenCatalogue(state); !reread && !state.IsOpen)
            return Outcome::failure(saved.message + "\r\n" + reread.message, saved.caption);
        return saved;
    }
    if (!keepCover) {
        // Into the deletion's version, so that undo brings it back.
        catalogue::versionsOf(state).keepCover(catalogue::coverPath(state, titre));
    }
    return catalogue::OpenCatalogue(state);
}

} // namespace cinevaro::editing
