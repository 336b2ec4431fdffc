#include "tesselane/effects/filters/convolve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/filters/filter_fixtures.h"
#include "tests/reference/filters_reference.h"
#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::describe;
using testing::grey;
using testing::greyImage;
using testing::randomImage;
using testing::sameImage;

// A kernel with the single weight w at (dx, dy).
Kernel singleWeight(int32_t dx, int32_t dy, double w) {
    Kernel kernel{};
    kernel[static_cast<size_t>(5 * (dx + 2) + (dy + 2))] = w;
    return kernel;
}

// Every pixel of a 4x3 image different: (x, y) holds (10 x + y, 100 + y, 200 - x, 7).
std::unique_ptr<Image> numberedImage() {
    auto image = std::make_unique<Image>(4, 3);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            image->pixelAt(x, y) =
                Pixel{static_cast<uint8_t>(10 * x + y), static_cast<uint8_t>(100 + y),
                      static_cast<uint8_t>(200 - x), 7};
        }
    }
    return image;
}

TEST(ConvolveAt, ReplacesEachOutsideCoordinateByTheCentres) {
    // With one weight 1.0 the pixel becomes the neighbour read at that offset, alpha 255.
    const struct {
        int32_t x, y, dx, dy;
        int32_t readX, readY;
    } cases[] = {
        {1, 1, -1, 0, 0, 1},   // inside
        {1, 1, -2, 0, 1, 1},   // column -1 is outside: column 1, not the edge column 0
        {1, 1, -2, 1, 1, 2},   // replaced along x only
        {0, 0, -2, -2, 0, 0},  // outside on both axes: the centre itself
        {3, 0, 1, -1, 3, 0},  {2, 0, 1, -2, 3, 0}, {0, 2, 2, 2, 2, 2},
        {3, 2, 2, 1, 3, 2},   {2, 1, 1, 1, 3, 2},  {2, 1, -2, 2, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ") offset (" +
                     std::to_string(c.dx) + ", " + std::to_string(c.dy) + ")");
        auto image = numberedImage();
        const Pixel read = image->pixelAt(c.readX, c.readY);
        convolveAt(*image, c.x, c.y, singleWeight(c.dx, c.dy, 1.0));
        EXPECT_EQ(describe(image->pixelAt(c.x, c.y)), describe(Pixel{read.r, read.g, read.b, 255}));
    }
}

TEST(ConvolveAt, RoundsEachContributionAndSaturates) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        Pixel pixel;
        double weight;  // on the centre, all others 0
        Pixel expected;
    } cases[] = {
        {Pixel{101, 3, 255, 7}, 0.5, Pixel{51, 2, 128, 255}},
        {Pixel{127, 200, 0, 0}, 2.0, Pixel{254, 255, 0, 255}},
        {Pixel{100, 255, 1, 9}, -1.0, Pixel{0, 0, 0, 255}},
        {Pixel{100, 255, 1, 9}, 1e300, Pixel{255, 255, 255, 255}},
        {Pixel{100, 0, 1, 9}, inf, Pixel{255, 0, 255, 255}},  // 0 x inf is NaN: 0
        {Pixel{100, 255, 1, 9}, nan, Pixel{0, 0, 0, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.pixel) + " by " + std::to_string(c.weight));
        Image image(1, 1);
        image.pixelAt(0, 0) = c.pixel;
        convolveAt(image, 0, 0, singleWeight(0, 0, c.weight));
        EXPECT_EQ(describe(image.pixelAt(0, 0)), describe(c.expected));
    }
    // Uniform 1/25 on a 1x1 of 200: 25 reads of 200 x 0.04 = 8, rounded one by one: 200.
    Kernel uniform{};
    uniform.fill(1 / 25.0);
    Image image(1, 1);
    image.pixelAt(0, 0) = grey(200, 0);
    convolveAt(image, 0, 0, uniform);
    EXPECT_EQ(describe(image.pixelAt(0, 0)), describe(grey(200)));
}

TEST(ConvolveAt, PositionOutsideThePictureChangesNothing) {
    const struct {
        int32_t x, y;
    } cases[] = {
        {-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT32_MIN, 0}, {0, INT32_MAX}, {INT32_MAX, INT32_MIN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        auto image = numberedImage();
        const auto before = numberedImage();
        convolveAt(*image, c.x, c.y, KernelBinomial5x5);
        std::string where;
        EXPECT_TRUE(sameImage(*before, *image, &where)) << where;
    }
}

TEST(ConvolveAt, MatchesReferenceForArbitraryKernels) {
    std::mt19937 generator(41);
    std::uniform_real_distribution<double> weight(-0.3, 1.2);
    for (const auto& [w, h] : testing::filterSizes()) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Kernel kernel{};
        for (double& k : kernel) k = weight(generator);
        auto fast = randomImage(w, h, static_cast<uint32_t>(w * 1000 + h));
        Image slow(*fast);
        std::uniform_int_distribution<int32_t> column(0, w - 1);
        std::uniform_int_distribution<int32_t> row(0, h - 1);
        for (int32_t i = 0; i < 40; ++i) {
            const int32_t x = column(generator);
            const int32_t y = row(generator);
            convolveAt(*fast, x, y, kernel);
            reference::convolveAt(slow, x, y, kernel);
        }
        std::string where;
        EXPECT_TRUE(sameImage(slow, *fast, &where)) << where;
    }
}

TEST(ConvolveKernel, OnePixelImageReadsItselfTwentyFiveTimes) {
    // kind 3 on 100: four contributions of 6 (1/16), four of 13 (1/8) and one of 25 (1/4): 101.
    const struct {
        uint8_t value;
        int32_t kind;
        uint8_t expected;
    } cases[] =
        {
            {100, 2, 100}, {100, 3, 101}, {100, 4, 100}, {100, 5, 98},  {100, 6, 98},
            {1, 2, 0},     {1, 3, 0},     {1, 4, 0},     {1, 5, 0},     {200, 2, 200},
            {200, 3, 202}, {200, 4, 204}, {200, 5, 204}, {255, 2, 255}, {255, 3, 255},
            {255, 4, 255}, {255, 5, 255},  // kind 3 adds up to 256
            {0, 5, 0},
        };
    for (uint8_t alpha : {uint8_t{0}, uint8_t{100}, uint8_t{255}}) {
        for (const auto& c : cases) {
            SCOPED_TRACE("value " + std::to_string(c.value) + " kind " + std::to_string(c.kind) +
                         " alpha " + std::to_string(alpha));
            Image image(1, 1);
            image.pixelAt(0, 0) = grey(c.value, alpha);
            convolveKernel(image, c.kind);
            EXPECT_EQ(describe(image.pixelAt(0, 0)), describe(grey(c.expected)));
        }
    }
}

TEST(ConvolveKernel, UniformThreeByThree) {
    const struct {
        int32_t kind;
        uint8_t expected;
    } cases[] = {{3, 101}, {5, 98}};
    for (const auto& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        auto image = greyImage({{100, 100, 100}, {100, 100, 100}, {100, 100, 100}}, 30);
        convolveKernel(*image, c.kind);
        const auto expected = greyImage({{c.expected, c.expected, c.expected},
                                         {c.expected, c.expected, c.expected},
                                         {c.expected, c.expected, c.expected}});
        std::string where;
        EXPECT_TRUE(sameImage(*expected, *image, &where)) << where;
    }
}

TEST(ConvolveKernel, SingleWhitePixelShowsTheInPlaceOrder) {
    // Black 5x5, alpha 255, white at (2, 2). Rows y = 0..4, columns x = 0..4.
    const struct {
        int32_t kind;
        std::vector<std::vector<uint8_t>> expected;
    } cases[] = {
        // Box 2x2 reads only pixels not yet filtered: the four pixels whose box holds (2, 2).
        {2,
         {{0, 0, 0, 0, 0}, {0, 64, 64, 0, 0}, {0, 64, 64, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}},
        // Binomial 3x3 spreads filtered values rightwards and downwards: uneven.
        {3,
         {{0, 0, 1, 2, 1},
          {0, 16, 36, 10, 2},
          {0, 34, 75, 13, 4},
          {0, 20, 14, 9, 3},
          {0, 3, 3, 2, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        auto image = greyImage({{0, 0, 0, 0, 0},
                                {0, 0, 0, 0, 0},
                                {0, 0, 255, 0, 0},
                                {0, 0, 0, 0, 0},
                                {0, 0, 0, 0, 0}});
        convolveKernel(*image, c.kind);
        std::string where;
        EXPECT_TRUE(sameImage(*greyImage(c.expected), *image, &where)) << where;
    }
}

TEST(ConvolveKernel, KindOneOrLessChangesNothing) {
    for (int32_t kind : {1, 0, -1, -5, INT32_MIN}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        auto image = randomImage(7, 5, 3);
        const auto before = randomImage(7, 5, 3);
        convolveKernel(*image, kind);
        std::string where;
        EXPECT_TRUE(sameImage(*before, *image, &where)) << where;
    }
}

TEST(ConvolveKernel, KindsAboveFiveUseTheBinomialFiveByFive) {
    for (int32_t kind : {6, 7, 100, INT32_MAX}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        auto image = randomImage(9, 8, 4);
        auto five = randomImage(9, 8, 4);
        convolveKernel(*image, kind);
        convolveKernel(*five, 5);
        std::string where;
        EXPECT_TRUE(sameImage(*five, *image, &where)) << where;
    }
}

TEST(ConvolveKernel, MatchesReferenceOnRandomImages) {
    for (int32_t kind : {-1, 0, 1, 2, 3, 4, 5, 6, 7, INT32_MIN, INT32_MAX}) {
        for (const auto& [w, h] : testing::filterSizes()) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", " + std::to_string(w) + "x" +
                         std::to_string(h));
            auto fast = randomImage(
                w, h, static_cast<uint32_t>(kind) * 7919u + static_cast<uint32_t>(w * 31 + h));
            Image slow(*fast);
            convolveKernel(*fast, kind);
            reference::convolveKernel(slow, kind);
            std::string where;
            ASSERT_TRUE(sameImage(slow, *fast, &where)) << where;
        }
    }
}

TEST(ConvolveKernel, MatchesReferenceOnExtremeValues) {
    // Saturated and empty neighbourhoods: pictures of only 0 and 255 channels.
    std::mt19937 generator(5);
    for (int32_t kind = 2; kind <= 5; ++kind) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        auto fast = std::make_unique<Image>(37, 23);
        for (int32_t i = 0; i < fast->pixelCount; ++i) {
            const auto bits = static_cast<uint32_t>(generator());
            fast->pixels[i] = Pixel{
                static_cast<uint8_t>(bits & 1 ? 255 : 0), static_cast<uint8_t>(bits & 2 ? 255 : 0),
                static_cast<uint8_t>(bits & 4 ? 255 : 0), static_cast<uint8_t>(bits & 8 ? 255 : 0)};
        }
        Image slow(*fast);
        convolveKernel(*fast, kind);
        reference::convolveKernel(slow, kind);
        std::string where;
        EXPECT_TRUE(sameImage(slow, *fast, &where)) << where;
    }
}

}  // namespace
}  // namespace tesselane
