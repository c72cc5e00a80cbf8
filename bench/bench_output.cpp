// Output speed: the HTML page of 10 000 films, the print layout of 1 000 films with covers, and
// drawing one preview page.
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>

#include <filesystem>
#include <fstream>

#include <benchmark/benchmark.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "output/HtmlExport.h"
#include "output/PrintLayout.h"
#include "ui/kit/PrintPreview.h"
#include "ui/paint/PageRenderer.h"

namespace fs = std::filesystem;
using namespace cinevaro;

namespace {

fs::path benchFolder()
{
    static const fs::path folder = [] {
        auto p = fs::temp_directory_path() / "cinevaro-bench-output";
        fs::remove_all(p);
        fs::create_directories(p / "Films");
        return p;
    }();
    return folder;
}

// A catalogue of `count` films (plus the header row) in memory.
void fillCatalogue(catalogue::CatalogueState& state, int count)
{
    auto& t = state.table();
    for (const auto& f : catalogue::schemaFields())
        t.AddField(f);
    t.AppendRow();
    t.SetValue("RESERVE2", "DivX;DVD;VHS");
    for (int i = 1; i <= count; ++i) {
        t.AppendRow();
        const std::string n = std::to_string(i);
        t.SetValue("TITRE", "Film " + n);
        t.SetValue("RESERVE1", "Film " + n);
        t.SetValue("REAL", "Realisateur " + n);
        t.SetValue("DATE", "1999");
        t.SetValue("ORIGINE", "France");
        t.SetValue("DUREE", "120 mn");
        t.SetValue("GENRE", "Drame");
        t.SetValue("RESERVE0", "DVD");
        t.SetValue("DISTRIB", "Distributeur");
        t.SetValue("ACTEUR", "Acteur Un;Acteur Deux;Acteur Trois;Acteur Quatre");
        t.SetValue("RESUME", std::string(400, 'x') + " fin du resume");
    }
}

// A JPEG of about 60 KB: a noisy picture at a quality that lands near that size.
std::string coverBytes()
{
    QImage image(400, 560, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x + int(random->bounded(40))) % 256, (y / 3) % 256, (x * y / 500) % 256));
    QByteArray bytes;
    for (int quality = 90; quality > 10; quality -= 5) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", quality);
        if (bytes.size() <= 62 * 1024)
            break;
    }
    return bytes.toStdString();
}

void BM_HtmlPage10000(benchmark::State& st)
{
    catalogue::CatalogueState state;
    fillCatalogue(state, 10000);
    const auto rows = output::exportRows(state.table());
    const std::string temp = (benchFolder() / "temp").string() + "/";
    for (auto _ : st) {
        auto written = output::writeHtmlPage(state.table(), rows, {}, temp);
        if (!written)
            st.SkipWithError("page not written");
    }
    st.counters["bytes"] = static_cast<double>(fs::file_size(temp + "temp.htm"));
}
BENCHMARK(BM_HtmlPage10000)->Unit(benchmark::kMillisecond);

struct CoveredCatalogue
{
    catalogue::CatalogueState state;
    std::size_t coverSize = 0;
    explicit CoveredCatalogue(int count)
    {
        fillCatalogue(state, count);
        state.CollectionFolder = (benchFolder() / "Films").string() + "/";
        const std::string cover = coverBytes();
        coverSize = cover.size();
        for (int i = 1; i <= count; ++i)
            std::ofstream(catalogue::coverPath(state, "Film " + std::to_string(i)), std::ios::binary) << cover;
    }
};

void BM_PrintLayout1000(benchmark::State& st)
{
    CoveredCatalogue films(1000);
    paint::QtTextMeasurer measurer;
    std::size_t pages = 0;
    for (auto _ : st) {
        output::PrintDocument document;
        if (!output::layoutCatalogue(films.state, measurer, document))
            st.SkipWithError("layout failed");
        pages = document.pages.size();
    }
    st.counters["pages"] = static_cast<double>(pages);
    st.counters["cover_bytes"] = static_cast<double>(films.coverSize);
}
BENCHMARK(BM_PrintLayout1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PreviewPageZoom100(benchmark::State& st)
{
    CoveredCatalogue films(3);
    paint::QtTextMeasurer measurer;
    ui::PrintPreview preview;
    output::PrintDocument document;
    if (!output::layoutCatalogue(films.state, measurer, document))
        st.SkipWithError("layout failed");
    preview.setDocument(document);
    for (auto _ : st) {
        QImage image = preview.renderPageImage(0, 100);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PreviewPageZoom100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(benchFolder());
    return 0;
}
