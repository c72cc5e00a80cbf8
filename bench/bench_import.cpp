// The import of 20 ticked films from the stand-in film service over loopback: the whole run, and
// the same page and archive transfers alone, to tell how much of the run is spent outside the
// network waits (parsing, unpacking, saving, reloading).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include <unistd.h>

#include "catalogue/CatalogueState.h"
#include "support/BenchSupport.h"
#include "support/FakeFilmService.h"
#include "weblookup/HttpClient.h"
#include "weblookup/Importer.h"
#include "weblookup/SearchPage.h"

namespace {

using namespace cinevaro;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFilms = 20;

testing::FakeFilm benchFilm(int n)
{
    testing::FakeFilm film;
    film.name = "BENCH_FILM_" + std::to_string(n);
    film.listedTitle = "Bench Film " + std::to_string(n);
    film.title = film.listedTitle;
    film.director = "Director " + std::to_string(n);
    film.year = std::to_string(1950 + n);
    film.origin = "Anglais";
    film.genre = "Drame";
    film.duration = "1H40";
    film.actors = "Actor A;Actor B;Actor C";
    film.synopsis = std::string(600, 's');
    film.distributor = "Studio";
    film.cover = std::string(40000, '\x7f'); // a cover of a typical size
    return film;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_ImportTwentyFilms(benchmark::State& st)
{
    testing::FakeFilmService service;
    service.clearFilms();
    for (int n = 1; n <= kFilms; ++n)
        service.addFilm(benchFilm(n));
    auto results = weblookup::parseResultPage(service.searchPage("titre", ""), service.rootAddress());
    std::vector<weblookup::ImportItem> items;
    for (const auto& r : results)
        items.push_back({true, "DVD", r.pageAddress, r.title});

    fs::path root = fs::temp_directory_path() / ("cinevaro_bench_import_" + std::to_string(::getpid()));
    double importTime = 0;
    double networkTime = 0;
    int run = 0;
    for (auto _ : st) {
        st.PauseTiming();
        fs::path folder = root / std::to_string(run++);
        fs::create_directories(folder);
        catalogue::CatalogueState state;
        cinevaro::testing::mustSucceed(catalogue::newCatalogue(state, (folder / "bench.cvo").string(), nullptr));
        weblookup::HttpClient client;
        st.ResumeTiming();

        auto start = Clock::now();
        auto result = weblookup::importSelection(state, client, service.rootAddress(), items, {});
        importTime += seconds(Clock::now() - start);
        if (!result.outcome.ok || result.added != kFilms)
            st.SkipWithError("import failed");

        st.PauseTiming();
        // The same transfers alone: every page and every archive.
        start = Clock::now();
        for (const auto& film : service.films()) {
            client.FetchPage(service.rootAddress() + testing::FakeFilmService::filmPath(film));
            client.Disconnect();
            client.FetchFile(service.rootAddress() + testing::FakeFilmService::archivePath(film),
                             (folder / "transfer.zip").string());
            client.Disconnect();
        }
        networkTime += seconds(Clock::now() - start);
        fs::remove_all(folder);
        st.ResumeTiming();
    }
    fs::remove_all(root);
    double runs = static_cast<double>(st.iterations());
    st.counters["import_ms"] = 1000 * importTime / runs;
    st.counters["network_ms"] = 1000 * networkTime / runs;
    st.counters["outside_network_share"] = importTime > 0 ? 1 - networkTime / importTime : 0;
}
BENCHMARK(BM_ImportTwentyFilms)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
