// The import of ticked search results: for each ticked film, its page on the film service gives
// the distributor and the archive link; the archive is downloaded into the collection folder,
// unpacked there (film file, cover, notice) and removed; the film file becomes a new row, and the
// catalogue is saved and reloaded after each film, so the films added before a failure stay.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::weblookup {

class HttpClient;

// One item of the results list, in list order.
struct ImportItem
{
    bool ticked = false;
    std::string support;     // text of the item's support parameter ("?" while none is chosen)
    std::string pageAddress; // the film's page on the service
    std::string listedTitle; // the title as listed; becomes RESERVE1
};

struct ImportHooks
{
    // Progress text of the film being fetched; the first call comes before the first fetch.
    std::function<void(const std::string& text)> progress;
    // "La gestion des Doublons..." question for a film name; true adds the film anyway.
    std::function<bool(const std::string& filmName)> confirmDuplicate;
    // After each film handled (added or declined): the tree is refreshed.
    std::function<void()> filmDone;
};

struct ImportResult
{
    catalogue::Outcome outcome;
    bool refused = false; // a ticked film has no support: nothing was done
    int added = 0;        // rows appended and saved
    int declined = 0;     // duplicates answered "Non"
    // French notes for the user, one per film whose archive held entries left out as unsafe; a
    // failure's message ends with them too.
    std::vector<std::string> notices;
};

// "Il manque des catégories de support pour les films Selectionnés." and its caption.
std::string missingSupportsMessage();
std::string missingSupportsCaption();

// Longest distributor and archive link read on a film page; longer ones are cut.
inline constexpr std::size_t kMaxPageFieldBytes = 2048;

// The distributor read on a film page ("N/A" for "IDMC").
std::string pageDistributor(const std::string& page);
// The archive link read on a film page.
std::string pageArchiveLink(const std::string& page);
// The archive name: the link without its first character, then after its last "/".
std::string archiveNameOfLink(const std::string& link);

// Archives download to "<prefix>PID-TOKEN.part" in the collection folder, renamed when complete.
std::string partialDownloadPrefix();
// Removes the partial downloads left in the folder by runs that are no longer alive (killed
// during a download); files of any other name are never touched. Returns how many went.
int removeStalePartialDownloads(const std::string& folder);

// Imports the ticked items in list order. `root` is the service root address.
ImportResult importSelection(catalogue::CatalogueState& state, HttpClient& client, const std::string& root,
                             const std::vector<ImportItem>& items, const ImportHooks& hooks);

} // namespace cinevaro::weblookup
