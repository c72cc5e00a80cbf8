// What the benchmarks share: the film they fill their catalogues with, so that every benchmark
// measures the same kind of record, and the check of their setting-up steps.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include <random>

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"
#include "catalogue/Settings.h"
#include "table/Cp1252.h"
#include "table/TMlb2.h"

namespace cinevaro::testing {

// A step that prepares or repeats a measurement must work: otherwise the run stops with its
// message rather than timing something else.
inline void mustSucceed(const catalogue::Outcome& outcome)
{
    if (outcome)
        return;
    std::fprintf(stderr, "benchmark step failed: %s\n", outcome.message.c_str());
    std::exit(1);
}

// Fills the current row of `t` as film number `i` titled `title` (TITRE and RESERVE1): 8 actors,
// a 600-byte synopsis, DVD for one film in three and DivX otherwise.
inline void setBenchFilm(table::TMlb2& t, int i, const std::string& title)
{
    t.SetValue("TITRE", title);
    t.SetValue("RESERVE1", title);
    t.SetValue("REAL", "Jean-Pierre R\xE9"
                       "alisateur");
    t.SetValue("DATE", std::to_string(1950 + i % 70));
    t.SetValue("ORIGINE", "Fran\xE7"
                          "ais");
    t.SetValue("GENRE", "Drame");
    t.SetValue("DUREE", "1H45");
    t.SetValue("ACTEUR", "Acteur Un;Actrice Deux;Acteur Trois;Actrice Quatre;Acteur Cinq;Actrice Six;"
                         "Acteur Sept;Actrice Huit");
    t.SetValue("RESUME", std::string(600, 'x'));
    t.SetValue("DISTRIB", "GAUMONT");
    t.SetValue("RESERVE0", i % 3 == 0 ? "DVD" : "DivX");
}

// Writes `folder`/Films.cvo with `films` films over DivX, DVD and VHS, titled with two words of a
// small French list drawn from `seed` and the film's number, with varied directors, genres and
// actors and one film in eleven lent; records it as the last catalogue in `folder`/Cinevaro.ini.
// Returns the catalogue's path.
inline std::string writeWordTitleCatalogue(const std::string& folder, int films, unsigned seed)
{
    static const char* const words[] = {"Le",        "La",     "Nuit",     "Soleil",   "Retour",  "Dernier",
                                        "\xC9t\xE9", "Ombre",  "Alien",    "Voyage",   "Cit\xE9", "Mort",
                                        "Amour",     "Guerre", "R\xEAves", "\xC9toile"};
    static const char* const genres[] = {"Drame",
                                         "Com\xE9"
                                         "die",
                                         "Western",
                                         "Science-fiction",
                                         "Policier",
                                         "Horreur",
                                         "Aventure",
                                         "Animation",
                                         "Documentaire",
                                         "Guerre"};
    static const char* const supports[] = {"DivX", "DVD", "VHS"};
    catalogue::CatalogueState state;
    const std::string path = folder + "/Films.cvo";
    mustSucceed(catalogue::newCatalogue(state, path, nullptr));
    std::mt19937 rng(seed);
    for (int i = 0; i < films; ++i) {
        const std::string title = std::string(words[rng() % 16]) + " " + words[rng() % 16] + " " + std::to_string(i);
        catalogue::appendFilmRow(state);
        auto& t = state.table();
        t.SetValue("TITRE", title);
        t.SetValue("RESERVE1", title);
        t.SetValue("RESERVE0", supports[i % 3]);
        t.SetValue("REAL", "R\xE9"
                           "alisateur " +
                               std::to_string(i % 97));
        t.SetValue("GENRE", genres[i % 10]);
        t.SetValue("ACTEUR", "Acteur " + std::to_string(i % 300) + ";Acteur B;Acteur C");
        t.SetValue("IFEMP", i % 11 == 0 ? "1" : "0");
    }
    mustSucceed(catalogue::saveCatalogue(state));
    catalogue::Settings(folder + "/Cinevaro.ini").writeString("GENERAL", "FICHIERBASE", path);
    return path;
}

} // namespace cinevaro::testing
