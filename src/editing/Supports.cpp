#include "editing/Supports.h"

#include "table/Cp1252.h"

namespace cinevaro::editing {

using catalogue::CatalogueState;
using catalogue::Outcome;

std::string joinSupports(const std::vector<std::string>& names)
{
    return catalogue::joinList(names);
}

bool supportBranchHasFilms(const CatalogueState& state, std::size_t index)
{
    const std::vector<std::string> names = state.supportNames();
    if (index >= names.size())
        return false;
    // The tree files a film under the first group of its support's name.
    for (std::size_t i = 0; i < index; ++i)
        if (names[i] == names[index])
            return false;
    const table::TMlb2& t = state.table();
    for (int row = 1; row <= t.RowCount(); ++row)
        if (t.GetCell(catalogue::posRESERVE0, row) == names[index])
            return true;
    return false;
}

std::string supportRefusalMessage()
{
    return table::cp("Vous ne pouvez pas supprimer ce support car il contient des \r\nfilms dans sa catégorie !");
}

Outcome storeSupportList(CatalogueState& state, const std::string& joined)
{
    table::TMlb2& t = state.table();
    std::vector<std::string> before;
    for (int row = 1; row <= t.RowCount(); ++row) {
        before.push_back(t.GetCell(catalogue::posRESERVE2, row));
        t.MoveTo(row);
        t.SetValue("RESERVE2", joined);
    }
    if (Outcome saved = catalogue::saveCatalogue(state, "Gestion des supports"); !saved) {
        for (int row = 1; row <= t.RowCount(); ++row) {
            t.MoveTo(row);
            t.SetValue("RESERVE2", before[static_cast<std::size_t>(row - 1)]);
        }
        return saved;
    }
    for (auto& group : state.SupportGroups)
        group.Name.clear();
    catalogue::ParseSupportList(state);
    return Outcome::success();
}

Outcome replaceSupportList(CatalogueState& state, const std::string& joined)
{
    catalogue::ParseSupportList(state);
    const std::vector<std::string> names = state.supportNames();
    std::vector<std::string> kept;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semi = joined.find(';', start);
        std::string piece = joined.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (piece.empty())
            break;
        kept.push_back(std::move(piece));
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!supportBranchHasFilms(state, i))
            continue;
        bool stays = false;
        for (const std::string& name : kept)
            stays = stays || name == names[i];
        if (!stays)
            return Outcome::failure(supportRefusalMessage(), "Avertissement");
    }
    return storeSupportList(state, joined);
}

} // namespace cinevaro::editing
