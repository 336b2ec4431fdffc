#include "tesselane/effects/tone/dither.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::randomImage;
using testing::sameImage;
using testing::uniformImage;

Pixel grey(uint8_t v, uint8_t a = 255) { return Pixel{v, v, v, a}; }

TEST(DitherMatrix4x4, HoldsBayerRowsReversed) {
    const int32_t expected[16] = {15, 7, 13, 5, 3, 11, 1, 9, 12, 4, 14, 6, 0, 8, 2, 10};
    bool seen[16] = {};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(DitherMatrix4x4[i], expected[i]) << i;
        seen[DitherMatrix4x4[i]] = true;
    }
    EXPECT_TRUE(std::all_of(std::begin(seen), std::end(seen), [](bool s) { return s; }));
}

TEST(OrderedDither, EightBitsLeavesImageUnchanged) {
    for (const int32_t bits : {8, 9, INT32_MAX}) {
        auto image = randomImage(9, 7, 21);
        const Image original(*image);
        orderedDither(*image, bits);
        std::string where;
        EXPECT_TRUE(sameImage(original, *image, &where)) << "bits " << bits << ": " << where;
    }
}

// Expected channel value at (x, y) for a uniform picture.
struct UniformCase {
    const char* what;
    uint8_t value;
    int32_t bits;
    uint8_t (*expected)(int32_t x, int32_t y);
};

TEST(OrderedDither, UniformPictures) {
    const UniformCase cases[] = {
        // 64 with 1 bit: remainder 64 against 8 x M, so entries 0..7 move up; they lie
        // where x + y is odd.
        {"64, 1 bit", 64, 1,
         [](int32_t x, int32_t y) -> uint8_t { return (x + y) % 2 == 1 ? 255 : 0; }},
        // The posterised level 85 lies above 64: remainder 0.
        {"64, 2 bits", 64, 2, [](int32_t, int32_t) -> uint8_t { return 85; }},
        {"128, 1 bit", 128, 1, [](int32_t, int32_t) -> uint8_t { return 255; }},
        {"100, 4 bits", 100, 4, [](int32_t, int32_t) -> uint8_t { return 102; }},
        // 255 posterises to 254 (remainder 1); only entry 0, at x mod 4 = 3, y mod 4 = 0,
        // has threshold 0 and moves up to clampToByte(254 + 36.43) = 255.
        {"255, 3 bits", 255, 3,
         [](int32_t x, int32_t y) -> uint8_t { return x % 4 == 3 && y % 4 == 0 ? 255 : 254; }},
        // With 6 bits entries 0..3 have threshold 0: x mod 4 in {1, 3}, y mod 4 in {0, 2}.
        {"255, 6 bits", 255, 6,
         [](int32_t x, int32_t y) -> uint8_t {
             return (x % 4 == 1 || x % 4 == 3) && (y % 4 == 0 || y % 4 == 2) ? 255 : 254;
         }},
        // 95 with 3 bits: level 72, remainder 23 beats thresholds 2 x M for M 0..11; the next
        // level is clampToByte(72 + 36.428570) = 108, not the posterised 109.
        {"95, 3 bits", 95, 3,
         [](int32_t x, int32_t y) -> uint8_t {
             return DitherMatrix4x4[4 * (x % 4) + y % 4] <= 11 ? 108 : 72;
         }},
        // 253 with 7 bits: level 252, remainder 1 beats threshold M / 8 = 0 for M 0..7, and
        // 252 + 2.007874 truncates to 254.
        {"253, 7 bits", 253, 7,
         [](int32_t x, int32_t y) -> uint8_t {
             return DitherMatrix4x4[4 * (x % 4) + y % 4] <= 7 ? 254 : 252;
         }},
    };
    for (const UniformCase& c : cases) {
        SCOPED_TRACE(c.what);
        // 9 x 6 crosses the matrix's period in both directions; alpha 77 is kept.
        auto image = uniformImage(9, 6, grey(c.value, 77));
        orderedDither(*image, c.bits);
        for (int32_t y = 0; y < 6; ++y) {
            for (int32_t x = 0; x < 9; ++x) {
                EXPECT_EQ(image->pixelAt(x, y), grey(c.expected(x, y), 77))
                    << "at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(OrderedDither, ChannelsDitherSeparately) {
    // At (0, 0), entry 15, threshold with 2 bits (15 << 6) / 16 = 60. R 127: level 85,
    // remainder 42, stays 85. G 254: level 255 lies above it, stays 255. B 63: level 0,
    // remainder 63 > 60, moves up to 85. Alpha 3 is kept.
    auto image = uniformImage(1, 1, Pixel{127, 254, 63, 3});
    orderedDither(*image, 2);
    EXPECT_EQ(image->pixelAt(0, 0), (Pixel{85, 255, 85, 3}));
}

TEST(ErrorDiffusionDither, WorkedValues) {
    // Two pixels (100, 100, 100, 255), 1 bit: the first becomes 0 and sends 44 to the right
    // (100 x 7/16 = 43.75), which makes 144 and posterises to 255.
    Image twoBefore(2, 1);
    twoBefore.pixelAt(0, 0) = grey(100);
    twoBefore.pixelAt(1, 0) = grey(100);
    errorDiffusionDither(twoBefore, 1);
    EXPECT_EQ(twoBefore.pixelAt(0, 0), grey(0));
    EXPECT_EQ(twoBefore.pixelAt(1, 0), grey(255));

    // A uniform 128 posterises to 255 with no error, everywhere.
    auto uniform = uniformImage(5, 4, grey(128, 0));
    errorDiffusionDither(*uniform, 1);
    std::string where;
    EXPECT_TRUE(sameImage(*uniformImage(5, 4, grey(255)), *uniform, &where)) << where;

    // A single pixel: its posterised value with alpha 255.
    auto single = uniformImage(1, 1, Pixel{100, 150, 200, 9});
    errorDiffusionDither(*single, 3);
    EXPECT_EQ(single->pixelAt(0, 0), (Pixel{109, 145, 218, 255}));
}

TEST(ErrorDiffusionDither, EightBitsKeepsColoursAndSetsAlpha) {
    auto image = randomImage(11, 6, 31);
    Image expected(*image);
    for (int32_t i = 0; i < expected.pixelCount; ++i) expected.pixels[i].a = 255;
    errorDiffusionDither(*image, 8);
    std::string where;
    EXPECT_TRUE(sameImage(expected, *image, &where)) << where;
}

// 3 x 2 grey pictures with 4 bits: values 0..15 posterise to 0, 16..31 to 17 and 32..47 to
// 34. Every pixel not under test either posterises with no error or gets exactly the share
// that lifts it to 32, so it passes nothing on; the pixel under test ends on 34 when its share
// lifts it to 32 and on 17 when it stops at 31.
TEST(ErrorDiffusionDither, SharesAreRoundedOneByOne) {
    struct Case {
        const char* what;
        uint8_t top[3];
        uint8_t bottom[3];
        int32_t x;
        int32_t y;
        uint8_t expected;
    };
    const Case cases[] = {
        // (1, 0) = 8 posterises to 0 with error 8: shares 3.5 -> 4, 1.5 -> 2, 2.5 -> 3,
        // 0.5 -> 1.
        {"right gets 4", {0, 8, 28}, {30, 29, 31}, 2, 0, 34},
        {"right gets less than 5", {0, 8, 27}, {30, 29, 31}, 2, 0, 17},
        {"below-left gets 2", {0, 8, 28}, {30, 29, 31}, 0, 1, 34},
        {"below-left gets less than 3", {0, 8, 28}, {29, 29, 31}, 0, 1, 17},
        {"below gets 3", {0, 8, 28}, {30, 29, 31}, 1, 1, 34},
        {"below gets less than 4", {0, 8, 28}, {30, 28, 31}, 1, 1, 17},
        {"below-right gets 1", {0, 8, 28}, {30, 29, 31}, 2, 1, 34},
        {"below-right gets less than 2", {0, 8, 28}, {30, 29, 30}, 2, 1, 17},
        // An error of 1 gives four shares of 0 (0.4375, 0.1875, 0.3125, 0.0625 round down).
        {"error 1: right gets 0", {0, 1, 31}, {17, 17, 17}, 2, 0, 17},
        {"error 1: below-left gets 0", {0, 1, 17}, {31, 17, 17}, 0, 1, 17},
        {"error 1: below gets 0", {0, 1, 17}, {17, 31, 17}, 1, 1, 17},
        {"error 1: below-right gets 0", {0, 1, 17}, {17, 17, 31}, 2, 1, 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Image image(3, 2);
        for (int32_t x = 0; x < 3; ++x) {
            image.pixelAt(x, 0) = grey(c.top[x], 0);
            image.pixelAt(x, 1) = grey(c.bottom[x], 0);
        }
        errorDiffusionDither(image, 4);
        EXPECT_EQ(image.pixelAt(c.x, c.y), grey(c.expected));
    }
}

TEST(ErrorDiffusionDither, OneColumnPassesFiveSixteenthsDown) {
    // 4 bits. (0, 0) = 8 has error 8: 2.5 rounds to 3 for the pixel below (29 -> 32, which
    // posterises to 34); nothing else is inside the picture. With 28 below it stops at 31
    // and posterises to 17.
    Image image(1, 3);
    image.pixelAt(0, 0) = grey(8);
    image.pixelAt(0, 1) = grey(29);
    image.pixelAt(0, 2) = grey(34);
    errorDiffusionDither(image, 4);
    EXPECT_EQ(image.pixelAt(0, 0), grey(0));
    EXPECT_EQ(image.pixelAt(0, 1), grey(34));
    EXPECT_EQ(image.pixelAt(0, 2), grey(34));

    image.pixelAt(0, 0) = grey(8);
    image.pixelAt(0, 1) = grey(28);
    errorDiffusionDither(image, 4);
    EXPECT_EQ(image.pixelAt(0, 1), grey(17));
}

TEST(ErrorDiffusionDither, ReceivingChannelsSaturate) {
    // 1 bit: (0, 0) = 127 posterises to 0 with error 127 and sends 56 (55.5625) right:
    // R and B of 250 hold at 255 (not 50, which would posterise to 0), G 0 becomes 56 -> 0.
    // Below, R 200 receives 40 (39.6875): 240 -> 255.
    Image image(2, 2);
    image.pixelAt(0, 0) = grey(127);
    image.pixelAt(1, 0) = Pixel{250, 0, 250, 0};
    image.pixelAt(0, 1) = Pixel{200, 0, 0, 0};
    image.pixelAt(1, 1) = grey(0);
    errorDiffusionDither(image, 1);
    EXPECT_EQ(image.pixelAt(0, 0), grey(0));
    EXPECT_EQ(image.pixelAt(1, 0), (Pixel{255, 0, 255, 255}));
    EXPECT_EQ(image.pixelAt(0, 1).r, 255);
}

TEST(Dithering, BitsOutsideOneToEightActAsNearestEnd) {
    for (const int32_t bits : {0, -1, INT32_MIN}) {
        SCOPED_TRACE(bits);
        auto a = randomImage(13, 5, 41);
        auto b = randomImage(13, 5, 41);
        orderedDither(*a, bits);
        orderedDither(*b, 1);
        std::string where;
        EXPECT_TRUE(sameImage(*b, *a, &where)) << where;
        auto c = randomImage(13, 5, 41);
        auto d = randomImage(13, 5, 41);
        errorDiffusionDither(*c, bits);
        errorDiffusionDither(*d, 1);
        EXPECT_TRUE(sameImage(*d, *c, &where)) << where;
    }
    for (const int32_t bits : {9, 100, INT32_MAX}) {
        SCOPED_TRACE(bits);
        auto c = randomImage(13, 5, 42);
        auto d = randomImage(13, 5, 42);
        errorDiffusionDither(*c, bits);
        errorDiffusionDither(*d, 8);
        std::string where;
        EXPECT_TRUE(sameImage(*d, *c, &where)) << where;
    }
}

}  // namespace
}  // namespace tesselane
