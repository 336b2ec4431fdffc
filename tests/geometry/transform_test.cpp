#include "tesselane/geometry/transform.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
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

using testing::expectSameImage;
using testing::fromRows;
using testing::kAllModes;
using testing::kOpaqueBlack;
using testing::kOpaqueWhite;
using testing::numbered;
using testing::uniformImage;

constexpr Pixel W = kOpaqueWhite;

TEST(ScaleImage, WorkedResults) {
    const auto two = numbered(2, 2);
    const auto four = numbered(4, 4);
    const auto s = [&](int32_t x, int32_t y) { return two->pixelAt(x, y); };
    const auto f = [&](int32_t x, int32_t y) { return four->pixelAt(x, y); };
    // Each source pixel fills a 2 x 2 block.
    expectSameImage(*fromRows({{s(0, 0), s(0, 0), s(1, 0), s(1, 0)},
                               {s(0, 0), s(0, 0), s(1, 0), s(1, 0)},
                               {s(0, 1), s(0, 1), s(1, 1), s(1, 1)},
                               {s(0, 1), s(0, 1), s(1, 1), s(1, 1)}}),
                    *scaleImage(*two, 2.0, 2.0));
    expectSameImage(*fromRows({{f(0, 0), f(2, 0)}, {f(0, 2), f(2, 2)}}),
                    *scaleImage(*four, 0.5, 0.5));
    expectSameImage(*four, *scaleImage(*four, 1.0, 1.0));
    // trunc(3 x 1.5) x trunc(5 x 0.7) = 4 x 3: columns i / 1.5 -> 0, 0, 1, 2; rows
    // j x (1 / 0.7) -> 0, 1, 2.
    const auto odd = numbered(3, 5);
    const auto o = [&](int32_t x, int32_t y) { return odd->pixelAt(x, y); };
    expectSameImage(*fromRows({{o(0, 0), o(0, 0), o(1, 0), o(2, 0)},
                               {o(0, 1), o(0, 1), o(1, 1), o(2, 1)},
                               {o(0, 2), o(0, 2), o(1, 2), o(2, 2)}}),
                    *scaleImage(*odd, 1.5, 0.7));
}

TEST(ScaleImage, KeepsTheSourceAndItsMode) {
    auto source = numbered(5, 3, Bilinear);
    const Image before(*source);
    const auto scaled = scaleImage(*source, 1.7, 0.6);
    EXPECT_EQ(scaled->sampleMode, Nearest);
    EXPECT_EQ(source->sampleMode, Bilinear);
    EXPECT_TRUE(testing::sameImage(before, *source, nullptr));
}

TEST(ScaleImage, OtherModesGiveOpaqueBlack) {
    const auto source = numbered(3, 2, 3);
    expectSameImage(*uniformImage(6, 1, kOpaqueBlack), *scaleImage(*source, 2.0, 0.5));
}

TEST(ScaleImage, SizesThatCannotBeBuiltEndTheProcess) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int32_t width, height;
        double sx, sy;
    } cases[] = {
        {2, 2, 0.4, 1.0},  // trunc(0.8) = 0
        {2, 2, 1.0, 0.0},         {2, 2, -1.0, 1.0},         {2, 2, nan, 1.0},  {2, 2, 1.0, nan},
        {2, 2, inf, 1.0},         {2, 2, 1.0, -inf},         {2, 2, 1e10, 1.0}, {2, 2, 1.0, 1.1e9},
        {1, 1, 50000.0, 50000.0}, {1, 1, 2147483648.0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " by " +
                     std::to_string(c.sx) + ", " + std::to_string(c.sy));
        const auto source = numbered(c.width, c.height);
        std::string why;
        EXPECT_EQ(tryScaleImage(*source, c.sx, c.sy, &why), nullptr);
        EXPECT_NE(why, "");
        EXPECT_ENDS_ALLOCATING(scaleImage(*source, c.sx, c.sy));
    }
    // The largest sizes that fit are built: 2^31 - 1 pixels would be 8 GiB, so only check
    // that the try-variant accepts a long row.
    const auto one = numbered(1, 1);
    EXPECT_NE(tryScaleImage(*one, 1e6, 1.0, nullptr), nullptr);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A row of 5e7 pixels (200 MB) fits under the limit, its 400 MB of column positions do not:
// working memory that cannot be had ends the process like a picture that cannot be had. A
// 32-bit process (where an emulator may not apply the limit) takes 3e8 pixels: 1.2 GB of
// pixels and 2.4 GB of positions cannot both be had in its address space.
void limitAddressSpace(rlim_t bytes) {
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
}

TEST(ScaleImage, WorkingMemoryThatCannotBeHadEndsTheProcess) {
    const auto one = numbered(1, 1);
    const double length = sizeof(void*) >= 8 ? 5e7 : 3e8;
    EXPECT_ENDS_ALLOCATING(limitAddressSpace(rlim_t{512} << 20); scaleImage(*one, length, 1.0));
}
#endif

TEST(ScaleImage, MatchesReference) {
    const std::pair<double, double> factors[] = {
        {1.0, 1.0}, {2.0, 2.0}, {0.5, 0.5},        {3.0, 1.0 / 3.0},
        {0.7, 1.3}, {2.5, 0.4}, {1.0 / 3.0, 2.75}, {1.0000001, 0.9999999},
        {4.3, 4.3},
    };
    for (const auto& [w, h] : testing::awkwardSizes()) {
        auto source = testing::randomImage(w, h, static_cast<uint32_t>(w * 7 + h));
        for (const auto& [sx, sy] : factors) {
            if (std::trunc(w * sx) < 1 || std::trunc(h * sy) < 1) continue;
            for (int32_t mode : kAllModes) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " by " +
                             std::to_string(sx) + ", " + std::to_string(sy) + " mode " +
                             std::to_string(mode));
                source->setSampleMode(mode);
                expectSameImage(*reference::scaleImage(*source, sx, sy),
                                *scaleImage(*source, sx, sy));
            }
        }
    }
}

TEST(TrimWhite, WorkedResults) {
    const Pixel k = kOpaqueBlack;
    const Pixel almost{255, 255, 255, 254};
    const Pixel clear{255, 255, 255, 0};
    const struct {
        const char* name;
        std::vector<std::vector<Pixel>> picture;
        std::vector<std::vector<Pixel>> expected;
    } cases[] = {
        {"4x3, black at (1, 1)", {{W, W, W, W}, {W, k, W, W}, {W, W, W, W}}, {{k}}},
        {"1x3, black at the bottom", {{W}, {W}, {k}}, {{k}}},
        {"3x1, black at the right", {{W, W, k}}, {{k}}},
        {"no opaque white", {{k, clear}, {almost, k}}, {{k, clear}, {almost, k}}},
        // White below alpha 255 is picture; opaque white inside the rectangle stays.
        {"corners",
         {{W, W, W, W}, {W, almost, W, W}, {W, W, W, clear}, {W, W, W, W}},
         {{almost, W, W}, {W, W, clear}}},
        {"1x1 black", {{k}}, {{k}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectSameImage(*fromRows(c.expected), *trimWhite(*fromRows(c.picture)));
    }
}

TEST(TrimWhite, OpaqueWhiteAllOverEndsTheProcess) {
    for (const auto& [w, h] : testing::awkwardSizes()) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const auto white = uniformImage(w, h, kOpaqueWhite);
        std::string why;
        EXPECT_EQ(tryTrimWhite(*white, &why), nullptr);
        EXPECT_NE(why, "");
    }
    const auto white = uniformImage(5, 3, kOpaqueWhite);
    EXPECT_ENDS_ALLOCATING(trimWhite(*white));
}

TEST(TrimWhite, MatchesReference) {
    for (const auto& [w, h] : testing::awkwardSizes()) {
        for (const auto& picture : testing::testPictures(w, h, static_cast<uint32_t>(w + 3 * h))) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            if (!tryTrimWhite(*picture, nullptr)) {
                // A frame with nothing inside: the reference ends the process the same way.
                EXPECT_ENDS_ALLOCATING(reference::trimWhite(*picture));
                continue;
            }
            expectSameImage(*reference::trimWhite(*picture), *trimWhite(*picture));
        }
    }
}

// 3 x 4 turned by 90 degrees: sin is 1 - 5.3e-14 and cos 3.3e-7, so offsets (a, b) sample
// about (-b + 3.3e-7 a, a - 5.3e-14 a): the rows b = -2, -1, 0 and the columns a = 0..4 hold
// picture. Row b = 0 samples y = a (1 - 5.3e-14), just below each whole number from a = 1
// on, so source row 0 comes twice; rows b = -1, -2 sample y = a - 3.3e-7 |b|, above 0 from
// a = 1 only.
TEST(RotateImage, QuarterTurnOfThreeByFour) {
    const auto source = numbered(3, 4);
    const auto s = [&](int32_t x, int32_t y) { return source->pixelAt(x, y); };
    expectSameImage(*fromRows({{W, s(2, 0), s(2, 1), s(2, 2), s(2, 3)},
                               {W, s(1, 0), s(1, 1), s(1, 2), s(1, 3)},
                               {s(0, 0), s(0, 0), s(0, 1), s(0, 2), s(0, 3)}}),
                    *rotateImage(*source, 90.0));
}

TEST(RotateImage, NoTurnGivesTheSource) {
    for (const auto& [w, h] : testing::awkwardSizes()) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const auto source = numbered(w, h);
        expectSameImage(*source, *rotateImage(*source, 0.0));
    }
}

TEST(RotateImage, OtherModesGiveTheWholeCanvasBlack) {
    // 3 x 4: R = trunc(5) = 5, a canvas of 11 x 11.
    for (int32_t mode : {3, -1}) {
        const auto source = numbered(3, 4, mode);
        expectSameImage(*uniformImage(11, 11, kOpaqueBlack), *rotateImage(*source, 30.0));
    }
}

TEST(RotateImage, NothingButWhiteEndsTheProcess) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto white = uniformImage(4, 3, kOpaqueWhite);
    const auto picture = numbered(4, 3);
    const struct {
        const char* name;
        const Image* source;
        double degrees;
    } cases[] = {
        {"white at 0", white.get(), 0.0},
        {"white at 33", white.get(), 33.0},
        {"angle NaN", picture.get(), nan},
        {"angle infinite", picture.get(), inf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_EQ(tryRotateImage(*c.source, c.degrees, &why), nullptr);
        EXPECT_NE(why, "");
        EXPECT_ENDS_ALLOCATING(rotateImage(*c.source, c.degrees));
    }
}

TEST(RotateImage, CanvasBeyondTheLimitEndsTheProcess) {
    // 23170 x 1: R = 23170, (2R + 1)^2 = 2147488281 > 2^31 - 1.
    const auto wide = numbered(23170, 1);
    std::string why;
    EXPECT_EQ(tryRotateImage(*wide, 10.0, &why), nullptr);
    EXPECT_NE(why, "");
    EXPECT_ENDS_ALLOCATING(rotateImage(*wide, 10.0));
    // 23169 x 1: (2R + 1)^2 = 2147302921 fits, and the canvas is never built whole.
    const auto fits = numbered(23169, 1);
    expectSameImage(*fits, *rotateImage(*fits, 0.0));
}

TEST(RotateImage, MatchesFullCanvasAndTrim) {
    const double angles[] = {0.0,   90.0,  180.0, 45.0,    -30.0,   1e-9,
                             270.0, -90.0, 12.5,  359.999, 123456.7};
    for (const auto& [w, h] : testing::awkwardSizes()) {
        const auto pictures = testing::testPictures(w, h, static_cast<uint32_t>(5 * w + h));
        for (size_t kind = 0; kind < pictures.size(); ++kind) {
            Image& source = *pictures[kind];
            for (int32_t mode : kAllModes) {
                source.setSampleMode(mode);
                for (double degrees : angles) {
                    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " picture " +
                                 std::to_string(kind) + " mode " + std::to_string(mode) + " by " +
                                 std::to_string(degrees));
                    if (!tryRotateImage(source, degrees, nullptr)) {
                        // All white: the reference ends the process the same way.
                        EXPECT_ENDS_ALLOCATING(reference::rotateImage(source, degrees));
                        continue;
                    }
                    expectSameImage(*reference::rotateImage(source, degrees),
                                    *rotateImage(source, degrees));
                }
            }
        }
    }
}

}  // namespace
}  // namespace tesselane
