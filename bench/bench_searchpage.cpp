// The result page parser on hostile pages: entries with no closing quote nor tag (each used to
// copy the rest of the page) and pages of many ordinary entries. Reports the process's peak
// memory after the runs; it must grow linearly with the page.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#include "weblookup/SearchPage.h"

namespace {

double peakMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// "<LI>" followed by letters only, up to `bytes`.
std::string unclosedEntries(std::size_t bytes)
{
    std::string page;
    page.reserve(bytes + 1024);
    while (page.size() < bytes)
        page += "<LI>" + std::string(1020, 'a');
    return page;
}

std::string ordinaryEntries(std::size_t bytes)
{
    std::string page;
    page.reserve(bytes + 1024);
    for (int i = 0; page.size() < bytes; ++i)
        page += "<LI><A HREF=\"/film/F" + std::to_string(i) + ".html\">Film " + std::to_string(i) + " (1999)</A>\r\n";
    return page;
}

void BM_ResultPageUnclosed(benchmark::State& state)
{
    const std::string page = unclosedEntries(static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(cinevaro::weblookup::parseResultPage(page, "http://films.example"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["peak_MiB"] = peakMiB();
}

void BM_ResultPageOrdinary(benchmark::State& state)
{
    const std::string page = ordinaryEntries(static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(cinevaro::weblookup::parseResultPage(page, "http://films.example"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["peak_MiB"] = peakMiB();
}

} // namespace

BENCHMARK(BM_ResultPageUnclosed)->Arg(4)->Arg(15)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultPageOrdinary)->Arg(4)->Arg(32)->Unit(benchmark::kMillisecond);
