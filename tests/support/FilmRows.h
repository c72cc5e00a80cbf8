// Building small catalogues for tests: a new catalogue file with films appended and saved.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "table/Cp1252.h"

namespace cinevaro::testing {

using FieldValues = std::initializer_list<std::pair<const char*, const char*>>;

// Appends a film whose values are given as UTF-8 literals; returns its row.
inline int addFilm(catalogue::CatalogueState& state, FieldValues values)
{
    const int row = catalogue::appendFilmRow(state);
    for (const auto& [field, value] : values)
        state.table().SetValue(field, table::cp(value));
    return row;
}

// A film with its title (TITRE and RESERVE1) and support.
inline int addFilm(catalogue::CatalogueState& state, const char* title, const char* support)
{
    return addFilm(state, {{"TITRE", title}, {"RESERVE1", title}, {"RESERVE0", support}});
}

// Creates `path` as a new catalogue (header row, default supports) in `state`.
inline void newCatalogueAt(catalogue::CatalogueState& state, const std::string& path)
{
    auto created = catalogue::newCatalogue(state, path, nullptr);
    ASSERT_TRUE(created.ok) << created.message;
}

// Saves and reopens (normalised and sorted by TITRE) as the program does after a change.
inline void saveAndReopen(catalogue::CatalogueState& state)
{
    auto saved = catalogue::saveCatalogue(state);
    ASSERT_TRUE(saved.ok) << saved.message;
    auto opened = catalogue::OpenCatalogue(state);
    ASSERT_TRUE(opened.ok) << opened.message;
}

} // namespace cinevaro::testing
