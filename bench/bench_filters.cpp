// Filters and search on a 10 000-film catalogue: the core scan alone, then a filter chosen from
// the menu and one keystroke in the search window, each with its tree rebuild (offscreen); the
// "Painted" cases also let the event loop lay out and paint the tree after each step.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

#include <benchmark/benchmark.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Filters.h"
#include "catalogue/Settings.h"
#include "support/BenchSupport.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "ui/TfrmBase.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/kit/Text.h"

using namespace cinevaro;

namespace {

constexpr int kFilms = 10000;
// A catalogue of `films` films over three supports, recorded as the last one.
void writeCatalogue(const cinevaro::testing::TempDir& dir, int films)
{
    cinevaro::testing::writeWordTitleCatalogue(dir.path().string(), films, 11);
}

struct Window
{
    cinevaro::testing::TempDir dir;
    catalogue::CatalogueState state;
    cinevaro::testing::ScriptedPrompts prompts;
    std::unique_ptr<ui::TfrmBase> window;

    Window()
    {
        writeCatalogue(dir, kFilms);
        window = std::make_unique<ui::TfrmBase>(state, prompts, dir.path().string() + "/");
        window->createSecondaryWindows();
        window->resize(900, 620);
        window->show();
        // Show a film so the filters have a value.
        QTreeWidgetItem* film = window->TreeFilm->rootNode()->child(0)->child(0);
        window->TreeFilm->setCurrentItem(film);
    }
};

// Built once for every benchmark, destroyed before the application.
std::unique_ptr<Window> g_window;

Window& shared()
{
    if (!g_window)
        g_window = std::make_unique<Window>();
    return *g_window;
}

void BM_ScanGenre(benchmark::State& st)
{
    Window& w = shared();
    for (auto _ : st)
        benchmark::DoNotOptimize(
            catalogue::applyFieldFilter(w.state.table(), catalogue::FieldFilter::Genre, table::cp("Comédie")));
}
BENCHMARK(BM_ScanGenre)->Unit(benchmark::kMillisecond);

// The genre filter chosen from the menu: scan, tree rebuilt with about 1 000 films, expanded.
void BM_FilterGenreFromMenu(benchmark::State& st)
{
    Window& w = shared();
    for (auto _ : st)
        w.window->mnuFiltreGenre->trigger();
    st.counters["films"] = static_cast<double>(w.window->treeModel().supports.at(0).films.size() +
                                               w.window->treeModel().supports.at(1).films.size() +
                                               w.window->treeModel().supports.at(2).films.size());
    w.window->AucunFiltre1->trigger();
}
BENCHMARK(BM_FilterGenreFromMenu)->Unit(benchmark::kMillisecond);

// One keystroke in the search window, alternating between a wide and a narrower text.
void BM_SearchKeystroke(benchmark::State& st)
{
    Window& w = shared();
    QLineEdit* edit = w.window->frmCherchebase->editRecherche;
    const QString texts[] = {QStringLiteral("ombre"), QStringLiteral("ombre n")};
    int i = 0;
    for (auto _ : st)
        edit->setText(texts[i++ % 2]);
    edit->clear();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

// The worst keystroke: a text every film matches, so the whole tree comes back.
void BM_SearchKeystrokeAllFilms(benchmark::State& st)
{
    Window& w = shared();
    QLineEdit* edit = w.window->frmCherchebase->editRecherche;
    const QString texts[] = {QStringLiteral("e"), QStringLiteral(" ")};
    int i = 0;
    for (auto _ : st)
        edit->setText(texts[i++ % 2]);
    edit->clear();
}
BENCHMARK(BM_SearchKeystrokeAllFilms)->Unit(benchmark::kMillisecond);

// The same keystrokes, each followed by what the event loop does before the next one: the view
// lays the tree out again and paints it (what the user waits for).
void typeInTurnPainted(benchmark::State& st, const QString (&texts)[2])
{
    QLineEdit* edit = shared().window->frmCherchebase->editRecherche;
    int i = 0;
    for (auto _ : st) {
        edit->setText(texts[i++ % 2]);
        QApplication::processEvents();
    }
    edit->clear();
    QApplication::processEvents();
}

void BM_SearchKeystrokeAllFilmsPainted(benchmark::State& st)
{
    typeInTurnPainted(st, {QStringLiteral("e"), QStringLiteral(" ")});
}
BENCHMARK(BM_SearchKeystrokeAllFilmsPainted)->Unit(benchmark::kMillisecond);

// A narrowing keystroke, then the one that brings every film back (the text emptied), painted.
void BM_SearchNarrowThenAllPainted(benchmark::State& st)
{
    typeInTurnPainted(st, {QStringLiteral("ombre"), QString()});
}
BENCHMARK(BM_SearchNarrowThenAllPainted)->Unit(benchmark::kMillisecond);

// A filter from the menu and "Aucun Filtre" in turn: every other step brings the full tree back.
void BM_FilterThenNoFilterPainted(benchmark::State& st)
{
    Window& w = shared();
    int i = 0;
    for (auto _ : st) {
        if (i++ % 2 == 0)
            w.window->mnuFiltreGenre->trigger();
        else
            w.window->AucunFiltre1->trigger();
        QApplication::processEvents();
    }
    w.window->AucunFiltre1->trigger();
    QApplication::processEvents();
}
BENCHMARK(BM_FilterThenNoFilterPainted)->Unit(benchmark::kMillisecond);

// "Rafraichir": the full tree rebuilt, selection and expansion kept, painted.
void BM_RefreshPainted(benchmark::State& st)
{
    Window& w = shared();
    for (auto _ : st) {
        w.window->Rafraichir1Click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshPainted)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
