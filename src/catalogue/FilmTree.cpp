#include "catalogue/FilmTree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "catalogue/CatalogueState.h"
#include "catalogue/WordCompare.h"
#include "table/Cp1252.h"

namespace cinevaro::catalogue {

namespace {

template <typename T, typename Caption> void sortByCaption(std::vector<T>& items, Caption caption)
{
    if (items.size() < 2)
        return;
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        keys.emplace_back(wordSortKey(caption(items[i])), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& k : keys)
        sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}

void supportSkeleton(CatalogueState& state, FilmTreeModel& model)
{
    model.supports.clear();
    int number = 0;
    for (auto& s : state.SupportGroups) {
        if (s.Name.empty())
            break;
        s.Number = ++number;
        model.supports.push_back({number, s.Name, {}});
    }
}

} // namespace

int filmTotal(const CatalogueState& state)
{
    const auto& t = state.table();
    int n = t.RowCount();
    if (n > 0 && t.GetCell(posTITRE, 1).empty())
        --n;
    return n;
}

void FilmTreeBuilder::begin(CatalogueState& state, const std::string& rootCaption)
{
    m_state = &state;
    m_model = FilmTreeModel{};
    m_model.rootCaption = rootCaption;
    state.FilmCount = 0;
    ParseSupportList(state);
    supportSkeleton(state, m_model);
    m_model.filmTotal = filmTotal(state);
    m_ifempField = state.table().FieldIndex("IFEMP");
    if (state.FilmIndex.size() < static_cast<std::size_t>(state.table().RowCount()) + 1)
        state.FilmIndex.resize(state.table().RowCount() + 1);
}

void FilmTreeBuilder::add(int row)
{
    if (row <= 0 || !m_state)
        return;
    const auto& t = m_state->table();
    const std::string& caption = t.Cell(posRESERVE1, row);
    const std::string& support = t.Cell(posRESERVE0, row);
    for (auto& branch : m_model.supports) {
        if (branch.name == support) {
            const bool lent = m_ifempField > 0 && table::ParseNumber(t.Cell(m_ifempField, row)) == 1.0;
            branch.films.push_back({row, caption, lent});
            break;
        }
    }
    ++m_state->FilmCount;
    if (m_state->FilmIndex.size() <= static_cast<std::size_t>(row))
        m_state->FilmIndex.resize(row + 1);
    // Assigned in place: a rebuild of the same rows reuses the entries' storage.
    auto& entry = m_state->FilmIndex[row];
    entry.Caption.assign(caption);
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%d", row);
    entry.Row.assign(digits, static_cast<std::size_t>(length));
    entry.Title.assign(t.Cell(posTITRE, row));
    entry.Support.assign(support);
}

const std::string& FilmTreeBuilder::sortKey(int row, const std::string& caption)
{
    CachedKey& cached = m_keys[static_cast<std::size_t>(row)];
    // The key is a function of the caption followed by the caption: same tail, same caption.
    const bool same = cached.captionSize == caption.size() && cached.key.size() >= caption.size() &&
                      cached.key.compare(cached.key.size() - caption.size(), caption.size(), caption) == 0 &&
                      !cached.key.empty();
    if (!same) {
        cached.key = wordSortKey(caption);
        cached.captionSize = caption.size();
    }
    return cached.key;
}

FilmTreeModel FilmTreeBuilder::finish()
{
    sortByCaption(m_model.supports, [](const SupportBranch& b) -> const std::string& { return b.name; });
    // Sized once: the keys are taken by address while sorting.
    std::size_t rows = m_keys.size();
    for (const auto& branch : m_model.supports)
        for (const auto& film : branch.films)
            rows = std::max(rows, static_cast<std::size_t>(film.row) + 1);
    m_keys.resize(rows);
    std::vector<std::pair<const std::string*, std::size_t>> keys;
    std::vector<FilmLeaf> sorted;
    for (auto& branch : m_model.supports) {
        auto& films = branch.films;
        if (films.size() < 2)
            continue;
        keys.clear();
        keys.reserve(films.size());
        for (std::size_t i = 0; i < films.size(); ++i)
            keys.emplace_back(&sortKey(films[i].row, films[i].caption), i);
        std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
        sorted.clear();
        sorted.reserve(films.size());
        for (const auto& k : keys)
            sorted.push_back(std::move(films[k.second]));
        films.swap(sorted);
    }
    return std::move(m_model);
}

FilmTreeModel buildFilmTree(CatalogueState& state, const std::string& rootCaption)
{
    FilmTreeBuilder builder;
    builder.begin(state, rootCaption);
    int rows = state.table().RowCount();
    for (int row = 1; row <= rows; ++row)
        builder.add(row);
    return builder.finish();
}

FilmTreeModel defaultFilmTree(CatalogueState& state, const std::string& rootCaption)
{
    FilmTreeModel model;
    model.rootCaption = rootCaption;
    supportSkeleton(state, model);
    sortByCaption(model.supports, [](const SupportBranch& b) -> const std::string& { return b.name; });
    model.filmTotal = state.CatalogueTable ? filmTotal(state) : 0;
    return model;
}

int findFilmRowByCaption(const CatalogueState& state, const std::string& caption)
{
    int rows = state.table().RowCount();
    int last = std::min<int>(rows, static_cast<int>(state.FilmIndex.size()) - 1);
    for (int i = 1; i <= last; ++i) {
        const auto& entry = state.FilmIndex[i];
        if (entry.Caption == caption && !entry.Row.empty())
            return std::atoi(entry.Row.c_str());
    }
    return 0;
}

std::string filmCountText(int n)
{
    return "Il y a " + std::to_string(n) + table::cp(" films dans la base de donnée");
}

std::string formatFilmTree(const FilmTreeModel& model)
{
    std::string out = model.rootCaption + "\n";
    for (const auto& branch : model.supports) {
        out += "  " + branch.name + "\n";
        for (const auto& film : branch.films)
            out += "    " + film.caption + "\n";
    }
    return out;
}

std::string defaultRootCaption()
{
    return table::cp("Ma Vidéothèque");
}

} // namespace cinevaro::catalogue
