#include "catalogue/FilmTree.h"

#include <algorithm>
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
    auto& t = m_state->table();
    std::string caption = t.GetCell(posRESERVE1, row);
    std::string support = t.GetCell(posRESERVE0, row);
    for (auto& branch : m_model.supports) {
        if (branch.name == support) {
            bool lent = m_ifempField > 0 && table::ParseNumber(t.GetCell(m_ifempField, row)) == 1.0;
            branch.films.push_back({row, caption, lent});
            break;
        }
    }
    ++m_state->FilmCount;
    if (m_state->FilmIndex.size() <= static_cast<std::size_t>(row))
        m_state->FilmIndex.resize(row + 1);
    auto& entry = m_state->FilmIndex[row];
    entry.Caption = std::move(caption);
    entry.Row = row;
    entry.Title = t.GetCell(posTITRE, row);
    entry.Support = std::move(support);
}

FilmTreeModel FilmTreeBuilder::finish()
{
    sortByCaption(m_model.supports, [](const SupportBranch& b) -> const std::string& { return b.name; });
    for (auto& branch : m_model.supports)
        sortByCaption(branch.films, [](const FilmLeaf& f) -> const std::string& { return f.caption; });
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
