#include "tesselane/effects/tone/adjust.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tesselane/image/colour.h"
#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::describe;
using testing::randomImage;
using testing::sameImage;
using testing::uniformImage;

struct WorkedValue {
    const char* operation;
    std::function<void(Image&)> apply;
    Pixel before;
    Pixel after;
};

TEST(PointAdjustments, WorkedValues) {
    const WorkedValue cases[] = {
        {"scaleBrightness 0.5",
         [](Image& i) { scaleBrightness(i, 0.5); },
         {200, 100, 50, 255},
         {100, 50, 25, 128}},
        {"scaleBrightness 1.5",
         [](Image& i) { scaleBrightness(i, 1.5); },
         {200, 100, 50, 255},
         {255, 150, 75, 255}},
        {"adjustContrast 1.5",
         [](Image& i) { adjustContrast(i, 1.5); },
         {200, 50, 20, 255},
         {239, 14, 0, 255}},
        {"adjustContrast 0.5",
         [](Image& i) { adjustContrast(i, 0.5); },
         {200, 50, 20, 100},
         {162, 87, 72, 178}},
        {"adjustSaturation 0.0",
         [](Image& i) { adjustSaturation(i, 0.0); },
         {255, 0, 0, 255},
         {75, 75, 75, 255}},
        {"adjustSaturation 0.5",
         [](Image& i) { adjustSaturation(i, 0.5); },
         {255, 0, 0, 255},
         {165, 38, 38, 255}},
        {"adjustSaturation 1.5",
         [](Image& i) { adjustSaturation(i, 1.5); },
         {200, 100, 50, 128},
         {239, 89, 14, 128}},
        {"isolateChannel 0",
         [](Image& i) { isolateChannel(i, 0); },
         {10, 20, 30, 255},
         {10, 0, 0, 0}},
        {"posterize 2", [](Image& i) { posterize(i, 2); }, {10, 128, 200, 7}, {0, 170, 255, 255}},
    };
    for (const WorkedValue& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.operation << " of " << describe(c.before));
        // A 3x2 picture of one value: every pixel takes the same new value.
        auto image = uniformImage(3, 2, c.before);
        c.apply(*image);
        std::string where;
        EXPECT_TRUE(sameImage(*uniformImage(3, 2, c.after), *image, &where)) << where;
    }
}

// The noisy rows, given with the random pixel each pixel draws: the per-pixel expression that
// addNoise and posterizeWithNoise apply to it.
TEST(PointAdjustments, NoisyWorkedValues) {
    struct Case {
        const char* operation;
        std::function<Pixel(Pixel, Pixel)> rule;
        Pixel before;
        Pixel noise;
        Pixel after;
    };
    const auto noise = [](double amount) {
        return [amount](Pixel p, Pixel n) { return addPixels(p, scalePixel(n, amount)); };
    };
    const auto posterizedNoise = [](int32_t bits) {
        return [bits](Pixel p, Pixel n) {
            return posterizePixel(addPixels(scalePixel(p, 0.5), scalePixel(n, 0.5)), bits);
        };
    };
    const Case cases[] = {
        {"addNoise 0.5",
         noise(0.5),
         {100, 150, 200, 255},
         {40, 80, 120, 160},
         {120, 190, 255, 255}},
        {"addNoise -1.0", noise(-1.0), {100, 150, 200, 255}, {250, 1, 77, 3}, {100, 150, 200, 255}},
        {"posterizeWithNoise 2",
         posterizedNoise(2),
         {100, 150, 200, 255},
         {40, 80, 120, 160},
         {85, 85, 170, 255}},
        {"posterizeWithNoise 3",
         posterizedNoise(3),
         {100, 150, 200, 37},
         {0, 0, 0, 0},
         {36, 72, 109, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.operation << " of " << describe(c.before)
                                          << " with noise " << describe(c.noise));
        EXPECT_EQ(c.rule(c.before, c.noise), c.after);
    }
}

// The draws of a call, replayed: pixel k in column order gets draws 4k + 1..4k + 4.
std::vector<Pixel> replayRandomPixels(unsigned seed, int32_t count) {
    std::srand(seed);
    std::vector<Pixel> pixels;
    for (int32_t k = 0; k < count; ++k) {
        const auto a = static_cast<uint8_t>(std::rand() % 256);
        const auto b = static_cast<uint8_t>(std::rand() % 256);
        const auto g = static_cast<uint8_t>(std::rand() % 256);
        const auto r = static_cast<uint8_t>(std::rand() % 256);
        pixels.push_back(Pixel{r, g, b, a});
    }
    return pixels;
}

// The raw draw that follows the first count draws after srand(seed).
int drawAfter(unsigned seed, int count) {
    std::srand(seed);
    for (int i = 0; i < count; ++i) std::rand();
    return std::rand();
}

TEST(AddNoise, PixelAtXYTakesDrawsOfColumnOrder) {
    // On a 2 x 3 picture, k = x * 3 + y: (0, 2) takes draws 9..12 (k = 2) and (1, 0) takes
    // draws 13..16 (k = 3). Noise at amount 1 on (0, 0, 0, 0) leaves exactly the random pixel.
    const unsigned seed = 99;
    const std::vector<Pixel> draws = replayRandomPixels(seed, 6);
    auto image = uniformImage(2, 3, Pixel{0, 0, 0, 0});
    std::srand(seed);
    addNoise(*image, 1.0);
    for (int32_t x = 0; x < 2; ++x) {
        for (int32_t y = 0; y < 3; ++y) {
            SCOPED_TRACE(::testing::Message() << "(" << x << ", " << y << ")");
            EXPECT_EQ(image->pixelAt(x, y), draws[static_cast<size_t>(x * 3 + y)]);
        }
    }
    EXPECT_EQ(image->pixelAt(0, 2), draws[2]);
    EXPECT_EQ(image->pixelAt(1, 0), draws[3]);
    const int next = std::rand();
    EXPECT_EQ(next, drawAfter(seed, 4 * 6));  // exactly 4 x width x height draws
}

TEST(AddNoise, OnlyBrightensAndSaturates) {
    // Amount 2 on a pixel whose channels are 255, 0, 128 and 1: 255 stays, 0 takes the
    // noise doubled, 128 and 1 add it with a ceiling at 255.
    const unsigned seed = 5;
    const std::vector<Pixel> draws = replayRandomPixels(seed, 1);
    auto image = uniformImage(1, 1, Pixel{255, 0, 128, 1});
    std::srand(seed);
    addNoise(*image, 2.0);
    const Pixel n = draws[0];
    const auto sum = [](int base, int noise) { return std::min(base + 2 * noise, 255); };
    EXPECT_EQ(image->pixelAt(0, 0),
              (Pixel{255, static_cast<uint8_t>(sum(0, n.g)), static_cast<uint8_t>(sum(128, n.b)),
                     static_cast<uint8_t>(sum(1, n.a))}));
}

TEST(AddNoise, ZeroOrNegativeAmountKeepsImageAndStillDraws) {
    for (const double amount : {0.0, -0.0, -1.0, -1e300, 0.0009}) {
        SCOPED_TRACE(amount);
        const unsigned seed = 77;
        const int next = drawAfter(seed, 4 * 5 * 3);
        auto image = randomImage(5, 3, 3);
        const auto before = Image(*image);
        std::srand(seed);
        addNoise(*image, amount);
        std::string where;
        EXPECT_TRUE(sameImage(before, *image, &where)) << where;
        EXPECT_EQ(std::rand(), next);  // exactly 4 x width x height draws
    }
}

TEST(PosterizeWithNoise, PixelAtXYTakesDrawsOfColumnOrder) {
    // With 8 bits posterisation keeps colours, so on (0, 0, 0, 0) each pixel shows its noise
    // halved (255 halves to 128) with alpha 255.
    const unsigned seed = 4242;
    const std::vector<Pixel> draws = replayRandomPixels(seed, 6);
    auto image = uniformImage(2, 3, Pixel{0, 0, 0, 0});
    std::srand(seed);
    posterizeWithNoise(*image, 8);
    const auto half = [](uint8_t v) { return static_cast<uint8_t>((v + 1) / 2); };
    for (int32_t x = 0; x < 2; ++x) {
        for (int32_t y = 0; y < 3; ++y) {
            SCOPED_TRACE(::testing::Message() << "(" << x << ", " << y << ")");
            const Pixel n = draws[static_cast<size_t>(x * 3 + y)];
            EXPECT_EQ(image->pixelAt(x, y), (Pixel{half(n.r), half(n.g), half(n.b), 255}));
        }
    }
    const int next = std::rand();
    EXPECT_EQ(next, drawAfter(seed, 4 * 6));  // exactly 4 x width x height draws
}

TEST(PosterizeWithNoise, HalvesSaturateBeforePosterising) {
    // 255 halves to 128 on each side: 256 is held at 255, which one bit keeps at 255.
    std::srand(1);
    auto image = uniformImage(4, 4, Pixel{255, 255, 255, 0});
    posterizeWithNoise(*image, 1);
    for (int32_t i = 0; i < image->pixelCount; ++i) {
        // Half the pixel is 128 already: one bit makes every colour 255, alpha 255.
        EXPECT_EQ(image->pixels[i], (Pixel{255, 255, 255, 255}));
    }
}

TEST(ScaleBrightness, EdgeCases) {
    auto image = randomImage(7, 5, 11);
    const Image original(*image);
    scaleBrightness(*image, 1.0);
    std::string where;
    EXPECT_TRUE(sameImage(original, *image, &where)) << where;

    auto opaque = uniformImage(2, 2, Pixel{255, 255, 255, 255});
    scaleBrightness(*opaque, 0.5);
    EXPECT_TRUE(sameImage(*uniformImage(2, 2, Pixel{128, 128, 128, 128}), *opaque, &where))
        << where;

    scaleBrightness(*image, 0.0);
    EXPECT_TRUE(sameImage(*uniformImage(7, 5, Pixel{0, 0, 0, 0}), *image, &where)) << where;
}

TEST(AdjustContrast, EdgeCases) {
    auto image = randomImage(7, 5, 12);
    const Image original(*image);
    adjustContrast(*image, 1.0);
    std::string where;
    EXPECT_TRUE(sameImage(original, *image, &where)) << where;  // alpha included

    adjustContrast(*image, 0.0);
    EXPECT_TRUE(sameImage(*uniformImage(7, 5, Pixel{123, 123, 123, 255}), *image, &where)) << where;

    // Below 0 the colours turn about the grey: 123 - 1 x (200 - 123) = 46, 123 + 73 = 196;
    // alpha 255 - 1 x (100 - 255) = 410, clamped.
    auto inverted = uniformImage(1, 1, Pixel{200, 50, 123, 100});
    adjustContrast(*inverted, -1.0);
    EXPECT_EQ(inverted->pixelAt(0, 0), (Pixel{46, 196, 123, 255}));
}

TEST(AdjustSaturation, EdgeCases) {
    auto image = randomImage(7, 5, 13);
    const Image original(*image);
    adjustSaturation(*image, 1.0);
    std::string where;
    EXPECT_TRUE(sameImage(original, *image, &where)) << where;

    struct Case {
        Pixel before;
        double weight;
        Pixel after;
    };
    const Case cases[] = {
        {{255, 0, 0, 255}, 0.0, {75, 75, 75, 255}},
        {{255, 255, 255, 0}, 0.0, {254, 254, 254, 0}},  // white's luma is 254
        {{255, 255, 255, 77}, 0.0, {254, 254, 254, 77}},
        {{255, 0, 0, 200}, -1.0, {0, 150, 150, 200}},  // 2 x 75 - 255 < 0; 2 x 75 - 0
        {{10, 20, 30, 99}, 1e300, {0, 255, 255, 0}},   // alpha a x (1 - t) + a x t cancels to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << describe(c.before) << ", weight " << c.weight);
        auto one = uniformImage(1, 1, c.before);
        adjustSaturation(*one, c.weight);
        EXPECT_EQ(one->pixelAt(0, 0), c.after);
    }
}

TEST(IsolateChannel, KeepsOneChannelOrNothingChanges) {
    struct Case {
        int32_t channel;
        Pixel after;
    };
    const Pixel before{10, 20, 30, 40};
    const Case cases[] = {
        {0, {10, 0, 0, 0}},
        {1, {0, 20, 0, 0}},
        {2, {0, 0, 30, 0}},
        {3, {0, 0, 0, 40}},
        {4, {10, 20, 30, 40}},
        {-1, {10, 20, 30, 40}},
        {INT32_MAX, {10, 20, 30, 40}},
        {INT32_MIN, {10, 20, 30, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        auto image = uniformImage(3, 2, before);
        isolateChannel(*image, c.channel);
        std::string where;
        EXPECT_TRUE(sameImage(*uniformImage(3, 2, c.after), *image, &where)) << where;
    }
}

TEST(Posterize, EdgeCases) {
    // One bit: 0..127 to 0, 128..255 to 255; alpha 255.
    Image ramp(256, 1);
    for (int32_t x = 0; x < 256; ++x) {
        const auto v = static_cast<uint8_t>(x);
        ramp.pixelAt(x, 0) = Pixel{v, static_cast<uint8_t>(255 - x), v, static_cast<uint8_t>(x)};
    }
    Image oneBit(ramp);
    posterize(oneBit, 1);
    for (int32_t x = 0; x < 256; ++x) {
        SCOPED_TRACE(x);
        const uint8_t low = x < 128 ? 0 : 255;
        const uint8_t high = 255 - x < 128 ? 0 : 255;
        EXPECT_EQ(oneBit.pixelAt(x, 0), (Pixel{low, high, low, 255}));
    }
    // Eight bits: only alpha changes.
    Image eightBits(ramp);
    posterize(eightBits, 8);
    for (int32_t x = 0; x < 256; ++x) {
        Pixel expected = ramp.pixelAt(x, 0);
        expected.a = 255;
        EXPECT_EQ(eightBits.pixelAt(x, 0), expected);
    }
    // Three and six bits map 255 to 254.
    for (const int32_t bits : {3, 6}) {
        auto white = uniformImage(2, 2, Pixel{255, 255, 255, 0});
        posterize(*white, bits);
        EXPECT_EQ(white->pixelAt(1, 1), (Pixel{254, 254, 254, 255})) << bits;
    }
}

}  // namespace
}  // namespace tesselane
