#include "catalogue/FilmTree.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

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
    m_added = 0;
    m_inOrder = true;
}

void FilmTreeBuilder::add(int row)
{
    if (row <= 0 || !m_state)
        return;
    const auto& t = m_state->table();
    const std::string_view caption = t.Cell(posRESERVE1, row);
    const std::string_view support = t.Cell(posRESERVE0, row);
    for (auto& branch : m_model.supports) {
        if (branch.name == support) {
            const bool lent = m_ifempField > 0 && table::ParseNumber(std::string(t.Cell(m_ifempField, row))) == 1.0;
            branch.films.push_back({row, std::string(caption), lent});
            break;
        }
    }
    ++m_state->FilmCount;
    if (m_state->FilmIndex.size() <= static_cast<std::size_t>(row))
        m_state->FilmIndex.resize(row + 1);
    // Assigned in place: a rebuild of the same rows reuses the entries' storage.
    auto& entry = m_state->FilmIndex[row];
    if (m_ranksValid && (static_cast<std::size_t>(row) >= m_rank.size() || m_rank[static_cast<std::size_t>(row)] == 0 ||
                         entry.Caption != caption))
        m_ranksValid = false;
    m_inOrder = m_inOrder && row == m_added + 1;
    ++m_added;
    entry.Caption.assign(caption);
    entry.Row = row;
    entry.Title.assign(t.Cell(posTITRE, row));
    entry.Support.assign(support);
}

void FilmTreeBuilder::sortFilms()
{
    std::vector<std::pair<std::uint32_t, std::size_t>> order;
    std::vector<FilmLeaf> sorted;
    const auto sortBranch = [&](std::vector<FilmLeaf>& films, const auto& rankOf) {
        if (films.size() < 2)
            return;
        order.clear();
        order.reserve(films.size());
        for (std::size_t i = 0; i < films.size(); ++i)
            order.emplace_back(rankOf(i), i);
        std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        sorted.clear();
        sorted.reserve(films.size());
        for (const auto& o : order)
            sorted.push_back(std::move(films[o.second]));
        films.swap(sorted);
    };
    if (m_ranksValid) {
        for (auto& branch : m_model.supports)
            sortBranch(branch.films,
                       [&](std::size_t i) { return m_rank[static_cast<std::size_t>(branch.films[i].row)]; });
        return;
    }
    // The keys of every film shown, in one buffer (given back whole once sorted).
    std::string keys;
    std::vector<std::pair<std::size_t, std::size_t>> spans; // offset, size, films in branch order
    std::size_t films = 0, bytes = 0;
    for (const auto& branch : m_model.supports)
        for (const auto& film : branch.films) {
            ++films;
            bytes += 4 * film.caption.size() + 3; // the key's size unless letters count twice
        }
    keys.reserve(bytes);
    spans.reserve(films);
    for (const auto& branch : m_model.supports)
        for (const auto& film : branch.films) {
            const std::size_t start = keys.size();
            appendWordSortKey(keys, film.caption);
            spans.emplace_back(start, keys.size() - start);
        }
    const auto keyOf = [&](std::size_t span) {
        return std::string_view(keys).substr(spans[span].first, spans[span].second);
    };
    // Every film in word order (equal captions keep their row order), then its place.
    std::vector<std::uint32_t> all(spans.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(all.begin(), all.end(), [&](std::uint32_t a, std::uint32_t b) { return keyOf(a) < keyOf(b); });
    std::vector<std::uint32_t> place(spans.size());
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i == 0 || keyOf(all[i]) != keyOf(all[i - 1]))
            ++rank;
        place[all[i]] = rank;
    }
    const bool everyRow = m_inOrder && m_added == m_state->table().RowCount();
    if (everyRow)
        m_rank.assign(static_cast<std::size_t>(m_added) + 1, 0);
    std::size_t first = 0;
    for (auto& branch : m_model.supports) {
        if (everyRow)
            for (std::size_t i = 0; i < branch.films.size(); ++i)
                m_rank[static_cast<std::size_t>(branch.films[i].row)] = place[first + i];
        sortBranch(branch.films, [&](std::size_t i) { return place[first + i]; });
        first += branch.films.size();
    }
    m_ranksValid = everyRow;
}

FilmTreeModel FilmTreeBuilder::finish()
{
    sortByCaption(m_model.supports, [](const SupportBranch& b) -> const std::string& { return b.name; });
    sortFilms();
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
    model.filmTotal = filmTotal(state);
    return model;
}

int findFilmRowByCaption(const CatalogueState& state, const std::string& caption)
{
    int rows = state.table().RowCount();
    int last = std::min<int>(rows, static_cast<int>(state.FilmIndex.size()) - 1);
    for (int i = 1; i <= last; ++i) {
        const auto& entry = state.FilmIndex[i];
        if (entry.Caption == caption && entry.Row > 0)
            return entry.Row;
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
