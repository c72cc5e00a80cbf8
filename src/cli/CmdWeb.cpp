// web-search, web-import: the film service's search and the import of picked results.
#include <algorithm>
#include <map>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "cli/Commands.h"
#include "table/Cp1252.h"
#include "weblookup/HttpClient.h"
#include "weblookup/Importer.h"
#include "weblookup/SearchPage.h"

namespace cinevaro::cli {

namespace {

struct WebOptions
{
    std::string root;
    weblookup::SearchBy by = weblookup::SearchBy::Titre;
    weblookup::MatchKind match = weblookup::MatchKind::Exact;
    std::string proxyServer;
    int proxyPort = 0;
    std::vector<std::string> positional;
    std::vector<std::string> picks;
    bool duplicates = false;
    int deadlineSeconds = weblookup::kDefaultFetchSeconds; // overall time of each fetch
};

// Reads the options shared by both commands; `import` allows --pick and --duplicates. False on a
// usage error.
bool parseOptions(const Args& args, bool import, WebOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--root" && hasValue) {
            options.root = args[++i];
            while (!options.root.empty() && options.root.back() == '/')
                options.root.pop_back();
        } else if (a == "--by" && hasValue) {
            const std::string& v = args[++i];
            if (v == "titre")
                options.by = weblookup::SearchBy::Titre;
            else if (v == "acteur")
                options.by = weblookup::SearchBy::Acteur;
            else if (v == "real")
                options.by = weblookup::SearchBy::Real;
            else
                return false;
        } else if (a == "--match" && hasValue) {
            const std::string& v = args[++i];
            if (v != "0" && v != "1" && v != "2")
                return false;
            options.match = static_cast<weblookup::MatchKind>(v[0] - '0');
        } else if (a == "--proxy" && hasValue) {
            const std::string& v = args[++i];
            auto colon = v.rfind(':');
            auto port = colon == std::string::npos ? std::nullopt : parseRow(v.substr(colon + 1));
            if (!port || colon == 0 || *port > 65535)
                return false;
            options.proxyServer = v.substr(0, colon);
            options.proxyPort = *port;
        } else if (a == "--delai" && hasValue) {
            auto seconds = parseRow(args[++i]);
            if (!seconds || *seconds > 3600)
                return false;
            options.deadlineSeconds = *seconds;
        } else if (import && a == "--pick" && hasValue) {
            options.picks.push_back(args[++i]);
        } else if (import && a == "--duplicates" && hasValue) {
            const std::string& v = args[++i];
            if (v != "oui" && v != "non")
                return false;
            options.duplicates = v == "oui";
        } else if (isOption(a)) {
            return false;
        } else {
            options.positional.push_back(a);
        }
    }
    return !options.root.empty();
}

// Runs the search; prints the failure and returns nothing when it fails.
std::optional<std::vector<weblookup::SearchResult>> search(weblookup::HttpClient& client, const WebOptions& options,
                                                           const std::string& textUtf8, std::ostream& err)
{
    auto text = argToCp(textUtf8, err);
    auto root = argToCp(options.root, err);
    if (!text || !root)
        return std::nullopt;
    client.setProxy(options.proxyServer, options.proxyPort);
    client.setDeadlineMs(options.deadlineSeconds * 1000);
    auto found = weblookup::runSearch(client, *root, options.by, options.match, *text);
    if (!found) {
        fail(found.outcome(), err);
        return std::nullopt;
    }
    return std::move(*found);
}

} // namespace

int cmdWebSearch(const Args& args, std::ostream& out, std::ostream& err)
{
    WebOptions options;
    if (!parseOptions(args, false, options) || options.positional.size() != 1)
        return usageOf("web-search", err);
    weblookup::HttpClient client;
    auto results = search(client, options, options.positional[0], err);
    if (!results)
        return 1;
    for (std::size_t i = 0; i < results->size(); ++i)
        out << i + 1 << "\t" << table::cp1252ToUtf8((*results)[i].title) << "\t"
            << table::cp1252ToUtf8((*results)[i].pageAddress) << "\n";
    return 0;
}

int cmdWebImport(const Args& args, std::ostream& out, std::ostream& err)
{
    WebOptions options;
    if (!parseOptions(args, true, options) || options.positional.size() != 2 || options.picks.empty())
        return usageOf("web-import", err);
    // Result number -> support, as chosen in the window's list.
    std::map<int, std::string> picks;
    for (const auto& pick : options.picks) {
        auto equals = pick.find('=');
        auto n = equals == std::string::npos ? std::nullopt : parseRow(pick.substr(0, equals));
        if (!n)
            return usageOf("web-import", err);
        auto support = argToCp(pick.substr(equals + 1), err);
        if (!support)
            return 1;
        picks[*n] = *support;
    }

    catalogue::CatalogueState state;
    if (int status = openForCommand(options.positional[0], state, true, err))
        return status;
    auto supports = state.supportNames();
    for (const auto& [n, support] : picks) {
        if (support != "?" && std::find(supports.begin(), supports.end(), support) == supports.end()) {
            err << table::cp1252ToUtf8(table::cp("Le support ") + support + table::cp(" n'existe pas dans la base"))
                << "\n";
            return 1;
        }
    }

    weblookup::HttpClient client;
    auto results = search(client, options, options.positional[1], err);
    if (!results)
        return 1;
    std::vector<weblookup::ImportItem> items(results->size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].pageAddress = (*results)[i].pageAddress;
        items[i].listedTitle = (*results)[i].title;
    }
    for (const auto& [n, support] : picks) {
        if (n > static_cast<int>(items.size())) {
            err << table::cp1252ToUtf8(table::cp("Le résultat ") + std::to_string(n) + table::cp(" n'existe pas (") +
                                       std::to_string(items.size()) + table::cp(" résultats)"))
                << "\n";
            return 1;
        }
        items[n - 1].ticked = true;
        items[n - 1].support = support;
    }

    weblookup::ImportHooks hooks;
    hooks.confirmDuplicate = [&](const std::string&) { return options.duplicates; };
    auto result = weblookup::importSelection(state, client, *argToCp(options.root, err), items, hooks);
    out << table::cp1252ToUtf8(table::cp("Films ajoutés : ") + std::to_string(result.added)) << "\n";
    for (const auto& notice : result.notices)
        err << table::cp1252ToUtf8(notice) << "\n";
    if (!result.outcome)
        return fail(result.outcome, err);
    return 0;
}

} // namespace cinevaro::cli
