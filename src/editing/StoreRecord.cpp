#include "editing/StoreRecord.h"

#include "table/Cp1252.h"

namespace cinevaro::editing {

StoredRecord storeRecord(catalogue::CatalogueState& state, std::optional<int> editRow, RecordValues& values,
                         const std::string& coverSource)
{
    StoredRecord stored;
    stored.outcome = editRow ? saveRecord(state, *editRow, values, coverSource) : addRecord(state, values, coverSource);
    stored.saved = stored.outcome.saved();
    if (!stored.saved)
        return stored;
    stored.row = state.CurrentRow;
    stored.duration = state.table().GetCell(catalogue::posDUREE, stored.row);
    return stored;
}

std::string anotherRecordQuestion(const std::string& title)
{
    // A lone CR shows as a space in the windows: the LF after it keeps the question on its line.
    return table::cp("La fiche ") + title + table::cp(" a été enregistrée\r\nVoulez vous entrer une nouvelle fiche ?");
}

} // namespace cinevaro::editing
