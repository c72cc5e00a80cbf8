// Kept versions: the cost of a save of a 10 000-film catalogue with and without them, and the
// room 110 versions (the most the retention rule keeps) take.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "catalogue/CatalogueState.h"
#include "catalogue/Versions.h"
#include "support/BenchSupport.h"

namespace fs = std::filesystem;
using namespace cinevaro::catalogue;

namespace {

// Synopses of random words, so that the packed sizes are those of real text.
std::string words(std::mt19937& rng, int count)
{
    static const char* const dictionary[] = {"le",     "film",   "une",    "histoire", "amour",  "guerre",
                                             "ville",  "nuit",   "homme",  "femme",    "enfant", "police",
                                             "secret", "voyage", "retour", "famille",  "mort",   "vie",
                                             "jour",   "monde",  "temps",  "dernier",  "premier"};
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += dictionary[rng() % std::size(dictionary)];
        out += (rng() % 11 == 0) ? ". " : " ";
    }
    return out;
}

void makeCatalogue(CatalogueState& state, const fs::path& dir, int films)
{
    fs::remove_all(dir);
    fs::create_directories(dir);
    commitNames(state, (dir / "Films.cvo").string());
    cinevaro::testing::mustSucceed(CreateCatalogueFile(state, nullptr));
    std::mt19937 rng(42);
    auto& t = state.table();
    for (int i = 0; i < films; ++i) {
        appendFilmRow(state);
        const std::string title = "FILM " + std::to_string(rng() % 1000000) + " " + std::to_string(i);
        t.SetValue("TITRE", title);
        t.SetValue("RESERVE1", title);
        t.SetValue("REAL", words(rng, 2));
        t.SetValue("ACTEUR", words(rng, 8));
        t.SetValue("RESUME", words(rng, 90));
        t.SetValue("RESERVE0", i % 3 == 0 ? "DVD" : "DivX");
        t.SetValue("DATE", std::to_string(1950 + i % 70));
    }
    cinevaro::testing::mustSucceed(saveCatalogue(state));
}

enum class SaveMode { Plain, Versions, VersionsIdle, VersionsPacked };

// One cell changed and saved, as every window does after a change: by the table alone, through
// saveCatalogue (which keeps a version), or that and waiting until the version is packed.
void saveLoop(benchmark::State& st, const char* folder, SaveMode mode)
{
    CatalogueState state;
    const fs::path dir = fs::temp_directory_path() / folder;
    makeCatalogue(state, dir, 10000);
    int n = 0;
    for (auto _ : st) {
        ++n;
        state.table().SetCell(state.table().FieldIndex("NOMEMP"), 2 + n % 9000, "Paul " + std::to_string(n));
        if (mode == SaveMode::VersionsIdle) {
            // A user saves after the previous version was packed: the worker is idle.
            st.PauseTiming();
            state.Versions->flush();
            st.ResumeTiming();
        }
        if (mode == SaveMode::Plain) {
            benchmark::DoNotOptimize(state.table().SaveToFile(state.CatalogueFileName));
            continue;
        }
        benchmark::DoNotOptimize(saveCatalogue(state, "Pr\xEAt"));
        if (mode == SaveMode::VersionsPacked)
            state.Versions->flush();
    }
    state.Versions.reset(); // waits for the packing, after the timing
    fs::remove_all(dir);
}

void BM_SaveWithoutVersions(benchmark::State& st)
{
    saveLoop(st, "cinevaro-bench-versions-off", SaveMode::Plain);
}
BENCHMARK(BM_SaveWithoutVersions)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_SaveWithVersions(benchmark::State& st)
{
    saveLoop(st, "cinevaro-bench-versions-on", SaveMode::Versions);
}
BENCHMARK(BM_SaveWithVersions)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_SaveWithVersionsIdle(benchmark::State& st)
{
    saveLoop(st, "cinevaro-bench-versions-idle", SaveMode::VersionsIdle);
}
BENCHMARK(BM_SaveWithVersionsIdle)->Unit(benchmark::kMillisecond)->Iterations(40);

// The whole cost of a version, foreground and background.
void BM_SaveWithVersionsPacked(benchmark::State& st)
{
    saveLoop(st, "cinevaro-bench-versions-packed", SaveMode::VersionsPacked);
}
BENCHMARK(BM_SaveWithVersionsPacked)->Unit(benchmark::kMillisecond)->Iterations(40);

// 110 changes on 110 days: every version is kept; the room they take in all.
void BM_RoomOfTheKeptVersions(benchmark::State& st)
{
    for (auto _ : st) {
        CatalogueState state;
        const fs::path dir = fs::temp_directory_path() / "cinevaro-bench-versions-room";
        makeCatalogue(state, dir, 10000);
        std::int64_t clock = 1'700'000'000;
        VersionStore::setClockForTesting([&clock] { return clock; });
        for (int i = 0; i < 110; ++i) {
            clock += 86400 / 2;
            state.table().SetCell(state.table().FieldIndex("NOMEMP"), 2 + i * 37 % 9000, "Paul");
            cinevaro::testing::mustSucceed(saveCatalogue(state, "Pr\xEAt"));
        }
        state.Versions->flush();
        std::uintmax_t total = 0;
        for (const auto& item : fs::recursive_directory_iterator(dir / "Films.versions"))
            if (item.is_regular_file())
                total += item.file_size();
        st.counters["catalogue_MB"] = static_cast<double>(fs::file_size(dir / "Films.cvo")) / 1e6;
        st.counters["versions_MB"] = static_cast<double>(total) / 1e6;
        st.counters["versions"] = static_cast<double>(state.Versions->list().size());
        VersionStore::setClockForTesting(nullptr);
        state.Versions.reset();
        fs::remove_all(dir);
    }
}
BENCHMARK(BM_RoomOfTheKeptVersions)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
