// Launch to a responsive main window: the real cinevaro program started on the offscreen platform
// until its shown window has answered the event loop (CINEVARO_EXIT_WHEN_READY), beside a bare Qt
// window with an empty tree started the same way in the same run. Each case launches both in
// turn and reports the medians, their ratio, the processor time of both (steadier than wall time
// on a shared machine) and the peak resident memory of both programs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/BenchSupport.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

extern char** environ;

using namespace cinevaro;

namespace {

// A catalogue of `films` films over three supports named by a settings file of the folder `dir`;
// no catalogue at all when films < 0. Returns the settings file.
std::string prepare(const std::string& dir, int films)
{
    const auto file = [&dir](const char* name) { return dir + "/" + name; };
    const auto ini = file("Cinevaro.ini");
    if (films < 0) {
        catalogue::Settings(ini).writeString("GENERAL", "NOMBASE", "Films");
        return ini;
    }
    cinevaro::testing::writeWordTitleCatalogue(dir, films, 7);
    return ini;
}

struct Launch
{
    double ms = 0;      // spawn to the ready line
    double peakMb = 0;  // VmHWM of the process
    double readyMb = 0; // VmRSS when the ready line came (0 when the process was already gone)
    double cpuMs = 0;   // user + system time of the whole process, teardown included
};

double statusMb(pid_t pid, const std::string& key)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::atof(line.c_str() + key.size() + 1) / 1024.0;
    return 0;
}

// Starts `program` with the offscreen platform and the settings file `ini`, waits for its ready
// line, then for its end.
Launch launch(const std::string& program, const std::string& ini)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "CINEVARO_EXIT_WHEN_READY=1", "CINEVARO_INI=" + ini};
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("CINEVARO_", 0) != 0)
            env.push_back(v);
    }
    std::vector<char*> envp;
    for (auto& v : env)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string arg0 = program;
    char* argv[] = {arg0.data(), nullptr};

    Launch result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        throw std::runtime_error("cannot start " + program);
    }
    std::string text;
    char buffer[256];
    bool ready = false;
    for (;;) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.find("cinevaro-ready\n") != std::string::npos) {
            ready = true;
            break;
        }
    }
    result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ready) {
        result.readyMb = statusMb(pid, "VmRSS");
        result.peakMb = statusMb(pid, "VmHWM");
    }
    while (::read(out[0], buffer, sizeof buffer) > 0) {
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    // ru_maxrss (KB) covers the whole life, teardown included.
    result.peakMb = std::max(result.peakMb, static_cast<double>(usage.ru_maxrss) / 1024.0);
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000.0 + t.tv_usec / 1000.0; };
    result.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    if (!ready || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(program + " did not reach its ready line");
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// range(0): films in the catalogue, -1 for none. Every iteration launches the bare window and
// cinevaro once each; the iteration's time is cinevaro's.
void BM_LaunchToReadyWindow(benchmark::State& st)
{
    testing::TempDir temp;
    // CINEVARO_BENCH_KEEP=folder keeps the catalogues there (in a folder per case) for profiling.
    std::string dir = temp.path().string();
    if (const char* keep = std::getenv("CINEVARO_BENCH_KEEP"); keep && *keep) {
        dir = std::string(keep) + "/" + std::to_string(st.range(0));
        std::filesystem::create_directories(dir);
    }
    const std::string ini = prepare(dir, static_cast<int>(st.range(0)));
    std::vector<double> app, bare, appRss, bareRss, appPeak, barePeak, appCpu, bareCpu;
    try {
        // One unmeasured launch of each fills the page cache.
        launch(CINEVARO_BARE_WINDOW, ini);
        launch(CINEVARO_PROGRAM, ini);
        for (auto _ : st) {
            const Launch b = launch(CINEVARO_BARE_WINDOW, ini);
            const Launch a = launch(CINEVARO_PROGRAM, ini);
            st.SetIterationTime(a.ms / 1000.0);
            bare.push_back(b.ms);
            app.push_back(a.ms);
            bareRss.push_back(b.readyMb);
            appRss.push_back(a.readyMb);
            barePeak.push_back(b.peakMb);
            appPeak.push_back(a.peakMb);
            bareCpu.push_back(b.cpuMs);
            appCpu.push_back(a.cpuMs);
        }
    } catch (const std::exception& e) {
        st.SkipWithError(e.what());
        return;
    }
    st.counters["app_ms"] = median(app);
    st.counters["bare_ms"] = median(bare);
    st.counters["ratio"] = median(app) / median(bare);
    // Processor time is less disturbed than wall time when other work shares the machine.
    st.counters["app_cpu_ms"] = median(appCpu);
    st.counters["bare_cpu_ms"] = median(bareCpu);
    st.counters["cpu_ratio"] = median(appCpu) / median(bareCpu);
    st.counters["app_rss_MB"] = median(appRss);
    st.counters["app_peak_MB"] = median(appPeak);
    st.counters["bare_rss_MB"] = median(bareRss);
    st.counters["bare_peak_MB"] = median(barePeak);
    st.SetLabel(st.range(0) < 0 ? "no catalogue" : std::to_string(st.range(0)) + " films");
}
BENCHMARK(BM_LaunchToReadyWindow)
    ->Arg(-1)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
