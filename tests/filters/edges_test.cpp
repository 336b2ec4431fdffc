#include "tesselane/effects/filters/edges.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/filters/filter_fixtures.h"
#include "tests/reference/filters_reference.h"
#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::greyImage;
using testing::randomImage;
using testing::sameImage;
using testing::uniformImage;

TEST(LaplacianEdges, UniformAndThinImagesBecomeTransparentBlack) {
    const struct {
        int32_t w, h;
        Pixel value;
    } cases[] = {
        {6, 5, Pixel{10, 200, 255, 255}},  // uniform: 8 c - 8 c = 0
        {3, 3, Pixel{1, 2, 3, 4}},
        {1, 1, Pixel{9, 9, 9, 9}},  // no interior pixels from here on
        {1, 7, Pixel{50, 60, 70, 80}},
        {8, 1, Pixel{50, 60, 70, 80}},
        {2, 2, Pixel{255, 255, 255, 255}},
        {2, 9, Pixel{255, 0, 255, 0}},
        {9, 2, Pixel{0, 255, 0, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        auto image = uniformImage(c.w, c.h, c.value);
        laplacianEdges(*image);
        std::string where;
        EXPECT_TRUE(sameImage(*uniformImage(c.w, c.h, Pixel{0, 0, 0, 0}), *image, &where)) << where;
    }
    // Thin pictures of random content too.
    const std::pair<int32_t, int32_t> thin[] = {{1, 5}, {5, 1}, {2, 6}, {6, 2}};
    for (const auto& [w, h] : thin) {
        auto image = randomImage(w, h, 9);
        laplacianEdges(*image);
        std::string where;
        EXPECT_TRUE(sameImage(*uniformImage(w, h, Pixel{0, 0, 0, 0}), *image, &where)) << where;
    }
}

TEST(LaplacianEdges, StoresModulo256) {
    const struct {
        const char* what;
        std::vector<std::vector<uint8_t>> input;
        std::vector<std::vector<uint8_t>> expected;  // grey, alpha 0
    } cases[] = {
        // 2040 = 8 x 255 gives 248; each neighbour -255 gives 1.
        {"single white pixel",
         {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 255, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
         {{0, 0, 0, 0, 0}, {0, 1, 1, 1, 0}, {0, 1, 248, 1, 0}, {0, 1, 1, 1, 0}, {0, 0, 0, 0, 0}}},
        {"101 among 100",
         {{100, 100, 100}, {100, 101, 100}, {100, 100, 100}},
         {{0, 0, 0}, {0, 8, 0}, {0, 0, 0}}},
        {"100 among 101: -8",
         {{101, 101, 101}, {101, 100, 101}, {101, 101, 101}},
         {{0, 0, 0}, {0, 248, 0}, {0, 0, 0}}},
        // -765 gives 3 on the last dark column, 765 gives 253 on the first bright one.
        {"vertical step",
         {{0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}},
         {{0, 0, 0, 0}, {0, 3, 253, 0}, {0, 3, 253, 0}, {0, 0, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint8_t alpha : {uint8_t{0}, uint8_t{255}}) {
            auto image = greyImage(c.input, alpha);
            laplacianEdges(*image);
            std::string where;
            EXPECT_TRUE(sameImage(*greyImage(c.expected, 0), *image, &where)) << where;
        }
    }
}

TEST(LaplacianEdges, ChannelsAreIndependent) {
    // 3x3: centre (10, 0, 255, 1) among (0, 20, 254, 0): R 80, G -160 = 96, B 2040 - 2032 = 8.
    auto image = uniformImage(3, 3, Pixel{0, 20, 254, 0});
    image->pixelAt(1, 1) = Pixel{10, 0, 255, 1};
    laplacianEdges(*image);
    auto expected = uniformImage(3, 3, Pixel{0, 0, 0, 0});
    expected->pixelAt(1, 1) = Pixel{80, 96, 8, 0};
    std::string where;
    EXPECT_TRUE(sameImage(*expected, *image, &where)) << where;
}

TEST(LaplacianEdges, MatchesReferenceOnRandomImages) {
    for (const auto& [w, h] : testing::filterSizes()) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        auto fast = randomImage(w, h, static_cast<uint32_t>(w * 131 + h));
        Image slow(*fast);
        laplacianEdges(*fast);
        reference::laplacianEdges(slow);
        std::string where;
        EXPECT_TRUE(sameImage(slow, *fast, &where)) << where;
    }
}

}  // namespace
}  // namespace tesselane
