#include "weblookup/ImportList.h"

#include "table/Cp1252.h"

namespace cinevaro::weblookup {

std::vector<ImportItem> importItems(const std::vector<SearchResult>& results, const std::vector<ListedChoice>& lines)
{
    std::vector<ImportItem> items;
    items.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ImportItem item;
        item.ticked = lines[i].ticked;
        item.support = lines[i].support;
        if (i < results.size()) {
            item.pageAddress = results[i].pageAddress;
            item.listedTitle = results[i].title;
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string duplicateQuestion(const std::string& filmName)
{
    return table::cp("La gestion des Doublons n'est pas parfaite\r\nEtes vous sur de vouloir ajouter ") + filmName +
           " ?";
}

} // namespace cinevaro::weblookup
