// What the benchmarks share: the film they fill their catalogues with, so that every benchmark
// measures the same kind of record, and the check of their setting-up steps.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogue/Outcome.h"
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

} // namespace cinevaro::testing
