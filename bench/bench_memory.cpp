// Peak memory (and time) of the operations that used to cost far more memory than their input:
// opening a catalogue of many empty rows, decoding a tiny progressive JPEG claiming a huge
// picture, and printing a catalogue with covers to a PDF. Each case runs in a fresh process
// (this program started again with --case), so that its peak resident size, read with
// getrusage when it ends, is its own. Counters: peak_rss_MB (whole process), seconds (the
// operation itself, timed inside that process).
//
// The "_whole", "_painted" and "_unchecked" cases replay earlier ways (every cover decoded
// before the PDF is written; covers decoded and encoded again by Qt's painter; rows loaded and
// then completed to the 37 fields without the loader's rule) for comparison.
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Jpeg.h"
#include "cli/Cli.h"
#include "editing/JpegWriter.h"
#include "output/PrintLayout.h"
#include "support/BenchSupport.h"
#include "support/JpegBuilders.h"
#include "ui/paint/PageRenderer.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace cinevaro;

namespace {

// Shared by the processes of one run: CINEVARO_BENCH_FOLDER names it for the cases.
fs::path benchFolder()
{
    static const fs::path folder = [] {
        if (const char* given = std::getenv("CINEVARO_BENCH_FOLDER"))
            return fs::path(given);
        auto p = fs::temp_directory_path() / ("cinevaro-bench-memory-" + std::to_string(::getpid()));
        fs::remove_all(p);
        fs::create_directories(p);
        setenv("CINEVARO_BENCH_FOLDER", p.c_str(), 1);
        return p;
    }();
    return folder;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// ---- files the cases read ----

void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// 400 000 rows with no field: 1.6 MB.
std::string emptyRowsCatalogue()
{
    const auto path = benchFolder() / "Crowd.cvo";
    if (!fs::exists(path)) {
        std::string out = std::string("MLB\x02\x00\x01\x01\x00\x00\x00\x00\x00", 12);
        putU32(out, 0);
        out += std::string("\x00\x00", 2);
        putU32(out, 0);
        putU32(out, 0);       // fields
        putU32(out, 400'000); // rows
        for (int r = 0; r < 400'000; ++r)
            putU32(out, 0);
        std::ofstream(path, std::ios::binary) << out;
    }
    return path.string();
}

// A JPEG of about 60 KB: noise over gradients, at a quality that lands near that size.
std::string coverBytes()
{
    const int w = 400, h = 560;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            unsigned char* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
            p[0] = static_cast<unsigned char>((x + (seed >> 24) % 40) % 256);
            p[1] = static_cast<unsigned char>((y / 3) % 256);
            p[2] = static_cast<unsigned char>((x * y / 500) % 256);
        }
    std::string bytes;
    for (int quality = 90; quality > 10; quality -= 5) {
        bytes = editing::encodeJpeg(w, h, rgb.data(), w * 3, quality);
        if (bytes.size() <= 62 * 1024)
            break;
    }
    return bytes;
}

// A 16 x 16 progressive JPEG whose header claims 10000 x 10000 pixels: a few hundred bytes.
std::string progressiveBomb()
{
    const auto path = benchFolder() / "bomb.jpg";
    if (!fs::exists(path))
        std::ofstream(path, std::ios::binary) << cinevaro::testing::progressiveJpegClaiming(10000, 10000);
    return path.string();
}

// A catalogue of `count` films in its own folder, each with a ~60 KB cover (hard links to one
// file: every cover is still read and decoded on its own). Returns the catalogue's path.
std::string filmsCatalogue(int count, bool covers)
{
    const auto dir = benchFolder() / ("films-" + std::to_string(count) + (covers ? "-covers" : ""));
    const auto path = dir / "Films.cvo";
    if (fs::exists(path))
        return path.string();
    fs::create_directories(dir);
    catalogue::CatalogueState state;
    catalogue::commitNames(state, path.string());
    fs::create_directories(state.CollectionFolder);
    cinevaro::testing::mustSucceed(catalogue::CreateCatalogueFile(state, nullptr));
    auto& t = state.table();
    const std::string cover = (dir / "cover.jpg").string();
    if (covers)
        std::ofstream(cover, std::ios::binary) << coverBytes();
    for (int i = 1; i <= count; ++i) {
        catalogue::appendFilmRow(state);
        const std::string title = "Film " + std::to_string(i);
        t.SetValue("TITRE", title);
        t.SetValue("RESERVE1", title);
        t.SetValue("REAL", "R\xE9"
                           "alisateur " +
                               std::to_string(i));
        t.SetValue("DATE", std::to_string(1950 + i % 70));
        t.SetValue("ORIGINE", "France");
        t.SetValue("DUREE", "120 mn");
        t.SetValue("GENRE", "Drame");
        t.SetValue("RESERVE0", "DVD");
        t.SetValue("DISTRIB", "Distributeur");
        t.SetValue("ACTEUR", "Acteur Un;Actrice Deux;Acteur Trois;Actrice Quatre");
        t.SetValue("RESUME", std::string(400, 'x') + " fin du r\xE9sum\xE9");
        if (covers)
            fs::create_hard_link(cover, catalogue::coverPath(state, title));
    }
    cinevaro::testing::mustSucceed(catalogue::saveCatalogue(state));
    return path.string();
}

// ---- the cases, run in a process of their own ----

// Prints "seconds ok" on stdout.
int runCase(const std::string& name, const std::string& file)
{
    const auto start = std::chrono::steady_clock::now();
    bool ok = false;
    if (name == "prepare") {
        // The files are made in a process of their own too: a process started by another
        // inherits its peak resident size, so the measuring process stays small.
        if (file == "crowd")
            std::cout << emptyRowsCatalogue();
        else if (file == "bomb")
            std::cout << progressiveBomb();
        else
            std::cout << filmsCatalogue(std::abs(std::stoi(file)), file[0] != '-');
        std::cout << std::endl;
        return 0;
    }
    if (name == "open") {
        catalogue::CatalogueState state;
        state.CatalogueFileName = file;
        ok = static_cast<bool>(catalogue::loadCatalogue(state));
    } else if (name == "open_unchecked") {
        // Rows loaded without the rule, then completed to the 37 fields as open does.
        table::TMlb2 t;
        ok = t.LoadFromFile(file);
        for (const auto& f : catalogue::schemaFields())
            t.AddField(f);
    } else if (name == "jpeg") {
        catalogue::RgbImage image;
        ok = static_cast<bool>(catalogue::decodeJpegFile(file, image, 200, 280));
    } else if (name == "pdf") {
        std::ostringstream out, err;
        ok = cli::run({"pdf", file, (fs::path(file).parent_path() / "out.pdf").string()}, out, err) == 0;
        if (!ok)
            std::cerr << err.str();
    } else if (name == "pdf_whole" || name == "pdf_painted") {
        // pdf_whole: every page laid out, every cover decoded, then the PDF written.
        // pdf_painted: pages built one at a time and painted by Qt, each cover decoded and
        // encoded again by the painter (the windows' printing path).
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int argc = 1;
        char arg0[] = "bench_memory";
        char* argv[] = {arg0, nullptr};
        QGuiApplication app(argc, argv);
        catalogue::CatalogueState state;
        state.CatalogueFileName = file;
        catalogue::commitNames(state, file);
        ok = static_cast<bool>(catalogue::loadCatalogue(state));
        paint::QtTextMeasurer measurer;
        output::PrintDocument document;
        const output::PagedLayout paged(state, measurer);
        bool laidOut = true;
        if (name == "pdf_whole")
            laidOut = static_cast<bool>(output::layoutCatalogue(state, measurer, document));
        else
            document.pages.resize(static_cast<std::size_t>(paged.pageCount()));
        QPdfWriter writer(QString::fromStdString((fs::path(file).parent_path() / "whole.pdf").string()));
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QSizeF(210, 297), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        QPainter painter(&writer);
        const QRectF page(0, 0, writer.width(), writer.height());
        for (std::size_t i = 0; i < document.pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            if (name == "pdf_painted")
                laidOut = laidOut && paged.buildPage(static_cast<int>(i), document.pages[i]);
            paint::renderPage(painter, document.pages[i], page, 210);
            if (name == "pdf_painted")
                document.pages[i] = {};
        }
        ok = ok && laidOut && painter.end();
    }
    std::cout << seconds(start) << " " << ok << std::endl;
    return 0;
}

struct Measured
{
    double peakMb = 0;
    double cpuSeconds = 0;
    double seconds = 0;
    bool ok = false;
    bool ran = false;
    std::string output;
};

// Runs a case in a new process and reads its peak resident size and processor time when it
// ends.
Measured measure(const std::string& name, const std::string& file)
{
    Measured m;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return m;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<std::string> args = {self, "--case", name, file};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string output;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    if (spawned != 0)
        return m;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return m;
    m.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    m.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    m.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.output = output;
    std::istringstream in(output);
    in >> m.seconds >> m.ok;
    return m;
}

// The path of a prepared file (see runCase "prepare").
std::string prepared(const std::string& what)
{
    std::string path = measure("prepare", what).output;
    while (!path.empty() && path.back() == '\n')
        path.pop_back();
    return path;
}

// Counters: peak_rss_MB and cpu_s of the whole process (start, opening, operation), seconds of
// the operation alone (wall clock, so it depends on the machine's load).
void report(benchmark::State& st, const std::string& name, const std::string& file, bool expectOk)
{
    Measured m;
    for (auto _ : st)
        m = measure(name, file);
    if (!m.ran || m.ok != expectOk)
        st.SkipWithError(m.ran ? "unexpected outcome" : "case did not run");
    st.counters["peak_rss_MB"] = m.peakMb;
    st.counters["cpu_s"] = m.cpuSeconds;
    st.counters["seconds"] = m.seconds;
}

// Item: a 1.6 MB file of 400 000 empty rows is refused from its header.
void BM_OpenEmptyRows400k(benchmark::State& st)
{
    report(st, "open", prepared("crowd"), false);
}
BENCHMARK(BM_OpenEmptyRows400k)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenEmptyRows400k_unchecked(benchmark::State& st)
{
    report(st, "open_unchecked", prepared("crowd"), true);
}
BENCHMARK(BM_OpenEmptyRows400k_unchecked)->Unit(benchmark::kMillisecond)->Iterations(1);

// A real catalogue of 100 000 films still opens.
void BM_OpenFilms100k(benchmark::State& st)
{
    report(st, "open", prepared("-100000"), true);
}
BENCHMARK(BM_OpenFilms100k)->Unit(benchmark::kMillisecond)->Iterations(1);

// A 10000 x 10000 progressive JPEG header in a few hundred bytes, shown as a cover.
void BM_DecodeProgressiveBomb(benchmark::State& st)
{
    const std::string bomb = prepared("bomb");
    report(st, "jpeg", bomb, false);
    st.counters["file_bytes"] = static_cast<double>(fs::file_size(bomb));
}
BENCHMARK(BM_DecodeProgressiveBomb)->Unit(benchmark::kMillisecond)->Iterations(1);

// `cinevaro-cli pdf` of a catalogue with a ~60 KB cover per film (each cover file embedded as it
// is); memory must not grow with the film count beyond the catalogue itself.
void BM_PdfWithCovers(benchmark::State& st)
{
    report(st, "pdf", prepared(std::to_string(st.range(0))), true);
    st.counters["films"] = static_cast<double>(st.range(0));
}
BENCHMARK(BM_PdfWithCovers)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PdfWithCovers_whole(benchmark::State& st)
{
    report(st, "pdf_whole", prepared(std::to_string(st.range(0))), true);
    st.counters["films"] = static_cast<double>(st.range(0));
}
BENCHMARK(BM_PdfWithCovers_whole)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PdfWithCovers_painted(benchmark::State& st)
{
    report(st, "pdf_painted", prepared(std::to_string(st.range(0))), true);
    st.counters["films"] = static_cast<double>(st.range(0));
}
BENCHMARK(BM_PdfWithCovers_painted)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--case")
        return runCase(argv[2], argv[3]);
    benchFolder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(benchFolder());
    return 0;
}
