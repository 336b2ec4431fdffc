// The sampler and the geometric operations on a 4000x3000 noise picture, fast against the
// plain reference versions (full rotation canvas, one sample call per pixel, atan2 per
// pixel). The reference runs take seconds; a fixed iteration count is enough. The argument
// of each benchmark is the source's sample mode.
//
// BM_RotatePeakMemory measures the peak resident memory of rotateImage itself: the peak is
// reset (Linux /proc/self/clear_refs) with the source already resident, and read back after.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bench_images.h"
#include "tesselane/geometry/transform.h"
#include "tests/reference/geometry_reference.h"

namespace tesselane {
namespace {

Image& source(int64_t mode) {
    static const std::unique_ptr<Image> image = bench::noiseImage();
    image->setSampleMode(static_cast<int32_t>(mode));
    return *image;
}

// Runs make on the source in the mode given as argument; throughput in output pixels.
template <class Make>
void run(benchmark::State& state, Make make) {
    const Image& from = source(state.range(0));
    int64_t pixels = 0;
    for (auto _ : state) {
        std::unique_ptr<Image> result = make(from);
        pixels = result->pixelCount;
        benchmark::DoNotOptimize(result->pixels.get());
        benchmark::ClobberMemory();
    }
    state.counters["out_Mpx/s"] = benchmark::Counter(static_cast<double>(pixels) / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Rotate30(benchmark::State& state) {
    run(state, [](const Image& s) { return rotateImage(s, 30.0); });
}
void BM_Rotate30Reference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::rotateImage(s, 30.0); });
}
void BM_Scale2(benchmark::State& state) {
    run(state, [](const Image& s) { return scaleImage(s, 2.0, 2.0); });
}
void BM_Scale2Reference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::scaleImage(s, 2.0, 2.0); });
}
void BM_ScaleHalf(benchmark::State& state) {
    run(state, [](const Image& s) { return scaleImage(s, 0.5, 0.5); });
}
void BM_ScaleHalfReference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::scaleImage(s, 0.5, 0.5); });
}
void BM_WarpSine(benchmark::State& state) {
    run(state, [](const Image& s) { return warpImage(s, SineWave); });
}
void BM_WarpSineReference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::warpImage(s, SineWave); });
}
void BM_WarpPolarSquare(benchmark::State& state) {
    run(state, [](const Image& s) { return warpImage(s, PolarSquare); });
}
void BM_WarpPolarSquareReference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::warpImage(s, PolarSquare); });
}
void BM_WarpPolarSameSize(benchmark::State& state) {
    run(state, [](const Image& s) { return warpImage(s, PolarSameSize); });
}
void BM_WarpPolarSameSizeReference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::warpImage(s, PolarSameSize); });
}
void BM_TrimWhite(benchmark::State& state) {
    run(state, [](const Image& s) { return trimWhite(s); });
}
void BM_TrimWhiteReference(benchmark::State& state) {
    run(state, [](const Image& s) { return reference::trimWhite(s); });
}

// A million positions over the picture, whole, half and arbitrary, some near the edges.
const std::vector<std::pair<double, double>>& positions() {
    static const std::vector<std::pair<double, double>> list = [] {
        std::vector<std::pair<double, double>> p;
        uint32_t state = 7;
        const auto next = [&] {
            state = state * 1664525u + 1013904223u;
            return static_cast<double>(state >> 8) / 16777216.0;
        };
        for (int k = 0; k < 1000000; ++k) {
            p.push_back({next() * (bench::kWidth + 2) - 1, next() * (bench::kHeight + 2) - 1});
        }
        return p;
    }();
    return list;
}

template <class Sample>
void runSamples(benchmark::State& state, Sample sample) {
    const Image& from = source(state.range(0));
    const auto& list = positions();
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const auto& [x, y] : list) sum += sample(from, x, y).r;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["Msamples/s"] = benchmark::Counter(
        static_cast<double>(list.size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Sample(benchmark::State& state) {
    runSamples(state, [](const Image& s, double x, double y) { return s.sample(x, y); });
}
void BM_SampleReference(benchmark::State& state) {
    runSamples(state,
               [](const Image& s, double x, double y) { return reference::sample(s, x, y); });
}

// Peak resident kibibytes of this process since the last reset, or -1 off Linux.
long peakKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

void resetPeak() {
    if (std::FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", file);
        std::fclose(file);
    }
}

void BM_RotatePeakMemory(benchmark::State& state) {
    const Image& from = source(state.range(0));
    const double sourceMib = static_cast<double>(from.pixelCount) * 4 / 1048576.0;
    double peakMib = 0;
    double resultMib = 0;
    for (auto _ : state) {
        resetPeak();
        const long before = peakKib();
        std::unique_ptr<Image> result = rotateImage(from, 30.0);
        peakMib = static_cast<double>(peakKib()) / 1024.0;
        resultMib = static_cast<double>(result->pixelCount) * 4 / 1048576.0;
        benchmark::DoNotOptimize(result->pixels.get());
        state.counters["resident_before_MiB"] = static_cast<double>(before) / 1024.0;
    }
    state.counters["peak_MiB"] = peakMib;
    state.counters["source_MiB"] = sourceMib;
    state.counters["result_MiB"] = resultMib;
    state.counters["limit_MiB"] = sourceMib + 1.5 * resultMib;
}

constexpr int64_t kModes[] = {Nearest, Bilinear, Gaussian5x5};

void allModes(benchmark::internal::Benchmark* b) {
    for (int64_t mode : kModes) b->Arg(mode);
}

BENCHMARK(BM_Rotate30)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate30Reference)->Apply(allModes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RotatePeakMemory)->Apply(allModes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Scale2)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale2Reference)->Apply(allModes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScaleHalf)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleHalfReference)->Apply(allModes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WarpSine)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarpSineReference)->Apply(allModes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WarpPolarSquare)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarpPolarSquareReference)
    ->Apply(allModes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_WarpPolarSameSize)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarpPolarSameSizeReference)
    ->Apply(allModes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_TrimWhite)->Arg(Nearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimWhiteReference)->Arg(Nearest)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Sample)->Apply(allModes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleReference)->Apply(allModes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tesselane
