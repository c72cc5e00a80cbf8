// The film tree as plain data: the root caption, the supports in caption order, and under each
// the films of the rows whose support is exactly its name, in caption order. The main window
// and `cinevaro-cli list --tree` both show what this builds.
//
// Building: FilmTreeBuilder::begin (root, parsed supports, row count for the film count),
// add(row) for each row to show (records the row in FilmIndex and counts it), finish() (sorts
// every level once). buildFilmTree does the three for every row of the table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cinevaro::catalogue {

class CatalogueState;

struct FilmLeaf
{
    int row = 0;
    std::string caption; // RESERVE1
    bool lent = false;   // IFEMP reads as 1
};

struct SupportBranch
{
    int number = 0; // 1-based position in the support list
    std::string name;
    std::vector<FilmLeaf> films;
};

struct FilmTreeModel
{
    std::string rootCaption;
    std::vector<SupportBranch> supports; // caption order after finish()
    int filmTotal = 0;                   // N of the film-count text
};

class FilmTreeBuilder
{
public:
    // Empties FilmCount, parses the support list (numbers set), records the row count.
    void begin(CatalogueState& state, const std::string& rootCaption);
    // Adds the film of a row under its support (none when the support matches no name exactly),
    // writes FilmIndex[row] and counts the row. Row 0 does nothing.
    void add(int row);
    // Sorts supports and films by caption (word sort) and hands the model over.
    FilmTreeModel finish();

    const FilmTreeModel& model() const { return m_model; }

private:
    // Places the films of each branch in caption order.
    void sortFilms();

    CatalogueState* m_state = nullptr;
    FilmTreeModel m_model;
    int m_ifempField = 0;
    // Word order of the captions, kept between builds in 4 bytes a row: the place of each row's
    // caption among all captions at the last build of every row (0: none). A later build (a
    // filter, a keystroke of the search) sorts by it while no row it adds has a caption other
    // than the one FilmIndex kept for it; otherwise it computes the sort keys again.
    std::vector<std::uint32_t> m_rank; // by row
    bool m_ranksValid = false;
    int m_added = 0;       // rows added since begin()
    bool m_inOrder = true; // and they were rows 1, 2, 3...
};

// The full tree of the catalogue (every row).
FilmTreeModel buildFilmTree(CatalogueState& state, const std::string& rootCaption);
// The tree of a catalogue holding only its header row: root and SupportGroups as they are.
FilmTreeModel defaultFilmTree(CatalogueState& state, const std::string& rootCaption);

// Row of the first FilmIndex entry (rows 1..RowCount) whose caption equals `caption`, 0 if none.
int findFilmRowByCaption(const CatalogueState& state, const std::string& caption);

// "Il y a N films dans la base de donnée" (Windows-1252).
std::string filmCountText(int n);
// Rows of the table less the header row (row 1 with an empty TITRE).
int filmTotal(const CatalogueState& state);

// The tree as text, one node a line, two spaces of indentation per level (Windows-1252).
std::string formatFilmTree(const FilmTreeModel& model);

// Root caption used when no settings are read.
std::string defaultRootCaption();

} // namespace cinevaro::catalogue
