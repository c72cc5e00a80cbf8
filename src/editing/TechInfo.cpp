#include "editing/TechInfo.h"

#include "table/Cp1252.h"

namespace cinevaro::editing {

const std::array<std::string, kTechFieldCount>& techFieldNames()
{
    static const std::array<std::string, kTechFieldCount> names = {
        "FORMATVIDEO", "FORMATAUDIO", "RESOLUTION", "ZONE",    "BITVIDEO",  "BITAUDIO",
        "SIZE",        "FREQUENCE",   "LANGUEP",    "LANGUES", "SOUSTITRE", "NBDISK"};
    return names;
}

TechValues readTechValues(const table::TMlb2& table, int row)
{
    TechValues values;
    if (row < 1 || row > table.RowCount())
        return values;
    for (int i = 0; i < kTechFieldCount; ++i) {
        const int field = table.FieldIndex(techFieldNames()[i]);
        if (field > 0)
            values[i] = table.GetCell(field, row);
    }
    return values;
}

bool techDiffers(const table::TMlb2& table, int row, const TechValues& values)
{
    return readTechValues(table, row) != values;
}

catalogue::Outcome saveTechValues(catalogue::CatalogueState& state, int row, const TechValues& values)
{
    table::TMlb2& table = state.table();
    if (row < 1 || row > table.RowCount())
        return catalogue::Outcome::success();
    const TechValues previous = readTechValues(table, row);
    table.MoveTo(row);
    for (int i = 0; i < kTechFieldCount; ++i)
        table.SetValue(techFieldNames()[i], values[i]);
    catalogue::Outcome outcome = catalogue::saveCatalogue(state, table::cp("Données techniques"));
    if (!outcome) {
        table.MoveTo(row);
        for (int i = 0; i < kTechFieldCount; ++i)
            table.SetValue(techFieldNames()[i], previous[i]);
    }
    return outcome;
}

} // namespace cinevaro::editing
