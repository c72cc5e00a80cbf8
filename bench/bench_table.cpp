// The table engine on realistic catalogues: load, save and sort of 1 000 and 10 000 films.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "support/BenchSupport.h"
#include "table/TMlb2.h"

namespace fs = std::filesystem;
using cinevaro::table::TMlb2;

namespace {

const char* const kFields[] = {
    "TITRE",     "REAL",        "DATE",        "ORIGINE",    "GENRE",    "DUREE",    "ACTEUR",   "RESUME",
    "DISTRIB",   "SON",         "VIDEO",       "RESERVE0",   "RESERVE1", "RESERVE2", "RESERVE3", "RESERVE4",
    "RESERVE5",  "RESERVE6",    "RESERVE7",    "RESERVE8",   "RESERVE9", "IFEMP",    "NOMEMP",   "LISTEMP",
    "DATEMP",    "FORMATVIDEO", "FORMATAUDIO", "RESOLUTION", "ZONE",     "BITVIDEO", "BITAUDIO", "SIZE",
    "FREQUENCE", "LANGUEP",     "LANGUES",     "SOUSTITRE",  "NBDISK"};

// `films` films with 600-byte synopses and 8 actors; one title in `tieEvery` repeats an earlier one.
TMlb2 makeCatalogue(int films, int tieEvery)
{
    TMlb2 t;
    for (const char* name : kFields)
        t.AddField(name);
    std::mt19937 rng(42);
    std::vector<std::string> titles;
    for (int i = 0; i < films; ++i) {
        t.AppendRow();
        std::string title = tieEvery && i > 0 && i % tieEvery == 0 ? titles[rng() % titles.size()]
                                                                   : "FILM " + std::to_string(rng() % 1000000);
        titles.push_back(title);
        cinevaro::testing::setBenchFilm(t, i, title);
        t.SetValue("IFEMP", "0");
        t.SetValue("FORMATVIDEO", "XviD");
        t.SetValue("RESOLUTION", "720x576");
        t.SetValue("LANGUEP", "Fran\xE7"
                              "ais");
        t.SetValue("NBDISK", "1");
    }
    return t;
}

std::string benchFile(int films)
{
    const fs::path dir = fs::temp_directory_path() / "cinevaro-bench-table";
    fs::create_directories(dir);
    return (dir / ("films" + std::to_string(films) + ".cvo")).string();
}

void BM_LoadFromFile(benchmark::State& state)
{
    const int films = static_cast<int>(state.range(0));
    const std::string path = benchFile(films);
    makeCatalogue(films, 0).SaveToFile(path);
    for (auto _ : state) {
        TMlb2 t;
        if (!t.LoadFromFile(path))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(t.RowCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
}

// Parsing alone, the file already in memory.
void BM_LoadFromBuffer(benchmark::State& state)
{
    const std::string bytes = makeCatalogue(static_cast<int>(state.range(0)), 0).SaveToBuffer();
    for (auto _ : state) {
        TMlb2 t;
        t.LoadFromBuffer(bytes);
        benchmark::DoNotOptimize(t.RowCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// What every open does before deciding not to write the file again: compare the table with the
// bytes read.
void BM_SerialisesTo(benchmark::State& state)
{
    const TMlb2 t = makeCatalogue(static_cast<int>(state.range(0)), 0);
    const std::string bytes = t.SaveToBuffer();
    for (auto _ : state)
        if (!t.SerialisesTo(bytes))
            state.SkipWithError("not the same bytes");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_SaveToFile(benchmark::State& state)
{
    const int films = static_cast<int>(state.range(0));
    const std::string path = benchFile(films);
    TMlb2 t = makeCatalogue(films, 0);
    for (auto _ : state)
        if (!t.SaveToFile(path))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
}

// Sorting a shuffled catalogue; range(1) > 0 makes one title in range(1) a repeat.
void BM_SortBy(benchmark::State& state)
{
    const TMlb2 source = makeCatalogue(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TMlb2 t;
    for (auto _ : state) {
        state.PauseTiming();
        t = source; // copying and freeing the previous copy are not timed
        state.ResumeTiming();
        t.SortBy("TITRE", true);
        benchmark::DoNotOptimize(t.RowCount());
    }
}

// Sorting a catalogue that is already in order, as every open does.
void BM_SortBySorted(benchmark::State& state)
{
    TMlb2 t = makeCatalogue(static_cast<int>(state.range(0)), 10);
    t.SortBy("TITRE", true);
    for (auto _ : state)
        t.SortBy("TITRE", true);
}

void BM_RemoveDuplicates(benchmark::State& state)
{
    const TMlb2 source = makeCatalogue(static_cast<int>(state.range(0)), 10);
    TMlb2 t;
    for (auto _ : state) {
        state.PauseTiming();
        t = source; // copying and freeing the previous copy are not timed
        state.ResumeTiming();
        t.RemoveDuplicates();
    }
}

// A walk reading every title by name, as the tree building does.
void BM_WalkByName(benchmark::State& state)
{
    TMlb2 t = makeCatalogue(static_cast<int>(state.range(0)), 0);
    for (auto _ : state) {
        std::size_t total = 0;
        for (t.MoveFirst(); !t.Eof(); t.MoveNext())
            total += t.GetValue("RESERVE1").size();
        benchmark::DoNotOptimize(total);
    }
}

} // namespace

BENCHMARK(BM_LoadFromFile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFromBuffer)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerialisesTo)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBy)
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({1000, 10})
    ->Args({10000, 10})
    ->Args({10000, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySorted)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveDuplicates)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkByName)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
