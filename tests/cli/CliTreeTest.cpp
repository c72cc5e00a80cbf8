// cinevaro-cli list --tree: the tree of the main window as indented text.
#include "cli/Cli.h"

#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "support/FilmRows.h"
#include "support/TempDir.h"

using namespace cinevaro::testing;

TEST(CliTreeTest, ListTreeShowsRootSupportsAndFilmsInTreeOrder)
{
    TempDir dir;
    cinevaro::catalogue::CatalogueState state;
    const auto path = dir.file("Films.cvo");
    newCatalogueAt(state, path);
    addFilm(state, "Zodiac", "DVD");
    addFilm(state, "été", "DVD");
    addFilm(state, "Alien", "DVD");
    addFilm(state, "Brazil", "VHS");
    addFilm(state, "Sans support", "Laser");
    saveAndReopen(state);

    std::ostringstream out, err;
    ASSERT_EQ(cinevaro::cli::run({"list", path, "--tree"}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "Ma Vidéothèque\n  DivX\n  DVD\n    Alien\n    été\n    Zodiac\n  VHS\n    Brazil\n");
    EXPECT_EQ(cinevaro::cli::run({"list", "--tree"}, out, err), 2);
}
