// Opening a realistic catalogue end to end: load, complete the schema, normalise, sort, save.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "catalogue/CatalogueState.h"
#include "support/BenchSupport.h"

namespace fs = std::filesystem;
using namespace cinevaro::catalogue;

namespace {

// A catalogue of `films` films with 600-byte synopses and 8 actors, in random title order.
std::string makeCatalogue(int films)
{
    auto dir = fs::temp_directory_path() / ("cinevaro-bench-" + std::to_string(films));
    fs::create_directories(dir);
    auto path = (dir / "Films.cvo").string();
    CatalogueState state;
    commitNames(state, path);
    cinevaro::testing::mustSucceed(CreateCatalogueFile(state, nullptr));
    std::mt19937 rng(42);
    auto& t = state.table();
    for (int i = 0; i < films; ++i) {
        appendFilmRow(state);
        std::string title = "FILM " + std::to_string(rng() % 1000000) + " " + std::to_string(i);
        cinevaro::testing::setBenchFilm(t, i, title);
        t.SetValue("IFEMP", "0");
    }
    cinevaro::testing::mustSucceed(saveCatalogue(state));
    return path;
}

void BM_OpenCatalogue(benchmark::State& st)
{
    auto path = makeCatalogue(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        CatalogueState state;
        commitNames(state, path);
        auto outcome = OpenCatalogue(state);
        benchmark::DoNotOptimize(outcome);
    }
    fs::remove_all(fs::path(path).parent_path());
}
BENCHMARK(BM_OpenCatalogue)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
