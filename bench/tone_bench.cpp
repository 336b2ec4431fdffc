// Point adjustments and dithering on a 4000 x 3000 picture. Each in-place operation first
// restores its working picture with a memcpy of the prepared one, and BM_Memcpy times that
// memcpy alone, so "operation / memcpy" and "reference / operation" come from one run. The
// noisy operations are compared with BM_RandOnly, the 4 x width x height rand() calls alone,
// and run without the restoring copy (their cost does not depend on the pixel values).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "bench/support/bench_images.h"
#include "tesselane/effects/tone/adjust.h"
#include "tesselane/effects/tone/dither.h"
#include "tests/reference/tone_reference.h"

namespace tesselane::bench {
namespace {

const Image& prepared() {
    static const std::unique_ptr<Image> image = noiseImage();
    return *image;
}

Image& working() {
    static const std::unique_ptr<Image> image = noiseImage();
    return *image;
}

void restore(Image& target, const Image& source) {
    std::memcpy(static_cast<void*>(target.pixels.get()), source.pixels.get(),
                static_cast<size_t>(source.pixelCount) * sizeof(Pixel));
}

void setCounters(benchmark::State& state) {
    state.counters["Mpx/s"] = benchmark::Counter(prepared().pixelCount / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

// memcpy of the prepared picture into the working one, then op on the working one.
template <typename Op>
void runInPlace(benchmark::State& state, Op op) {
    const Image& source = prepared();
    Image& image = working();
    for (auto _ : state) {
        restore(image, source);
        op(image);
        benchmark::DoNotOptimize(image.pixels.get());
        benchmark::ClobberMemory();
    }
    setCounters(state);
}

template <typename Op>
void runNoisy(benchmark::State& state, Op op) {
    Image& image = working();
    std::srand(1);
    for (auto _ : state) {
        op(image);
        benchmark::DoNotOptimize(image.pixels.get());
        benchmark::ClobberMemory();
    }
    setCounters(state);
}

void BM_Memcpy(benchmark::State& state) {
    runInPlace(state, [](Image&) {});
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_RandOnly(benchmark::State& state) {
    const size_t draws = 4 * static_cast<size_t>(prepared().pixelCount);
    std::srand(1);
    for (auto _ : state) {
        for (size_t i = 0; i < draws; ++i) benchmark::DoNotOptimize(std::rand());
    }
    setCounters(state);
}
BENCHMARK(BM_RandOnly)->Unit(benchmark::kMillisecond);

void BM_ScaleBrightness(benchmark::State& state) {
    runInPlace(state, [](Image& image) { scaleBrightness(image, 1.3); });
}
BENCHMARK(BM_ScaleBrightness)->Unit(benchmark::kMillisecond);

void BM_ScaleBrightnessReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::scaleBrightness(image, 1.3); });
}
BENCHMARK(BM_ScaleBrightnessReference)->Unit(benchmark::kMillisecond);

void BM_AdjustContrast(benchmark::State& state) {
    runInPlace(state, [](Image& image) { adjustContrast(image, 1.5); });
}
BENCHMARK(BM_AdjustContrast)->Unit(benchmark::kMillisecond);

void BM_AdjustContrastReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::adjustContrast(image, 1.5); });
}
BENCHMARK(BM_AdjustContrastReference)->Unit(benchmark::kMillisecond);

void BM_AdjustSaturation(benchmark::State& state) {
    runInPlace(state, [](Image& image) { adjustSaturation(image, 1.5); });
}
BENCHMARK(BM_AdjustSaturation)->Unit(benchmark::kMillisecond);

void BM_AdjustSaturationReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::adjustSaturation(image, 1.5); });
}
BENCHMARK(BM_AdjustSaturationReference)->Unit(benchmark::kMillisecond);

void BM_IsolateChannel(benchmark::State& state) {
    runInPlace(state, [](Image& image) { isolateChannel(image, 1); });
}
BENCHMARK(BM_IsolateChannel)->Unit(benchmark::kMillisecond);

void BM_IsolateChannelReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::isolateChannel(image, 1); });
}
BENCHMARK(BM_IsolateChannelReference)->Unit(benchmark::kMillisecond);

void BM_Posterize(benchmark::State& state) {
    runInPlace(state, [](Image& image) { posterize(image, 3); });
}
BENCHMARK(BM_Posterize)->Unit(benchmark::kMillisecond);

void BM_PosterizeReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::posterize(image, 3); });
}
BENCHMARK(BM_PosterizeReference)->Unit(benchmark::kMillisecond);

void BM_OrderedDither(benchmark::State& state) {
    runInPlace(state, [](Image& image) { orderedDither(image, 2); });
}
BENCHMARK(BM_OrderedDither)->Unit(benchmark::kMillisecond);

void BM_OrderedDitherReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::orderedDither(image, 2); });
}
BENCHMARK(BM_OrderedDitherReference)->Unit(benchmark::kMillisecond);

void BM_ErrorDiffusionDither(benchmark::State& state) {
    runInPlace(state, [](Image& image) { errorDiffusionDither(image, 2); });
}
BENCHMARK(BM_ErrorDiffusionDither)->Unit(benchmark::kMillisecond);

void BM_ErrorDiffusionDitherReference(benchmark::State& state) {
    runInPlace(state, [](Image& image) { reference::errorDiffusionDither(image, 2); });
}
BENCHMARK(BM_ErrorDiffusionDitherReference)->Unit(benchmark::kMillisecond);

void BM_AddNoise(benchmark::State& state) {
    runNoisy(state, [](Image& image) { addNoise(image, 0.1); });
}
BENCHMARK(BM_AddNoise)->Unit(benchmark::kMillisecond);

void BM_AddNoiseReference(benchmark::State& state) {
    runNoisy(state, [](Image& image) { reference::addNoise(image, 0.1); });
}
BENCHMARK(BM_AddNoiseReference)->Unit(benchmark::kMillisecond);

void BM_PosterizeWithNoise(benchmark::State& state) {
    runNoisy(state, [](Image& image) { posterizeWithNoise(image, 3); });
}
BENCHMARK(BM_PosterizeWithNoise)->Unit(benchmark::kMillisecond);

void BM_PosterizeWithNoiseReference(benchmark::State& state) {
    runNoisy(state, [](Image& image) { reference::posterizeWithNoise(image, 3); });
}
BENCHMARK(BM_PosterizeWithNoiseReference)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tesselane::bench
