// A catalogue for the output tests: header row plus films whose every exported field differs.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

namespace cinevaro::testing {

struct FilmData
{
    std::string titre; // TITRE and RESERVE1, UTF-8
    std::string acteurs = "Acteur A;Acteur B";
    std::string resume = "Un résumé assez long pour passer sur plusieurs lignes dans la boîte du synopsis.";
};

// Creates Films.cvo in `dir` with the header row and the films, in this order, and saves it.
inline void makeCatalogue(catalogue::CatalogueState& state, const TempDir& dir, const std::vector<FilmData>& films)
{
    ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("Films.cvo"), nullptr));
    auto& t = state.table();
    int n = 0;
    for (const auto& film : films) {
        ++n;
        const std::string k = std::to_string(n);
        catalogue::appendFilmRow(state);
        t.SetValue("TITRE", table::cp(film.titre));
        t.SetValue("RESERVE1", table::cp(film.titre));
        t.SetValue("REAL", table::cp("Réalisateur " + k));
        t.SetValue("DATE", std::to_string(1990 + n));
        t.SetValue("ORIGINE", table::cp("Origine " + k));
        t.SetValue("DUREE", std::to_string(90 + n) + " mn");
        t.SetValue("GENRE", table::cp("Genre " + k));
        t.SetValue("RESERVE0", "DVD");
        t.SetValue("DISTRIB", table::cp("Distributeur " + k));
        t.SetValue("ACTEUR", table::cp(film.acteurs));
        t.SetValue("RESUME", table::cp(film.resume));
    }
    ASSERT_TRUE(catalogue::saveCatalogue(state));
}

inline std::vector<FilmData> films(int count)
{
    static const char* titles[] = {"Amélie", "Brazil", "Casablanca", "Delicatessen", "Elephant Man", "Fargo"};
    std::vector<FilmData> list;
    for (int i = 0; i < count; ++i)
        list.push_back({titles[i % 6]});
    return list;
}

} // namespace cinevaro::testing
