// Saving an edited record in a catalogue of 1 000 films, as "Enregistrer Fiche" does: store the
// boxes, save the file, reopen it, then refresh the tree (the core tree model, and the main
// window's own refresh).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "catalogue/CatalogueState.h"
#include "catalogue/FilmTree.h"
#include "catalogue/Settings.h"
#include "editing/RecordEdit.h"
#include "support/BenchSupport.h"
#include "ui/QtPrompts.h"
#include "ui/TfrmBase.h"

namespace fs = std::filesystem;
using namespace cinevaro;

namespace {

fs::path benchDir()
{
    static const fs::path dir = [] {
        auto d = fs::temp_directory_path() / "cinevaro-bench-editing";
        fs::remove_all(d);
        fs::create_directories(d);
        setenv("CINEVARO_INI", (d / "Cinevaro.ini").c_str(), 1);
        return d;
    }();
    return dir;
}

// A catalogue of `films` films with 600-byte synopses and 8 actors, in random title order.
std::string makeCatalogue(int films)
{
    const std::string path = (benchDir() / "Films.cvo").string();
    catalogue::CatalogueState state;
    cinevaro::testing::mustSucceed(catalogue::newCatalogue(state, path, nullptr));
    std::mt19937 rng(42);
    auto& t = state.table();
    for (int i = 0; i < films; ++i) {
        catalogue::appendFilmRow(state);
        const std::string title = "FILM " + std::to_string(rng() % 1000000) + " " + std::to_string(i);
        cinevaro::testing::setBenchFilm(t, i, title);
    }
    cinevaro::testing::mustSucceed(catalogue::saveCatalogue(state));
    return path;
}

void openCatalogue(catalogue::CatalogueState& state, const std::string& path)
{
    catalogue::commitNames(state, path);
    cinevaro::testing::mustSucceed(catalogue::OpenCatalogue(state));
    catalogue::ParseSupportList(state);
}

// Save and reopen only.
void BM_SaveEditedRecord1000(benchmark::State& bs)
{
    catalogue::CatalogueState state;
    openCatalogue(state, makeCatalogue(1000));
    int row = 500;
    int n = 0;
    for (auto _ : bs) {
        editing::RecordValues values = editing::loadRecord(state, row);
        values.real = "Autre " + std::to_string(++n);
        cinevaro::testing::mustSucceed(editing::saveRecord(state, row, values, ""));
        row = state.CurrentRow;
    }
}
BENCHMARK(BM_SaveEditedRecord1000)->Unit(benchmark::kMillisecond);

// Save, reopen and the tree model the main window shows.
void BM_SaveEditedRecordAndTreeModel1000(benchmark::State& bs)
{
    catalogue::CatalogueState state;
    openCatalogue(state, makeCatalogue(1000));
    int row = 500;
    int n = 0;
    for (auto _ : bs) {
        editing::RecordValues values = editing::loadRecord(state, row);
        values.real = "Autre " + std::to_string(++n);
        cinevaro::testing::mustSucceed(editing::saveRecord(state, row, values, ""));
        row = state.CurrentRow;
        benchmark::DoNotOptimize(catalogue::buildFilmTree(state, "Ma Vid\xE9oth\xE8que"));
    }
}
BENCHMARK(BM_SaveEditedRecordAndTreeModel1000)->Unit(benchmark::kMillisecond);

// Save, reopen and the main window's refresh ("Rafraichir": tree widget rebuilt, selection kept).
void BM_SaveEditedRecordAndWindowRefresh1000(benchmark::State& bs)
{
    const std::string path = makeCatalogue(1000);
    catalogue::Settings(std::getenv("CINEVARO_INI")).writeString("GENERAL", "FICHIERBASE", path);
    catalogue::CatalogueState state;
    ui::QtPrompts prompts;
    ui::TfrmBase window(state, prompts, benchDir().string() + "/");
    window.selectNode(window.TreeFilm->nodeAt(5));
    int row = 500;
    int n = 0;
    for (auto _ : bs) {
        editing::RecordValues values = editing::loadRecord(state, row);
        values.real = "Autre " + std::to_string(++n);
        cinevaro::testing::mustSucceed(editing::saveRecord(state, row, values, ""));
        row = state.CurrentRow;
        window.Rafraichir1Click();
    }
}
BENCHMARK(BM_SaveEditedRecordAndWindowRefresh1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    benchDir();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
