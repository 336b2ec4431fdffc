// The filters on a 4000x3000 noise picture, fast against the plain reference versions.
// The reference runs are slow (seconds each); a fixed iteration count is enough. Ratios are
// taken from CPU times: the machines this runs on are often shared.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench/support/bench_images.h"
#include "tesselane/effects/filters/convolve.h"
#include "tesselane/effects/filters/edges.h"
#include "tests/reference/filters_reference.h"

namespace tesselane {
namespace {

const Image& source() {
    static const std::unique_ptr<Image> image = bench::noiseImage();
    return *image;
}

// Runs op on a fresh copy of the source each iteration; the copy is not timed.
template <class Op>
void runInPlace(benchmark::State& state, Op op) {
    const Image& from = source();
    Image work(from);
    const size_t bytes = static_cast<size_t>(from.pixelCount) * sizeof(Pixel);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.pixels.get(), from.pixels.get(), bytes);
        state.ResumeTiming();
        op(work);
        benchmark::DoNotOptimize(work.pixels.get());
        benchmark::ClobberMemory();
    }
    state.counters["Mpx/s"] = benchmark::Counter(static_cast<double>(from.pixelCount) / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ConvolveKernel(benchmark::State& state) {
    runInPlace(state, [](Image& image) { convolveKernel(image, 5); });
}
void BM_ConvolveKernelReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::convolveKernel(image, 5); });
}
void BM_Sharpen(benchmark::State& state) {
    runInPlace(state, [](Image& image) { sharpen(image, 5); });
}
void BM_SharpenReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::sharpen(image, 5); });
}
void BM_LaplacianEdges(benchmark::State& state) {
    runInPlace(state, [](Image& image) { laplacianEdges(image); });
}
void BM_LaplacianEdgesReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::laplacianEdges(image); });
}

BENCHMARK(BM_ConvolveKernel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvolveKernelReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharpenReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LaplacianEdges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LaplacianEdgesReference)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tesselane
