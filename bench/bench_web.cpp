// Transfers and archives measured side by side with the usual command-line tools in the same run:
// FetchFile of a 100 MB body against "curl -o", Add of a 200 MB collection at level 9 against
// "zip -9 -r", Extract of that archive against "unzip". Each benchmark times both and reports
// ours_ms, peer_ms and ratio (ours / peer; the goal is under 1.2).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "output/Archive.h"
#include "output/TZipMaster.h"
#include "support/FakeFilmService.h"
#include "weblookup/HttpClient.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int shell(const std::string& command)
{
    return std::system(command.c_str());
}

// A temporary folder removed at exit.
struct Scratch
{
    fs::path root;
    Scratch()
    {
        std::random_device rd;
        root = fs::temp_directory_path() / ("cinevaro-bench-web-" + std::to_string(rd()));
        fs::create_directories(root);
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Scratch& scratch()
{
    static Scratch s;
    return s;
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A realistic collection: covers and stills that do not compress (JPEG-like), plus notes and
// film files that do. About 200 MB in all, in the collection folder and two sub-folders.
fs::path collection()
{
    static const fs::path catalogue = [] {
        const fs::path dir = scratch().root / "data";
        std::mt19937 rng(42);
        auto noise = [&](std::size_t size) {
            std::string s(size, '\0');
            for (std::size_t i = 0; i + 4 <= size; i += 4) {
                const std::uint32_t v = rng();
                std::memcpy(s.data() + i, &v, 4);
            }
            s[0] = '\xFF';
            s[1] = '\xD8';
            s[size - 2] = '\xFF';
            s[size - 1] = '\xD9';
            return s;
        };
        const std::string words[] = {"le ",   "film ",  "de ",      "réalisateur ", "une ", "histoire ",
                                     "nuit ", "phare ", "comédie ", "drame ",       "et ",  "acteurs ;"};
        auto text = [&](std::size_t size) {
            std::string s;
            while (s.size() < size)
                s += words[rng() % 12];
            s.resize(size);
            return s;
        };
        writeFile(dir / "Films.cvo", text(2 * 1024 * 1024));
        const char* subs[] = {"", "Affiches/", "Notes/Anciennes/"};
        int n = 0;
        for (std::size_t total = 0; total < 180u * 1024 * 1024; ++n) {
            const std::size_t size = 300 * 1024 + (rng() % (1600 * 1024));
            writeFile(dir / "Films" / (std::string(subs[n % 3]) + "cover" + std::to_string(n) + ".jpg"), noise(size));
            total += size;
        }
        for (int i = 0; i < 180; ++i)
            writeFile(dir / "Films" / (std::string(subs[i % 3]) + "fiche" + std::to_string(i) + ".txt"),
                      text(100 * 1024));
        return dir / "Films.cvo";
    }();
    return catalogue;
}

void report(benchmark::State& state, double ours, double peer, int runs)
{
    state.counters["ours_ms"] = ours / runs;
    state.counters["peer_ms"] = peer / runs;
    state.counters["ratio"] = peer > 0 ? ours / peer : 0;
}

void BM_FetchFile100MB_vs_curl(benchmark::State& state)
{
    cinevaro::testing::FakeFilmService service;
    cinevaro::testing::FakeResponse big;
    big.headers.emplace_back("Content-Type", "application/zip");
    big.body = std::string(100u * 1024 * 1024, '\0');
    std::mt19937 rng(7);
    for (auto& c : big.body)
        c = static_cast<char>(rng());
    service.setOverride("/getzip.html/GROS.zip", big);
    const std::string url = service.rootAddress() + "/getzip.html/GROS.zip";
    const fs::path ours = scratch().root / "ours.zip";
    const fs::path peer = scratch().root / "curl.zip";
    cinevaro::weblookup::HttpClient client;
    double oursMs = 0, peerMs = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto result = client.FetchFile(url, ours.string());
        const double a = msSince(start);
        if (!result.ok())
            state.SkipWithError("FetchFile failed");
        start = Clock::now();
        if (shell("curl -s -o '" + peer.string() + "' '" + url + "'") != 0)
            state.SkipWithError("curl failed");
        const double b = msSince(start);
        oursMs += a;
        peerMs += b;
        ++runs;
        state.SetIterationTime(a / 1000.0);
    }
    if (fs::file_size(ours) != big.body.size() || fs::file_size(peer) != big.body.size())
        state.SkipWithError("sizes differ");
    report(state, oursMs, peerMs, runs);
    state.SetBytesProcessed(static_cast<std::int64_t>(big.body.size()) * runs);
}

void BM_Add200MB_vs_zip(benchmark::State& state)
{
    const fs::path catalogue = collection();
    const fs::path ours = scratch().root / "ours-add.zip";
    const fs::path peer = scratch().root / "zip-add.zip";
    double oursMs = 0, peerMs = 0;
    int runs = 0;
    for (auto _ : state) {
        fs::remove(ours);
        fs::remove(peer);
        auto start = Clock::now();
        auto written = cinevaro::output::archiveCatalogue(catalogue.string(), ours.string());
        const double a = msSince(start);
        if (!written)
            state.SkipWithError(written.message.c_str());
        start = Clock::now();
        if (shell("cd '" + catalogue.parent_path().string() + "' && zip -q -9 -r '" + peer.string() +
                  "' Films.cvo Films") != 0)
            state.SkipWithError("zip failed");
        const double b = msSince(start);
        oursMs += a;
        peerMs += b;
        ++runs;
        state.SetIterationTime(a / 1000.0);
    }
    report(state, oursMs, peerMs, runs);
    state.counters["ours_MB"] = static_cast<double>(fs::file_size(ours)) / 1e6;
    state.counters["peer_MB"] = static_cast<double>(fs::file_size(peer)) / 1e6;
}

void BM_Extract200MB_vs_unzip(benchmark::State& state)
{
    const fs::path catalogue = collection();
    const fs::path archive = scratch().root / "extract-source.zip";
    if (!fs::exists(archive) && !cinevaro::output::archiveCatalogue(catalogue.string(), archive.string())) {
        state.SkipWithError("archive not written");
        return;
    }
    const fs::path ours = scratch().root / "ours-out";
    const fs::path peer = scratch().root / "unzip-out";
    double oursMs = 0, peerMs = 0;
    int runs = 0;
    for (auto _ : state) {
        fs::remove_all(ours);
        fs::remove_all(peer);
        fs::create_directories(ours);
        cinevaro::output::TZipMaster zip;
        (void)zip.setZipFilename(archive.string());
        zip.ExtrBaseDir = ours.string();
        auto start = Clock::now();
        auto extracted = zip.Extract();
        const double a = msSince(start);
        if (!extracted)
            state.SkipWithError(extracted.message.c_str());
        start = Clock::now();
        if (shell("unzip -q -o '" + archive.string() + "' -d '" + peer.string() + "'") != 0)
            state.SkipWithError("unzip failed");
        const double b = msSince(start);
        oursMs += a;
        peerMs += b;
        ++runs;
        state.SetIterationTime(a / 1000.0);
    }
    report(state, oursMs, peerMs, runs);
}

} // namespace

BENCHMARK(BM_FetchFile100MB_vs_curl)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Add200MB_vs_zip)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract200MB_vs_unzip)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
