#include "tesselane/geometry/warp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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
using testing::expectSameImage;
using testing::fromRows;
using testing::kAllModes;
using testing::kOpaqueBlack;
using testing::kOpaqueWhite;
using testing::numbered;
using testing::uniformImage;

constexpr Pixel W = kOpaqueWhite;

// 3 x 4, height div 2 = 2: column 1 moves by 2 sin(2.09) = 1.73 (rows 1, 2, 3, then outside),
// column 2 by -1.73 (outside twice, then rows 0 and 1).
TEST(WarpImage, SineWaveOfThreeByFour) {
    const auto source = numbered(3, 4);
    const auto s = [&](int32_t x, int32_t y) { return source->pixelAt(x, y); };
    expectSameImage(*fromRows({{s(0, 0), s(1, 1), W},
                               {s(0, 1), s(1, 2), W},
                               {s(0, 2), s(1, 3), s(2, 0)},
                               {s(0, 3), W, s(2, 1)}}),
                    *warpImage(*source, SineWave));
}

// 5 x 4 wrapped into 9 x 9 about (4, 4), width div 2 = 2. Rays: rightward (theta 0) shows
// the middle column 2; downward (pi/2) x = 2 + 1.0000002 -> column 3; upward x = 2 -
// 1.0000002 -> column 0; leftward x = 2 + 2.0000004 -> column 4, the last, as the width is
// odd. Radius 4 and beyond is outside.
TEST(WarpImage, PolarSquareRaysAndRim) {
    const auto source = numbered(5, 4);
    const auto warped = warpImage(*source, PolarSquare);
    ASSERT_EQ(warped->width, 9);
    ASSERT_EQ(warped->height, 9);
    const auto s = [&](int32_t x, int32_t y) { return source->pixelAt(x, y); };
    const struct {
        int32_t x, y;
        Pixel expected;
    } cases[] = {
        {4, 4, s(2, 0)},                                               // the centre
        {5, 4, s(2, 1)}, {6, 4, s(2, 2)}, {7, 4, s(2, 3)}, {8, 4, W},  // rightward
        {4, 5, s(3, 1)}, {4, 6, s(3, 2)}, {4, 7, s(3, 3)}, {4, 8, W},  // downward
        {4, 3, s(0, 1)}, {4, 2, s(0, 2)}, {4, 1, s(0, 3)}, {4, 0, W},  // upward
        {3, 4, s(4, 1)}, {2, 4, s(4, 2)}, {1, 4, s(4, 3)}, {0, 4, W},  // leftward
        {0, 0, W},       {8, 0, W},       {0, 8, W},       {8, 8, W},  // corners
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")");
        EXPECT_EQ(describe(warped->pixelAt(c.x, c.y)), describe(c.expected));
    }
}

// Even width: the leftward ray lands at x = width + 4e-7 (here 4.0000004 on a 4-wide
// picture), outside in every mode.
TEST(WarpImage, PolarSquareLeftwardRayOfEvenWidthIsWhite) {
    for (int32_t mode : {Nearest, Bilinear, Gaussian5x5}) {
        const auto source = numbered(4, 4, mode);
        const auto warped = warpImage(*source, PolarSquare);
        for (int32_t a = -4; a < 0; ++a) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " a " + std::to_string(a));
            EXPECT_EQ(describe(warped->pixelAt(a + 4, 4)), describe(W));
        }
    }
}

// PolarSameSize of a 6 x 4 picture: m = 4, n = 9; columns sit at a = floor((2(i - 1) + 1)
// 9 / 8) - 4 = -6, -3, -1, 1, 3, 6 and rows at b = -3, -1, 1, 3, so the disc of radius 4
// shows whole, from -3 to 3 each way, and the columns at -6 and 6 lie beyond it.
TEST(WarpImage, PolarSameSizeSamplesThePolarSquare) {
    const auto source = numbered(6, 4);
    const auto square = warpImage(*source, PolarSquare);
    const auto same = warpImage(*source, PolarSameSize);
    ASSERT_EQ(same->width, 6);
    ASSERT_EQ(same->height, 4);
    const int32_t as[] = {-6, -3, -1, 1, 3, 6};
    const int32_t bs[] = {-3, -1, 1, 3};
    for (int32_t i = 0; i < 6; ++i) {
        for (int32_t j = 0; j < 4; ++j) {
            SCOPED_TRACE("(" + std::to_string(i) + ", " + std::to_string(j) + ")");
            const bool beyond = as[i] < -4 || as[i] > 4;
            EXPECT_EQ(describe(same->pixelAt(i, j)),
                      describe(beyond ? W : square->pixelAt(as[i] + 4, bs[j] + 4)));
        }
    }
}

// For any size PolarSameSize samples the pixel centres of m cells spread evenly over the n
// offsets of PolarSquare, symmetrically about the centre, so the whole disc shows at that
// resolution; each sample is the PolarSquare pixel it lands on.
TEST(WarpImage, PolarSameSizeShowsTheWholeDisc) {
    for (const auto& [w, h] : testing::awkwardSizes()) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const auto source = testing::randomImage(w, h, static_cast<uint32_t>(w * h));
        const auto square = warpImage(*source, PolarSquare);
        const auto same = warpImage(*source, PolarSameSize);
        const int64_t m = std::min(w, h);
        const int64_t n = 2 * int64_t{h} + 1;
        const auto offset = [&](int32_t i, int32_t size) {
            const int64_t numerator = (2 * (i - (size - m) / 2) + 1) * n;
            const int64_t q =
                numerator >= 0 ? numerator / (2 * m) : -((-numerator + 2 * m - 1) / (2 * m));
            return q - h;
        };
        // The offsets sampled inside PolarSquare's range, along each axis.
        int64_t lowest[2] = {h, h};
        int64_t highest[2] = {-h, -h};
        const auto note = [&](int k, int64_t value) {
            if (value < -h || value > h) return;
            lowest[k] = std::min(lowest[k], value);
            highest[k] = std::max(highest[k], value);
        };
        for (int32_t j = 0; j < h; ++j) {
            const int64_t b = offset(j, h);
            note(1, b);
            for (int32_t i = 0; i < w; ++i) {
                const int64_t a = offset(i, w);
                note(0, a);
                if (a < -h || a > h || b < -h || b > h) {
                    ASSERT_EQ(describe(same->pixelAt(i, j)), describe(W));
                    continue;
                }
                ASSERT_EQ(describe(same->pixelAt(i, j)),
                          describe(square->pixelAt(static_cast<int32_t>(a + h),
                                                   static_cast<int32_t>(b + h))));
            }
        }
        // Symmetric, and the outermost sample within half a step (n / m offsets) of the rim.
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(lowest[k], -highest[k]);
            EXPECT_LE(2 * m * (lowest[k] + h), n);
        }
    }
}

TEST(WarpImage, OtherKindsCopyTheSource) {
    auto source = numbered(5, 3, Bilinear);
    for (int32_t kind : {3, -1, 100, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(kind);
        expectSameImage(*source, *warpImage(*source, kind));
    }
}

TEST(WarpImage, OtherModesGiveOpaqueBlack) {
    const auto source = numbered(5, 3, 3);
    expectSameImage(*uniformImage(5, 3, kOpaqueBlack), *warpImage(*source, SineWave));
    expectSameImage(*uniformImage(7, 7, kOpaqueBlack), *warpImage(*source, PolarSquare));
    expectSameImage(*uniformImage(5, 3, kOpaqueBlack), *warpImage(*source, PolarSameSize));
}

TEST(WarpImage, PolarSquareBeyondTheLimitEndsTheProcess) {
    // Height 23170: (2 x 23170 + 1)^2 = 2147488281 > 2^31 - 1.
    const auto tall = numbered(1, 23170);
    std::string why;
    EXPECT_EQ(tryWarpImage(*tall, PolarSquare, &why), nullptr);
    EXPECT_NE(why, "");
    EXPECT_ENDS_ALLOCATING(warpImage(*tall, PolarSquare));
    // The other kinds keep the source's size.
    EXPECT_NE(tryWarpImage(*tall, PolarSameSize, nullptr), nullptr);
}

TEST(WarpImage, MatchesReference) {
    for (const auto& [w, h] : testing::awkwardSizes()) {
        auto source = testing::randomImage(w, h, static_cast<uint32_t>(w * 3 + h));
        for (int32_t mode : kAllModes) {
            source->setSampleMode(mode);
            for (int32_t kind : {0, 1, 2, 7}) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " mode " +
                             std::to_string(mode) + " kind " + std::to_string(kind));
                expectSameImage(*reference::warpImage(*source, kind), *warpImage(*source, kind));
            }
        }
    }
}

// Larger polar pictures, where many samples fall near a pixel boundary: the estimated angle
// must hand every one of those to atan2.
TEST(WarpImage, PolarMatchesReferenceOnLargerPictures) {
    const std::pair<int32_t, int32_t> sizes[] = {{301, 120}, {120, 301}, {2000, 9}, {7, 200}};
    for (const auto& [w, h] : sizes) {
        auto source = testing::randomImage(w, h, static_cast<uint32_t>(w + h));
        for (int32_t mode : {Nearest, Bilinear, Gaussian5x5}) {
            source->setSampleMode(mode);
            for (int32_t kind : {PolarSquare, PolarSameSize}) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " mode " +
                             std::to_string(mode) + " kind " + std::to_string(kind));
                expectSameImage(*reference::warpImage(*source, kind), *warpImage(*source, kind));
            }
        }
    }
}

}  // namespace
}  // namespace tesselane
