// Speed of the readers: decoding and drawing slides, listing libraries, locating and decoding
// drawing previews, and the whole command-line previewer per file.
#include "components/previewimages.h"
#include "formats/dwg/dwgpreview.h"
#include "formats/raster/dib.h"
#include "formats/raster/slideraster.h"
#include "formats/slides/slide.h"
#include "formats/slides/slidelibrary.h"
#include "platform/filesource.h"
#include "support/slidewriter.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::filesystem::path kSamples = DESSISCOPE_SAMPLES_DIR;

std::vector<std::uint8_t> readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool haveSample(benchmark::State& state, const std::filesystem::path& p) {
    if (!std::filesystem::exists(p)) {
        state.SkipWithError("sample not found");
        return false;
    }
    return true;
}

void SlideDecode(benchmark::State& state) {
    const auto path = kSamples / "sld/civil3d_ANNO_STCK.sld";
    if (!haveSample(state, path)) {
        return;
    }
    const auto bytes = readAll(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(dsc::readSlide(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(SlideDecode)->Unit(benchmark::kMillisecond);

void SlideReadDecodeRender(benchmark::State& state) {
    const auto path = kSamples / "sld/civil3d_ANNO_STCK.sld";
    if (!haveSample(state, path)) {
        return;
    }
    for (auto _ : state) {
        const auto bytes = readAll(path);
        const dsc::Slide slide = dsc::readSlide(bytes);
        benchmark::DoNotOptimize(dsc::renderSlide(slide, 217, 169));
    }
}
BENCHMARK(SlideReadDecodeRender)->Unit(benchmark::kMillisecond);

void LibraryList5000(benchmark::State& state) {
    std::vector<dsc::test::LibraryMember> members;
    for (int i = 0; i < 5000; ++i) {
        std::string name = "SLIDE_";
        name += std::to_string(i);
        members.push_back({name, dsc::test::simpleSlide(i % 100)});
    }
    const auto lib = dsc::test::writeLibrary(members);
    const auto path = std::filesystem::temp_directory_path() / "dessiscope-bench-5000.slb";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(lib.data()), static_cast<std::streamsize>(lib.size()));
    }
    for (auto _ : state) {
        dsc::platform::FileSource source;
        source.open(path);
        const auto names = dsc::scanLibraryNames(source);
        benchmark::DoNotOptimize(names.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(LibraryList5000)->Unit(benchmark::kMillisecond);

const std::filesystem::path kMaterial = kSamples / "dwg/r2004_material_32bpp.dwg";

void DwgLocateAndExtract(benchmark::State& state) {
    if (!haveSample(state, kMaterial)) {
        return;
    }
    for (auto _ : state) {
        dsc::platform::FileSource source;
        source.open(kMaterial);
        benchmark::DoNotOptimize(dsc::readDwgPreview(source));
    }
}
BENCHMARK(DwgLocateAndExtract)->Unit(benchmark::kMillisecond);

// The baseline: plain reads of exactly the byte ranges the locator reads.
void DwgPlainReadsBaseline(benchmark::State& state) {
    if (!haveSample(state, kMaterial)) {
        return;
    }
    dsc::platform::FileSource probe;
    probe.open(kMaterial);
    const dsc::DwgPreview p = dsc::readDwgPreview(probe);
    const auto& e = p.entries[static_cast<std::size_t>(p.chosen)];
    std::vector<std::uint8_t> head(0x15), block(21 + 9 * p.entries.size()), image(e.size), dib(40);
    for (auto _ : state) {
        const int fd = ::open(kMaterial.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::pread(fd, head.data(), head.size(), 0));
        benchmark::DoNotOptimize(::pread(fd, block.data(), block.size(), p.seeker));
        benchmark::DoNotOptimize(::pread(fd, dib.data(), dib.size(), e.start));
        benchmark::DoNotOptimize(::pread(fd, image.data(), image.size(), e.start));
        ::close(fd);
    }
}
BENCHMARK(DwgPlainReadsBaseline)->Unit(benchmark::kMillisecond);

void DibDecode32bpp648x512(benchmark::State& state) {
    if (!haveSample(state, kMaterial)) {
        return;
    }
    dsc::platform::FileSource source;
    source.open(kMaterial);
    const dsc::DwgPreview p = dsc::readDwgPreview(source);
    for (auto _ : state) {
        dsc::DibImage image;
        benchmark::DoNotOptimize(dsc::decodeDib(p.image, image));
    }
}
BENCHMARK(DibDecode32bpp648x512)->Unit(benchmark::kMillisecond);

// The whole previewer process, start to PNG written.
void ThumbnailProcess(benchmark::State& state, const char* sample) {
    const auto input = kSamples / sample;
    if (!haveSample(state, input)) {
        return;
    }
    const std::string tool = std::string(DESSISCOPE_BIN_DIR) + "/dessiscope-thumbnail";
    const std::string out = (std::filesystem::temp_directory_path() / "dessiscope-bench.png").string();
    for (auto _ : state) {
        pid_t pid = 0;
        std::string in = input.string();
        char* argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>(in.c_str()), const_cast<char*>(out.c_str()),
                        nullptr};
        if (::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start dessiscope-thumbnail");
            return;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
}
BENCHMARK_CAPTURE(ThumbnailProcess, r2004_material_32bpp, "dwg/r2004_material_32bpp.dwg")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK_CAPTURE(ThumbnailProcess, r2018_example_png, "dwg/r2018_example.dwg")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK_CAPTURE(ThumbnailProcess, r2007_example_8bpp, "dwg/r2007_example.dwg")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK_CAPTURE(ThumbnailProcess, r13_example, "dwg/r13_example.dwg")->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK_CAPTURE(ThumbnailProcess, civil3d_ANNO_STCK, "sld/civil3d_ANNO_STCK.sld")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK_CAPTURE(ThumbnailProcess, mnas_LINES_slb, "sld/mnas_LINES.slb")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

} // namespace

BENCHMARK_MAIN();
