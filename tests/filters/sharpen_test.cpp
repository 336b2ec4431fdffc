#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tesselane/effects/filters/convolve.h"
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

TEST(Sharpen, OnePixelImage) {
    // Each channel floor(1.5 o - 0.5 s + 0.5), s the smoothed value (alpha 255).
    const struct {
        Pixel pixel;
        int32_t kind;
        Pixel expected;
    } cases[] = {
        {grey(100), 3, grey(100)},  // smoothed 101
        {grey(100), 5, grey(101)},  // smoothed 98
        {grey(200), 3, grey(199)},  // smoothed 202
        {grey(100), 2, grey(100)},  // smoothed 100
        {grey(200), 4, grey(198)},  // smoothed 204
        {grey(1), 5, grey(2)},      // smoothed 0: floor(1.5 + 0.5)
        {grey(255), 5, grey(255)},
        {grey(0), 5, grey(0)},
        {grey(100, 100), 2, grey(100, 23)},  // alpha floor(1.5 A - 127)
        {grey(100, 100), 3, grey(100, 23)},
        {grey(100, 100), 4, grey(100, 23)},
        {grey(100, 100), 5, grey(101, 23)},
        {grey(100, 100), 7, grey(101, 23)},
        {grey(100, 86), 5, grey(101, 2)},
        {grey(100, 85), 5, grey(101, 0)},
        {grey(100, 0), 5, grey(101, 0)},
        {grey(100, 254), 5, grey(101, 254)},  // floor(381 - 127)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.pixel) + " kind " + std::to_string(c.kind));
        Image image(1, 1);
        image.pixelAt(0, 0) = c.pixel;
        sharpen(image, c.kind);
        EXPECT_EQ(describe(image.pixelAt(0, 0)), describe(c.expected));
    }
}

TEST(Sharpen, SmoothingReadsAlreadySharpenedPixels) {
    // 2x1 of 100 and 200, kind 3. (0, 0): smoothed 25 + 51 + 51 = 127, sharpened 87.
    // (1, 0) reads column 0 as 87: smoothed 21 + 100 + 51 = 172, sharpened 214. Reading the
    // smoothed 127 would give 209, the original 100 would give 212.
    auto image = greyImage({{100, 200}});
    sharpen(*image, 3);
    std::string where;
    EXPECT_TRUE(sameImage(*greyImage({{87, 214}}), *image, &where)) << where;
}

TEST(Sharpen, KindOneOrLessChangesNothing) {
    for (int32_t kind : {1, 0, -1, INT32_MIN}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        auto image = randomImage(6, 9, 8);
        const auto before = randomImage(6, 9, 8);
        sharpen(*image, kind);
        std::string where;
        EXPECT_TRUE(sameImage(*before, *image, &where)) << where;
    }
}

TEST(Sharpen, MatchesReferenceOnRandomImages) {
    for (int32_t kind : {-1, 0, 1, 2, 3, 4, 5, 6, 7, INT32_MIN, INT32_MAX}) {
        for (const auto& [w, h] : testing::filterSizes()) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", " + std::to_string(w) + "x" +
                         std::to_string(h));
            auto fast = randomImage(
                w, h, static_cast<uint32_t>(kind) * 104729u + static_cast<uint32_t>(w * 37 + h));
            Image slow(*fast);
            sharpen(*fast, kind);
            reference::sharpen(slow, kind);
            std::string where;
            ASSERT_TRUE(sameImage(slow, *fast, &where)) << where;
        }
    }
}

TEST(Sharpen, RepeatedSharpeningMatchesReference) {
    // Sharpening drives channels to 0 and 255; the later passes work on such pictures.
    auto fast = randomImage(45, 38, 77);
    Image slow(*fast);
    for (int32_t kind : {5, 3, 4, 2, 5, 5}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        sharpen(*fast, kind);
        reference::sharpen(slow, kind);
        std::string where;
        ASSERT_TRUE(sameImage(slow, *fast, &where)) << where;
    }
}

}  // namespace
}  // namespace tesselane
