#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tesselane/image/image.h"
#include "tests/geometry/geometry_fixtures.h"
#include "tests/reference/geometry_reference.h"
#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::describe;
using testing::uniformImage;

constexpr Pixel kWhite{255, 255, 255, 255};
constexpr Pixel kBlack{0, 0, 0, 255};

// 2 x 2:  (10, 11, 12, 255) (20, 21, 22, 255)
//         (30, 31, 32, 255) (40, 41, 42, 255)
std::unique_ptr<Image> twoByTwo(int32_t mode) {
    auto image = std::make_unique<Image>(2, 2);
    image->pixelAt(0, 0) = Pixel{10, 11, 12, 255};
    image->pixelAt(1, 0) = Pixel{20, 21, 22, 255};
    image->pixelAt(0, 1) = Pixel{30, 31, 32, 255};
    image->pixelAt(1, 1) = Pixel{40, 41, 42, 255};
    image->setSampleMode(mode);
    return image;
}

std::unique_ptr<Image> uniform(int32_t size, Pixel value, int32_t mode) {
    auto image = uniformImage(size, size, value);
    image->setSampleMode(mode);
    return image;
}

struct SampleCase {
    const char* picture;
    const Image* image;
    double x;
    double y;
    Pixel expected;
};

void expectSamples(const std::vector<SampleCase>& cases) {
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " mode " + std::to_string(c.image->sampleMode) +
                     " at (" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")");
        EXPECT_EQ(describe(c.image->sample(c.x, c.y)), describe(c.expected));
    }
}

TEST(Sample, WorkedResults) {
    const auto nearest = twoByTwo(Nearest);
    const auto bilinear = twoByTwo(Bilinear);
    const auto ones = uniform(3, Pixel{1, 1, 1, 255}, Bilinear);
    const auto grey100 = uniform(9, Pixel{100, 100, 100, 255}, Gaussian5x5);
    const auto grey200 = uniform(9, Pixel{200, 200, 200, 255}, Gaussian5x5);
    const auto white = uniform(9, kWhite, Gaussian5x5);
    const auto black = uniform(9, kBlack, Gaussian5x5);
    expectSamples({
        {"2x2", nearest.get(), 1.7, 0.2, {20, 21, 22, 255}},
        {"2x2", nearest.get(), 0.0, 1.999, {30, 31, 32, 255}},
        {"2x2", nearest.get(), -0.5, 0.0, kWhite},
        {"2x2", nearest.get(), 2.0, 0.0, kWhite},
        // Red terms 10 -> 5 -> 3, 30 -> 15 -> 8, 20 -> 10 -> 5, 40 -> 20 -> 10: 26, not 25.
        {"2x2", bilinear.get(), 0.5, 0.5, {26, 28, 28, 255}},
        {"2x2", bilinear.get(), 1.5, 0.5, {26, 28, 28, 255}},
        {"2x2", bilinear.get(), 0.5, 1.5, {26, 28, 28, 255}},
        {"2x2", bilinear.get(), 1.5, 1.5, {26, 28, 28, 255}},
        {"2x2", bilinear.get(), 1.0, 0.0, {10, 11, 12, 255}},
        {"2x2", bilinear.get(), 0.0, 1.0, {10, 11, 12, 255}},
        {"2x2", bilinear.get(), 1.0, 1.0, {10, 11, 12, 255}},
        {"2x2", bilinear.get(), -0.01, 0.0, kWhite},
        {"2x2", bilinear.get(), 2.0, 0.0, kWhite},
        {"3x3 of 1", ones.get(), 0.5, 0.5, {4, 4, 4, 255}},
        {"9x9 of 100", grey100.get(), 4.5, 4.5, {98, 98, 98, 255}},
        {"9x9 of 100", grey100.get(), 4.0, 4.0, {98, 98, 98, 255}},
        {"9x9 of 200", grey200.get(), 4.5, 4.5, {204, 204, 204, 255}},
        {"9x9 white", white.get(), 4.5, 4.5, kWhite},
        // Clipped window: weights 16, 4, 4 and 1 (in 1/256) on 255.
        {"9x9 white", white.get(), 0.0, 0.0, {25, 25, 25, 255}},
        {"9x9 white", white.get(), 0.5, 0.5, {121, 121, 121, 255}},
        {"9x9 black", black.get(), -0.1, 3.0, kWhite},
        {"9x9 black", black.get(), 9.0, 3.0, kWhite},
        {"9x9 black", black.get(), 8.99, 3.0, kBlack},
    });
}

TEST(Sample, EdgeCases) {
    // 3 x 2 whose pixel (x, y) is (10x + y, 100 + y, 200 - x, 255 - y).
    auto grid = std::make_unique<Image>(3, 2);
    for (int32_t x = 0; x < 3; ++x) {
        for (int32_t y = 0; y < 2; ++y) {
            grid->pixelAt(x, y) =
                Pixel{static_cast<uint8_t>(10 * x + y), static_cast<uint8_t>(100 + y),
                      static_cast<uint8_t>(200 - x), static_cast<uint8_t>(255 - y)};
        }
    }
    Image nearest(*grid);
    Image bilinear(*grid);
    bilinear.setSampleMode(Bilinear);
    const auto whiteBilinear = uniform(4, kWhite, Bilinear);
    const auto alphaOnes = uniform(3, Pixel{1, 1, 1, 1}, Bilinear);
    // 9 x 9 black with one opaque white pixel at (3, 3).
    auto dot = uniform(9, kBlack, Gaussian5x5);
    dot->pixelAt(3, 3) = kWhite;
    const auto white = uniform(9, kWhite, Gaussian5x5);
    expectSamples({
        {"3x2 grid", &nearest, 3 - 0.001, 0.0, grid->pixelAt(2, 0)},
        {"3x2 grid", &nearest, 3.0, 0.0, kWhite},
        {"3x2 grid", &nearest, -0.5, 0.0, kWhite},
        // Whole numbers outside the last column and row give that pixel exactly.
        {"3x2 grid", &bilinear, 1.0, 0.0, grid->pixelAt(1, 0)},
        {"3x2 grid", &bilinear, 0.0, 0.0, grid->pixelAt(0, 0)},
        // In the last column the pair moves back: x = width - 1 gives column width - 2.
        {"3x2 grid", &bilinear, 2.0, 0.0, grid->pixelAt(1, 0)},
        // In the last row likewise: the pixel one row up.
        {"3x2 grid", &bilinear, 1.0, 1.0, grid->pixelAt(1, 0)},
        {"4x4 white", whiteBilinear.get(), 2.3, 3.9, kWhite},
        {"4x4 white", whiteBilinear.get(), 0.01, 0.99, kWhite},
        {"3x3 of (1, 1, 1, 1)", alphaOnes.get(), 0.5, 0.5, {4, 4, 4, 4}},
        // A whole-number position centres the window on the pixel up and to the left: the
        // dot takes the centre weight 36 at (4, 4) and at (3.5, 3.5), but 16 at (4.5, 4.5).
        {"9x9 dot", dot.get(), 4.0, 4.0, {36, 36, 36, 255}},
        {"9x9 dot", dot.get(), 3.5, 3.5, {36, 36, 36, 255}},
        {"9x9 dot", dot.get(), 4.5, 4.5, {16, 16, 16, 255}},
        // Just inside the right edge the window keeps three columns, weights (1, 4, 6) times
        // (1, 4, 6, 4, 1): 16 + 64 + 96 on white; at the edge itself opaque white.
        {"9x9 white", white.get(), 9 - 0.01, 4.5, {176, 176, 176, 255}},
        {"9x9 white", white.get(), 9.0, 4.5, kWhite},
    });
}

TEST(Sample, OtherModesGiveOpaqueBlack) {
    for (int32_t mode : {3, -1, 100, INT32_MIN, INT32_MAX}) {
        const auto image = uniform(3, Pixel{7, 8, 9, 10}, mode);
        for (const auto& p : std::vector<std::pair<double, double>>{
                 {1.0, 1.0}, {0.5, 2.5}, {-1.0, 0.0}, {3.0, 3.0}, {NAN, 1.0}, {1e300, -1e300}}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " at (" + std::to_string(p.first) + ", " +
                         std::to_string(p.second) + ")");
            EXPECT_EQ(describe(image->sample(p.first, p.second)), describe(kBlack));
        }
    }
}

TEST(Sample, PositionsBeyondNumbersAreOutside) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<double, double>> positions = {
        {nan, 0.0},          {0.0, nan},           {nan, nan},          {inf, 0.0},
        {-inf, 0.0},         {0.0, inf},           {0.0, -inf},         {1e300, 0.0},
        {-1e300, 0.0},       {0.0, 3e9},           {2147483648.0, 1.0}, {-2147483649.0, 1.0},
        {4294967296.5, 0.5}, {0.5, -4294967296.5},
    };
    for (int32_t mode : {Nearest, Bilinear, Gaussian5x5}) {
        const auto image = uniform(5, Pixel{1, 2, 3, 4}, mode);
        for (const auto& p : positions) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " at (" + std::to_string(p.first) + ", " +
                         std::to_string(p.second) + ")");
            EXPECT_EQ(describe(image->sample(p.first, p.second)), describe(kWhite));
        }
    }
}

// One pixel across, the Bilinear pair has no column (row) before the last: the column itself
// stands for both, with the weights as written, so the result is the pixel scaled by 1 - x and
// by x (rounded each) summed, and likewise down the rows.
TEST(Sample, BilinearOnOnePixelAcross) {
    // 1 x 1 of (1, 10, 200, 0) at (0.5, 0.5): every term is c -> c/2 -> c/4, rounded twice:
    // 1 -> 1 -> 1 (4 in all), 10 -> 5 -> 3 (12), 200 -> 100 -> 50 (200), 0.
    auto single = uniform(1, Pixel{1, 10, 200, 0}, Bilinear);
    // 1 x 3 column (50, 0, 0, 255), (0, 60, 0, 255), (0, 0, 70, 255).
    auto column = std::make_unique<Image>(1, 3);
    column->pixelAt(0, 0) = Pixel{50, 0, 0, 255};
    column->pixelAt(0, 1) = Pixel{0, 60, 0, 255};
    column->pixelAt(0, 2) = Pixel{0, 0, 70, 255};
    column->setSampleMode(Bilinear);
    // 3 x 1 row (51, 0, 0, 255), (0, 61, 0, 255), (0, 0, 71, 255).
    auto row = std::make_unique<Image>(3, 1);
    row->pixelAt(0, 0) = Pixel{51, 0, 0, 255};
    row->pixelAt(1, 0) = Pixel{0, 61, 0, 255};
    row->pixelAt(2, 0) = Pixel{0, 0, 71, 255};
    row->setSampleMode(Bilinear);
    expectSamples({
        {"1x1", single.get(), 0.5, 0.5, {4, 12, 200, 0}},
        {"1x1", single.get(), 0.0, 0.0, {1, 10, 200, 0}},
        // x: 0.75 and 0.25 of the one column; y: rows 0 and 1, 0.5 each.
        // Red 50: (38 -> 19) + (13 -> 7) = 26; green 60: (45 -> 23) + (15 -> 8) = 31;
        // alpha 255: (191 -> 96) + (64 -> 32), twice over = 256, capped.
        {"1x3", column.get(), 0.25, 0.5, {26, 31, 0, 255}},
        {"1x3", column.get(), 0.0, 1.0, {0, 60, 0, 255}},
        // The last row pairs rows 1 and 2: at y = 2 the pixel one row up.
        {"1x3", column.get(), 0.0, 2.0, {0, 60, 0, 255}},
        // Last column: columns 1 and 2 at 0.5 each; the one row both times, weights 1 and 0.
        // Green 61 -> 31, blue 71 -> 36; alpha 128 + 128 capped.
        {"3x1", row.get(), 2.5, 0.0, {0, 31, 36, 255}},
        // The one row stands for both rows, 0.5 each: green 61 -> 31 twice.
        {"3x1", row.get(), 1.0, 0.5, {0, 62, 0, 255}},
    });
}

// Positions at random and at the awkward places (whole numbers, halves, just inside and just
// outside each edge, beyond the numbers) against the plain transcription, in every mode.
TEST(Sample, MatchesReferenceOnRandomPictures) {
    std::srand(20240611);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& size : testing::awkwardSizes()) {
        auto image = testing::randomImage(size.first, size.second,
                                          static_cast<uint32_t>(size.first * 131 + size.second));
        const double w = size.first;
        const double h = size.second;
        std::vector<std::pair<double, double>> positions = {
            {0.0, 0.0}, {w - 1, h - 1}, {w - 0.5, h - 0.5}, {w - 1e-9, h - 1e-9},
            {w, 0.0},   {0.0, h},       {-1e-300, 0.0},     {-0.0, -0.0},
            {nan, 0.5}, {0.5, 1e20},    {w / 2, h / 2},     {1.5, 2.5},
        };
        for (int k = 0; k < 300; ++k) {
            const double x = (std::rand() % 1000) / 1000.0 * (w + 6) - 3;
            const double y = (std::rand() % 1000) / 1000.0 * (h + 6) - 3;
            positions.push_back({x, y});
            positions.push_back({std::floor(x), std::floor(y) + 0.5});
        }
        for (int32_t mode : testing::kAllModes) {
            image->setSampleMode(mode);
            for (const auto& p : positions) {
                const Pixel expected = reference::sample(*image, p.first, p.second);
                const Pixel actual = image->sample(p.first, p.second);
                if (expected != actual) {
                    ADD_FAILURE() << size.first << "x" << size.second << " mode " << mode << " at ("
                                  << p.first << ", " << p.second << "): " << describe(actual)
                                  << ", expected " << describe(expected);
                    return;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tesselane
