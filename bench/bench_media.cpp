// "Extraire du fichier" on a 4 GB MKV: the sample MKV of the tests extended to 4 GiB as a sparse
// file (its headers, then a hole). Only the headers may be read, never the whole file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "editing/MediaInfo.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace cinevaro;

namespace {

constexpr std::uintmax_t kFourGigabytes = 4ULL * 1024 * 1024 * 1024;

std::string sampleMkv()
{
    return cinevaro::testing::dataFile("editing/media/h264-ac3-aac-srt.mkv");
}

std::string sparseMkv()
{
    static const std::string path = [] {
        const fs::path dir = fs::temp_directory_path() / "cinevaro-bench-media";
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path file = dir / "film-4go.mkv";
        fs::copy_file(sampleMkv(), file);
        fs::resize_file(file, kFourGigabytes);
        return file.string();
    }();
    return path;
}

void readAndCheck(benchmark::State& state, const std::string& path, const char* size)
{
    for (auto _ : state) {
        const editing::MediaInfo info = editing::readMediaFile(path);
        if (!info.ok || info.size != size || info.formatVideo != "AVC") {
            state.SkipWithError("unexpected reading");
            break;
        }
        benchmark::DoNotOptimize(info);
    }
}

void BM_MediaInfoSparse4GbMkv(benchmark::State& state)
{
    readAndCheck(state, sparseMkv(), "4096");
}
BENCHMARK(BM_MediaInfoSparse4GbMkv)->Unit(benchmark::kMillisecond);

// The same headers without the hole, for comparison.
void BM_MediaInfoSmallMkv(benchmark::State& state)
{
    readAndCheck(state, sampleMkv(), "0");
}
BENCHMARK(BM_MediaInfoSmallMkv)->Unit(benchmark::kMillisecond);

} // namespace
