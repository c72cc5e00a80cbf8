// The results list of the web search window as the importer takes it, and the question asked
// before adding a film that looks like one already catalogued.
#pragma once

#include <string>
#include <vector>

#include "weblookup/Importer.h"
#include "weblookup/SearchPage.h"

namespace cinevaro::weblookup {

// One line of the results list: ticked or not, and the text of its support parameter.
struct ListedChoice
{
    bool ticked = false;
    std::string support;
};

// One import item per line, in list order: line i carries the page and listed title of result i;
// a line beyond the results carries neither.
std::vector<ImportItem> importItems(const std::vector<SearchResult>& results, const std::vector<ListedChoice>& lines);

// "La gestion des Doublons n'est pas parfaite" and whether to add `filmName` anyway
// (Windows-1252).
std::string duplicateQuestion(const std::string& filmName);

} // namespace cinevaro::weblookup
