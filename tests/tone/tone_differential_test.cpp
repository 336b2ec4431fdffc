#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tesselane/effects/tone/adjust.h"
#include "tesselane/effects/tone/dither.h"
#include "tests/reference/tone_reference.h"
#include "tests/support/images.h"

// The optimised operations against their plain transcriptions, byte for byte, on random
// pictures of awkward sizes with ordinary and awkward arguments.

namespace tesselane {
namespace {

using testing::awkwardSizes;
using testing::randomImage;
using testing::sameImage;

std::vector<double> realArguments() {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> reals = {0.0,
                                 -0.0,
                                 1.0,
                                 0.5,
                                 1.5,
                                 -0.5,
                                 -1.0,
                                 2.0,
                                 0.25,
                                 0.7,
                                 3.75,
                                 1e-9,
                                 -1e-9,
                                 255.0,
                                 1e9,
                                 -1e9,
                                 1e300,
                                 -1e300,
                                 std::numeric_limits<double>::max(),
                                 -std::numeric_limits<double>::max(),
                                 std::numeric_limits<double>::denorm_min(),
                                 inf,
                                 -inf,
                                 std::numeric_limits<double>::quiet_NaN()};
    std::mt19937 generator(17);
    std::uniform_real_distribution<double> ordinary(-4.0, 4.0);
    for (int i = 0; i < 8; ++i) reals.push_back(ordinary(generator));
    return reals;
}

std::vector<int32_t> bitsArguments() {
    return {INT32_MIN, -7, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 31, 32, 100, INT32_MAX};
}

using Operation = std::function<void(Image&)>;

// Runs both on the same random picture of every awkward size, each after srand(seed), and
// wants the same pixels and the generator left at the same place.
void expectSame(const std::string& what, const Operation& fast, const Operation& plain,
                std::vector<std::pair<int32_t, int32_t>> sizes = awkwardSizes()) {
    uint32_t pictureSeed = 1;
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(::testing::Message() << what << " on " << width << "x" << height);
        auto expected = randomImage(width, height, pictureSeed);
        auto actual = randomImage(width, height, pictureSeed);
        ++pictureSeed;
        std::srand(pictureSeed);
        plain(*expected);
        const int plainNext = std::rand();
        std::srand(pictureSeed);
        fast(*actual);
        const int fastNext = std::rand();
        std::string where;
        ASSERT_TRUE(sameImage(*expected, *actual, &where)) << where;
        ASSERT_EQ(fastNext, plainNext) << "the generator was advanced differently";
    }
}

TEST(ToneDifferential, RealArgumentOperations) {
    for (const double value : realArguments()) {
        const std::string arg = ::testing::PrintToString(value);
        expectSame(
            "scaleBrightness " + arg, [&](Image& i) { scaleBrightness(i, value); },
            [&](Image& i) { reference::scaleBrightness(i, value); });
        expectSame(
            "adjustContrast " + arg, [&](Image& i) { adjustContrast(i, value); },
            [&](Image& i) { reference::adjustContrast(i, value); });
        expectSame(
            "adjustSaturation " + arg, [&](Image& i) { adjustSaturation(i, value); },
            [&](Image& i) { reference::adjustSaturation(i, value); });
        expectSame(
            "addNoise " + arg, [&](Image& i) { addNoise(i, value); },
            [&](Image& i) { reference::addNoise(i, value); });
    }
}

TEST(ToneDifferential, BitsOperations) {
    for (const int32_t bits : bitsArguments()) {
        const std::string arg = std::to_string(bits);
        expectSame(
            "posterize " + arg, [&](Image& i) { posterize(i, bits); },
            [&](Image& i) { reference::posterize(i, bits); });
        expectSame(
            "posterizeWithNoise " + arg, [&](Image& i) { posterizeWithNoise(i, bits); },
            [&](Image& i) { reference::posterizeWithNoise(i, bits); });
        expectSame(
            "orderedDither " + arg, [&](Image& i) { orderedDither(i, bits); },
            [&](Image& i) { reference::orderedDither(i, bits); });
        expectSame(
            "errorDiffusionDither " + arg, [&](Image& i) { errorDiffusionDither(i, bits); },
            [&](Image& i) { reference::errorDiffusionDither(i, bits); });
    }
}

TEST(ToneDifferential, IsolateChannel) {
    for (const int32_t channel : {INT32_MIN, -1, 0, 1, 2, 3, 4, 5, 255, INT32_MAX}) {
        expectSame(
            "isolateChannel " + std::to_string(channel),
            [&](Image& i) { isolateChannel(i, channel); },
            [&](Image& i) { reference::isolateChannel(i, channel); });
    }
}

TEST(ToneDifferential, NoiseOnTallPictures) {
    // Columns longer than the stretch of draws taken at a time.
    const std::vector<std::pair<int32_t, int32_t>> tall = {{1, 1025}, {3, 2500}, {2, 4097}};
    expectSame(
        "addNoise 0.8", [](Image& i) { addNoise(i, 0.8); },
        [](Image& i) { reference::addNoise(i, 0.8); }, tall);
    expectSame(
        "posterizeWithNoise 3", [](Image& i) { posterizeWithNoise(i, 3); },
        [](Image& i) { reference::posterizeWithNoise(i, 3); }, tall);
}

TEST(ToneDifferential, DitherOnSmoothPictures) {
    // Smooth gradients carry error across long runs, where random pictures mostly saturate.
    for (const int32_t bits : {1, 2, 3, 5, 6, 7}) {
        for (const auto& [width, height] : awkwardSizes()) {
            SCOPED_TRACE(::testing::Message()
                         << "bits " << bits << " on " << width << "x" << height);
            Image expected(width, height);
            for (int32_t y = 0; y < height; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    expected.pixelAt(x, y) = Pixel{static_cast<uint8_t>((x * 7 + y * 3) % 256),
                                                   static_cast<uint8_t>((x * 2 + y * 11) % 256),
                                                   static_cast<uint8_t>((x + y) % 256), 200};
                }
            }
            Image actual(expected);
            Image expectedOrdered(expected);
            Image actualOrdered(expected);
            reference::errorDiffusionDither(expected, bits);
            errorDiffusionDither(actual, bits);
            std::string where;
            ASSERT_TRUE(sameImage(expected, actual, &where)) << where;
            reference::orderedDither(expectedOrdered, bits);
            orderedDither(actualOrdered, bits);
            ASSERT_TRUE(sameImage(expectedOrdered, actualOrdered, &where)) << where;
        }
    }
}

}  // namespace
}  // namespace tesselane
