// The patchwork, alone and from file to file, each against a baseline that does the same
// allocation and memory traffic, measured in the same run.

#include "tesselane/effects/patchwork/patchwork.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bench_images.h"
#include "tesselane/image/image.h"

namespace tesselane::bench {
namespace {

const Image& source() {
    static const std::unique_ptr<Image> image = noiseImage();
    return *image;
}

void setPixelRate(benchmark::State& state, const Image& image) {
    state.counters["Mpx/s"] =
        benchmark::Counter(image.pixelCount / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Baseline: a new RGBA array of the picture's size from the plain allocator, the picture
// copied into it, and freed.
void BM_AllocateCopyFree(benchmark::State& state) {
    const Image& image = source();
    const size_t bytes = static_cast<size_t>(image.pixelCount) * sizeof(Pixel);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes]);
        std::memcpy(copy.get(), image.pixels.get(), bytes);
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
    setPixelRate(state, image);
}
BENCHMARK(BM_AllocateCopyFree)->Unit(benchmark::kMillisecond);

// The same with the library's own pixel allocator, for comparison.
void BM_AllocatePixelsCopyFree(benchmark::State& state) {
    const Image& image = source();
    for (auto _ : state) {
        PixelArray copy = allocatePixels(static_cast<size_t>(image.pixelCount));
        std::memcpy(copy.get(), image.pixels.get(), static_cast<size_t>(image.pixelCount) * 4);
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
    setPixelRate(state, image);
}
BENCHMARK(BM_AllocatePixelsCopyFree)->Unit(benchmark::kMillisecond);

void BM_Patchwork(benchmark::State& state) {
    const Image& image = source();
    for (auto _ : state) {
        std::unique_ptr<Image> result = makePatchwork(image, static_cast<int32_t>(state.range(0)));
        benchmark::DoNotOptimize(result->pixels.get());
    }
    setPixelRate(state, image);
}
BENCHMARK(BM_Patchwork)->Arg(20)->Arg(3)->Arg(1000)->Unit(benchmark::kMillisecond);

// A 24-bit BMP of the benchmark size on disk, made once.
const std::string& inputFile() {
    static const std::string path = [] {
        std::string file = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                           "/tesselane-bench-input.bmp";
        auto image = noiseImage();
        if (!image->save(file.c_str())) std::abort();
        return file;
    }();
    return path;
}

std::string outputFile() { return inputFile() + ".out.bmp"; }

void BM_FileToFile(benchmark::State& state) {
    const std::string input = inputFile();
    const std::string output = outputFile();
    for (auto _ : state) {
        auto image = Image::tryLoad(input.c_str(), nullptr);
        auto result = makePatchwork(*image, 20);
        if (!result->save(output.c_str())) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_FileToFile)->Unit(benchmark::kMillisecond);

// Baseline: a minimal program that reads the whole BMP, unpacks it to an RGBA array, packs it
// back and writes it.
void BM_MinimalRoundTrip(benchmark::State& state) {
    const std::string input = inputFile();
    const std::string output = outputFile();
    for (auto _ : state) {
        FILE* in = std::fopen(input.c_str(), "rb");
        std::fseek(in, 0, SEEK_END);
        const size_t size = static_cast<size_t>(std::ftell(in));
        std::fseek(in, 0, SEEK_SET);
        std::unique_ptr<uint8_t[]> file(new uint8_t[size]);
        if (std::fread(file.get(), 1, size, in) != size) state.SkipWithError("read failed");
        std::fclose(in);
        int32_t width = 0;
        int32_t height = 0;
        std::memcpy(&width, file.get() + 18, 4);
        std::memcpy(&height, file.get() + 22, 4);
        const size_t rowBytes = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        std::unique_ptr<uint8_t[]> rgba(new uint8_t[4 * count]);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = file.get() + 54 + static_cast<size_t>(height - 1 - y) * rowBytes;
            uint8_t* to = rgba.get() + 4 * static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int32_t x = 0; x < width; ++x) {
                to[4 * x] = row[3 * x + 2];
                to[4 * x + 1] = row[3 * x + 1];
                to[4 * x + 2] = row[3 * x];
                to[4 * x + 3] = 0;
            }
        }
        std::unique_ptr<uint8_t[]> packed(new uint8_t[size]);
        std::memcpy(packed.get(), file.get(), 54);
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* row = packed.get() + 54 + static_cast<size_t>(height - 1 - y) * rowBytes;
            const uint8_t* from =
                rgba.get() + 4 * static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int32_t x = 0; x < width; ++x) {
                row[3 * x] = from[4 * x + 2];
                row[3 * x + 1] = from[4 * x + 1];
                row[3 * x + 2] = from[4 * x];
            }
            std::memset(row + 3 * static_cast<size_t>(width), 0,
                        rowBytes - 3 * static_cast<size_t>(width));
        }
        FILE* out = std::fopen(output.c_str(), "wb");
        if (std::fwrite(packed.get(), 1, size, out) != size) state.SkipWithError("write failed");
        std::fclose(out);
        benchmark::DoNotOptimize(rgba.get());
    }
}
BENCHMARK(BM_MinimalRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tesselane::bench
