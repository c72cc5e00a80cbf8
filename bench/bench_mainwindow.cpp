// Main window speed: rebuilding the tree, selecting a film with a cover, start-up to the shown
// window with a 1 000-film catalogue (offscreen).
#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>
#include <random>

#include <benchmark/benchmark.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "editing/JpegWriter.h"
#include "support/BenchSupport.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "ui/TfrmBase.h"
#include "ui/kit/Text.h"

using namespace cinevaro;

namespace {

// Writes a catalogue of `films` films over three supports and records it as the last one.
std::string writeCatalogue(const testing::TempDir& dir, int films)
{
    return cinevaro::testing::writeWordTitleCatalogue(dir.path().string(), films, 7);
}

// A noisy picture whose JPEG weighs about 60 KB.
std::string cover(unsigned seed)
{
    const int w = 400, h = 560;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<unsigned char>((i / 3 % w) / 3 + (rng() % 72));
    return editing::encodeJpeg(w, h, rgb.data(), w * 3, 80);
}

struct Window
{
    testing::TempDir dir;
    catalogue::CatalogueState state;
    testing::ScriptedPrompts prompts;
    std::unique_ptr<ui::TfrmBase> window;

    explicit Window(int films)
    {
        writeCatalogue(dir, films);
        window = std::make_unique<ui::TfrmBase>(state, prompts, dir.path().string() + "/");
    }
};

void BM_RebuildTree(benchmark::State& st)
{
    Window w(static_cast<int>(st.range(0)));
    for (auto _ : st)
        w.window->RebuildTree();
    st.SetItemsProcessed(st.iterations() * st.range(0));
}
BENCHMARK(BM_RebuildTree)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SelectFilmWithCover(benchmark::State& st)
{
    Window w(1000);
    w.window->show();
    QTreeWidgetItem* dvd = w.window->supportNode(1);
    QTreeWidgetItem* films[2] = {dvd->child(3), dvd->child(7)};
    std::string sizes;
    for (int i = 0; i < 2; ++i) {
        const auto titre = ui::toCp(films[i]->text(0)).value_or("");
        const auto bytes = cover(static_cast<unsigned>(i));
        w.dir.write("Films/" + table::cp1252ToUtf8(titre) + ".jpg", bytes);
        sizes += std::to_string(bytes.size() / 1024) + " KB ";
    }
    st.SetLabel("covers " + sizes);
    int next = 0;
    for (auto _ : st) {
        // Alternate between two films so each selection decodes its picture again.
        w.window->TreeFilm->setCurrentItem(films[next]);
        next ^= 1;
    }
}
BENCHMARK(BM_SelectFilmWithCover)->Unit(benchmark::kMillisecond);

void BM_StartupToShownWindow(benchmark::State& st)
{
    testing::TempDir dir;
    writeCatalogue(dir, 1000);
    for (auto _ : st) {
        catalogue::CatalogueState state;
        testing::ScriptedPrompts prompts;
        ui::TfrmBase window(state, prompts, dir.path().string() + "/");
        window.createSecondaryWindows();
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.TreeFilm->topLevelItemCount());
    }
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
