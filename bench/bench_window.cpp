// The window's own speed: a file click until its preview is painted, and listing big folders.
#include "app/form1.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "support/slowfilesystem.h"
#include "support/testwindow.h"

#include <QElapsedTimer>
#include <QTimer>

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const std::filesystem::path kSamples = DESSISCOPE_SAMPLES_DIR;

// Click, then paint the whole window as the screen would: the preview is ready when painted.
void ClickToPreview(benchmark::State& state, const char* folder, const char* file) {
    if (!std::filesystem::exists(kSamples / folder / file)) {
        state.SkipWithError("sample not found");
        return;
    }
    dsc::test::TestWindow form(kSamples / folder);
    form.open();
    const std::string name = file;
    for (auto _ : state) {
        if (!form.clickFile(name)) {
            state.SkipWithError("click not answered");
            return;
        }
        benchmark::DoNotOptimize(form->grab());
    }
}
BENCHMARK_CAPTURE(ClickToPreview, drawing_bmp32_648x512, "dwg", "r2004_material_32bpp.dwg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ClickToPreview, drawing_png_852x448, "dwg", "r2018_example.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ClickToPreview, slide_15404_fills, "sld", "civil3d_ANNO_STCK.sld")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ClickToPreview, library_5_slides, "sld", "mnas_LINES.slb")->Unit(benchmark::kMillisecond);

// A folder of N matching files (and N / 4 others), listed by the file list.
void ListFolder(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    const auto dir = std::filesystem::temp_directory_path() / ("dessiscope-bench-cad-" + std::to_string(n));
    if (!std::filesystem::exists(dir / "done")) {
        std::filesystem::create_directories(dir);
        const char* ext[] = {".dwg", ".SLD", ".slb"};
        for (int i = 0; i < n; ++i) {
            std::ofstream(dir / ("Plan " + std::to_string(i) + ext[i % 3]));
        }
        for (int i = 0; i < n / 4; ++i) {
            std::ofstream(dir / ("notes " + std::to_string(i) + ".txt"));
        }
        std::ofstream(dir / "done");
    }
    dsc::test::TestWindow form(std::filesystem::temp_directory_path());
    form.open();
    for (auto _ : state) {
        if (!form.go(dir)) {
            state.SkipWithError("folder not read");
            return;
        }
        benchmark::DoNotOptimize(form->filFich1->count());
    }
    state.counters["files"] = form->filFich1->count();
}
BENCHMARK(ListFolder)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);

// On storage that takes 200 ms to answer each call: how long the window goes without answering
// while a click is read (the goal: under a frame, 16 ms). Each file of the samples is clicked in
// turn; the longest stall of each click is kept, and their median and maximum reported.
void StallPerClickOnSlowStorage(benchmark::State& state) {
    if (!std::filesystem::exists(kSamples / "sld") || !std::filesystem::exists(kSamples / "dwg")) {
        state.SkipWithError("samples not found");
        return;
    }
    std::vector<double> stalls;
    for (auto _ : state) {
        for (const char* folder : {"dwg", "sld"}) {
            dsc::test::SlowFileSystem slow(dsc::platform::systemFileSystem(), std::chrono::milliseconds(200));
            dsc::test::TestWindow form(kSamples / folder, &slow);
            form.open();
            for (int row = 0; row < form->filFich1->count(); ++row) {
                QElapsedTimer clock;
                clock.start();
                qint64 last = 0;
                qint64 longest = 0;
                QTimer tick;
                tick.setInterval(1);
                tick.setTimerType(Qt::PreciseTimer);
                QObject::connect(&tick, &QTimer::timeout, [&] {
                    longest = std::max(longest, clock.elapsed() - last);
                    last = clock.elapsed();
                });
                tick.start();
                form->filFich1->setCurrentRow(row);
                form->filFich1_Click();
                const qint64 start = clock.elapsed();
                longest = std::max(longest, start); // the click handler itself
                last = start;
                if (!dsc::test::waitAwake([&] { return !form->busy(); }, 60000)) {
                    state.SkipWithError("click not answered");
                    return;
                }
                stalls.push_back(double(longest));
            }
        }
    }
    std::sort(stalls.begin(), stalls.end());
    state.counters["clicks"] = double(stalls.size());
    state.counters["median_stall_ms"] = stalls.empty() ? 0 : stalls[stalls.size() / 2];
    state.counters["longest_stall_ms"] = stalls.empty() ? 0 : stalls.back();
}
BENCHMARK(StallPerClickOnSlowStorage)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
