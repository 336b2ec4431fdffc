#include "tesselane/image/colour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::describe;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

TEST(ClampToByte, TruncatesTowardZeroAndClamps) {
    struct Case {
        double x;
        int expected;
    };
    const Case cases[] = {
        {-0.7, 0},          {255.7, 255},        {300.0, 255},        {254.99998, 254},
        {0.0, 0},           {-0.0, 0},           {0.999, 0},          {1.0, 1},
        {127.5, 127},       {254.0, 254},        {255.0, 255},        {-1.0, 0},
        {-300.0, 0},        {2147483647.0, 255}, {2147483648.0, 255}, {-2147483648.0, 0},
        {-2147483649.0, 0}, {1e300, 255},        {-1e300, 0},         {kMax, 255},
        {-kMax, 0},         {kInf, 255},         {-kInf, 0},          {kNaN, 0},
        {-kNaN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(clampToByte(c.x), c.expected);
    }
}

TEST(ScaleChannel, RoundsHalvesUpAndClamps) {
    struct Case {
        int c;
        double factor;
        int expected;
    };
    const Case cases[] = {
        {200, 1.5, 255},  // 300.5 floors to 300, clamped
        {101, 0.5, 51},   // 50.5 + 0.5 = 51
        {3, 0.5, 2},     {255, 0.5, 128},  {127, 2.0, 254}, {100, -1.0, 0},
        {1, 0.5, 1},  // 0.5 + 0.5
        {100, 1.0, 100}, {0, 1000.0, 0},   {255, 0.0, 0},   {255, -0.0, 0},
        {2, 1e9, 255},                      // 2e9 fits in 32 bits, then clamps
        {10, 1e9, 255},                     // 1e10 does not: clamped by its sign
        {10, -1e9, 0},   {255, kMax, 255},  // the product overflows to infinity
        {255, -kMax, 0}, {1, kInf, 255},   {1, -kInf, 0},   {0, kInf, 0},  // 0 x infinity is NaN
        {255, kNaN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.c << " x " << c.factor);
        EXPECT_EQ(scaleChannel(static_cast<uint8_t>(c.c), c.factor), c.expected);
    }
}

TEST(ScaleChannel, AnyNegativeFactorGivesZero) {
    for (const double factor : {-1e-300, -1e-9, -0.5, -1.0, -7.25, -1e300, -kInf}) {
        for (int c = 0; c < 256; ++c) {
            SCOPED_TRACE(::testing::Message() << c << " x " << factor);
            EXPECT_EQ(scaleChannel(static_cast<uint8_t>(c), factor), 0);
        }
    }
}

TEST(LerpChannel, BlendsFromFirstTowardSecond) {
    struct Case {
        int a;
        int b;
        double t;
        int expected;
    };
    const Case cases[] = {
        {123, 200, 1.5, 239},
        {123, 50, 1.5, 14},
        {123, 20, 1.5, 0},
        {0, 255, 0.5, 128},
        {10, 20, 0.25, 13},
        {100, 200, -0.5, 50},
        {0, 100, 1e300, 255},  // far beyond b, clamped
                               // by sign
        {100, 0, 1e300, 0},
        {100, 0, -1e300, 255},  // far beyond a
        {100, 100, 1e300, 0},   // (1 - t) x a and a x t cancel to 0 at this size
        {10, 20, kNaN, 0},
        {10, 20, kInf, 0},  // -inf + inf is NaN
        {0, 255, kInf, 0},  // -inf x 0 is NaN
        {100, 200, -kInf, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << ", " << c.b << ", t = " << c.t);
        EXPECT_EQ(lerpChannel(static_cast<uint8_t>(c.a), static_cast<uint8_t>(c.b), c.t),
                  c.expected);
    }
}

TEST(LerpChannel, EndsGiveOperandsAndEqualOperandsStay) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const auto ua = static_cast<uint8_t>(a);
            const auto ub = static_cast<uint8_t>(b);
            ASSERT_EQ(lerpChannel(ua, ub, 0.0), a) << a << ", " << b;
            ASSERT_EQ(lerpChannel(ua, ub, 1.0), b) << a << ", " << b;
        }
        for (const double t : {-1000.0, -3.0, -0.5, 0.1, 0.25, 0.7, 1.5, 2.0, 1000.0}) {
            ASSERT_EQ(lerpChannel(static_cast<uint8_t>(a), static_cast<uint8_t>(a), t), a)
                << a << ", t = " << t;
        }
    }
}

TEST(ScalePixel, ScalesAllFourChannels) {
    // 200 x 0.5 = 100, 101 x 0.5 = 50.5 -> 51, 3 x 0.5 = 1.5 -> 2, 255 x 0.5 = 127.5 -> 128
    EXPECT_EQ(scalePixel(Pixel{200, 101, 3, 255}, 0.5), (Pixel{100, 51, 2, 128}));
    EXPECT_EQ(scalePixel(Pixel{255, 101, 3, 200}, 0.5), (Pixel{128, 51, 2, 100}));
    EXPECT_EQ(scalePixel(Pixel{1, 2, 3, 4}, -1.0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(scalePixel(Pixel{1, 2, 3, 4}, kNaN), (Pixel{0, 0, 0, 0}));
}

TEST(LerpPixel, BlendsAllFourChannels) {
    // Channel by channel the worked pairs: (123, 200), (123, 50), (123, 20) and (0, 255).
    EXPECT_EQ(lerpPixel(Pixel{123, 123, 123, 0}, Pixel{200, 50, 20, 255}, 1.5),
              (Pixel{239, 14, 0, 255}));  // alpha: 0 x -0.5 + 255 x 1.5 = 382.5, clamped
    EXPECT_EQ(lerpPixel(Pixel{0, 10, 100, 0}, Pixel{255, 20, 200, 255}, 0.5),
              (Pixel{128, 15, 150, 128}));
    EXPECT_EQ(lerpPixel(Pixel{10, 20, 30, 40}, Pixel{50, 60, 70, 80}, 0.0),
              (Pixel{10, 20, 30, 40}));
    EXPECT_EQ(lerpPixel(Pixel{10, 20, 30, 40}, Pixel{50, 60, 70, 80}, 1.0),
              (Pixel{50, 60, 70, 80}));
}

TEST(AddPixels, SaturatesEachChannelAt255) {
    EXPECT_EQ(addPixels(Pixel{100, 200, 0, 255}, Pixel{100, 100, 0, 1}), (Pixel{200, 255, 0, 255}));
    EXPECT_EQ(addPixels(Pixel{1, 2, 3, 4}, Pixel{254, 253, 252, 251}), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(addPixels(Pixel{255, 255, 255, 255}, Pixel{255, 255, 255, 255}),
              (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(addPixels(Pixel{7, 8, 9, 10}, Pixel{0, 0, 0, 0}), (Pixel{7, 8, 9, 10}));
}

TEST(SubtractPixels, FloorsEachChannelAtZero) {
    EXPECT_EQ(subtractPixels(Pixel{50, 200, 10, 255}, Pixel{200, 50, 10, 255}),
              (Pixel{0, 150, 0, 0}));  // an opaque pixel less an opaque one has alpha 0
    const Pixel p{12, 34, 56, 78};
    EXPECT_EQ(subtractPixels(p, p), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(subtractPixels(Pixel{0, 0, 0, 0}, p), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(subtractPixels(p, Pixel{0, 0, 0, 0}), p);
}

TEST(MultiplyPixels, MultipliesWithoutDividingAndCapsAt255) {
    struct Case {
        int a;
        int b;
        int expected;
    };
    const Case cases[] = {
        {15, 16, 240}, {15, 17, 255}, {16, 16, 255}, {2, 128, 255}, {255, 255, 255},
        {1, 200, 200}, {0, 255, 0},   {3, 85, 255},  {5, 50, 250},  {1, 255, 255},
    };
    // Each pair tried in each channel position, the others holding 1 x 1.
    for (const Case& c : cases) {
        for (int channel = 0; channel < 4; ++channel) {
            SCOPED_TRACE(::testing::Message() << c.a << " x " << c.b << " in channel " << channel);
            Pixel a{1, 1, 1, 1};
            Pixel b{1, 1, 1, 1};
            Pixel expected{1, 1, 1, 1};
            uint8_t* as[] = {&a.r, &a.g, &a.b, &a.a};
            uint8_t* bs[] = {&b.r, &b.g, &b.b, &b.a};
            uint8_t* es[] = {&expected.r, &expected.g, &expected.b, &expected.a};
            *as[channel] = static_cast<uint8_t>(c.a);
            *bs[channel] = static_cast<uint8_t>(c.b);
            *es[channel] = static_cast<uint8_t>(c.expected);
            EXPECT_EQ(multiplyPixels(a, b), expected);
        }
    }
    const Pixel p{9, 99, 199, 255};
    EXPECT_EQ(multiplyPixels(Pixel{1, 1, 1, 1}, p), p);
    EXPECT_EQ(multiplyPixels(p, Pixel{1, 1, 1, 1}), p);
}

TEST(Luma, WeighsRedGreenBlueAndIgnoresAlpha) {
    struct Case {
        Pixel p;
        int expected;
    };
    const Case cases[] = {
        {{255, 255, 255, 255}, 254}, {{255, 255, 255, 0}, 254}, {{255, 0, 0, 255}, 75},
        {{0, 255, 0, 255}, 149},     {{0, 0, 255, 255}, 28},    {{128, 128, 128, 255}, 127},
        {{0, 0, 0, 0}, 0},           {{0, 0, 0, 255}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.p));
        EXPECT_EQ(luma(c.p), c.expected);
    }
}

TEST(Luma, NeverExceeds254) {
    int highest = 0;
    for (int r = 0; r < 256; ++r) {
        for (int g = 0; g < 256; ++g) {
            for (int b = 0; b < 256; ++b) {
                const int l = luma(Pixel{static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                         static_cast<uint8_t>(b), 255});
                if (l > highest) highest = l;
            }
        }
    }
    EXPECT_EQ(highest, 254);
}

TEST(RandomByte, TakesLowEightBitsOfEachDraw) {
    std::srand(2024);
    std::vector<int> draws;
    for (int i = 0; i < 64; ++i) draws.push_back(std::rand());
    std::srand(2024);
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(randomByte(), draws[static_cast<size_t>(i)] % 256);
    }
}

TEST(RandomPixel, StoresDrawsInAlphaBlueGreenRed) {
    // Draws d1..d4 land in A, B, G, R: with draws 1, 2, 3, 4 the pixel is (4, 3, 2, 1).
    for (const unsigned seed : {1u, 7u, 123456u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        int d[9];
        for (int& draw : d) draw = std::rand() % 256;
        std::srand(seed);
        const Pixel first = randomPixel();
        const Pixel second = randomPixel();
        EXPECT_EQ(first, (Pixel{static_cast<uint8_t>(d[3]), static_cast<uint8_t>(d[2]),
                                static_cast<uint8_t>(d[1]), static_cast<uint8_t>(d[0])}));
        EXPECT_EQ(second, (Pixel{static_cast<uint8_t>(d[7]), static_cast<uint8_t>(d[6]),
                                 static_cast<uint8_t>(d[5]), static_cast<uint8_t>(d[4])}));
        // Exactly four draws each: the ninth comes next.
        EXPECT_EQ(std::rand() % 256, d[8]);
    }
}

// posterizePixel's output for q = channel >> (8 - bits), q = 0..levels.
std::vector<int> expectedLevels(int bits) {
    const int levels = 255 >> (8 - bits);
    switch (bits) {
        case 1:
            return {0, 255};
        case 2:
            return {0, 85, 170, 255};
        case 3:
            return {0, 36, 72, 109, 145, 182, 218, 254};
        default:
            break;
    }
    std::vector<int> out;
    for (int q = 0; q <= levels; ++q) out.push_back(255 * q / levels);  // floor(255 q / levels)
    if (bits == 6) out.back() = 254;                                    // 63 x step < 255
    return out;
}

TEST(PosterizePixel, QuantisesEveryChannelValueForEveryBits) {
    for (int bits = 1; bits <= 8; ++bits) {
        const std::vector<int> levels = expectedLevels(bits);
        ASSERT_EQ(levels.size(), static_cast<size_t>((255 >> (8 - bits)) + 1));
        for (int c = 0; c < 256; ++c) {
            SCOPED_TRACE(::testing::Message() << "bits " << bits << ", channel " << c);
            const int want = levels[static_cast<size_t>(c >> (8 - bits))];
            const auto v = static_cast<uint8_t>(c);
            const auto other = static_cast<uint8_t>(255 - c);
            // Each channel on its own, with alpha forced to 255 whatever it was.
            EXPECT_EQ(posterizePixel(Pixel{v, other, v, 0}, bits).r, want);
            EXPECT_EQ(posterizePixel(Pixel{other, v, other, 7}, bits).g, want);
            EXPECT_EQ(posterizePixel(Pixel{other, other, v, 128}, bits).b, want);
            EXPECT_EQ(posterizePixel(Pixel{v, v, v, v}, bits).a, 255);
        }
    }
}

TEST(PosterizePixel, NamedCases) {
    struct Case {
        Pixel p;
        int bits;
        Pixel expected;
    };
    const Case cases[] = {
        {{12, 200, 255, 0}, 8, {12, 200, 255, 255}},  // 8 bits keeps colours, alpha 255
        {{255, 255, 255, 255}, 3, {254, 254, 254, 255}},
        {{255, 255, 255, 255}, 6, {254, 254, 254, 255}},
        {{127, 128, 0, 9}, 1, {0, 255, 0, 255}},
        {{10, 128, 200, 7}, 2, {0, 170, 255, 255}},
        {{100, 150, 200, 37}, 3, {109, 145, 218, 255}},
        {{255, 255, 255, 0}, 4, {255, 255, 255, 255}},
        {{255, 254, 253, 0}, 7, {255, 255, 252, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << describe(c.p) << ", bits " << c.bits);
        EXPECT_EQ(posterizePixel(c.p, c.bits), c.expected);
    }
}

TEST(PosterizePixel, BitsOutsideOneToEightActAsNearestEnd) {
    const int32_t low[] = {0, -1, -8, INT32_MIN};
    const int32_t high[] = {9, 16, 100, INT32_MAX};
    for (int c = 0; c < 256; ++c) {
        const Pixel p{static_cast<uint8_t>(c), static_cast<uint8_t>(255 - c),
                      static_cast<uint8_t>(c / 2), static_cast<uint8_t>(c)};
        for (const int32_t bits : low) {
            SCOPED_TRACE(::testing::Message() << describe(p) << ", bits " << bits);
            EXPECT_EQ(posterizePixel(p, bits), posterizePixel(p, 1));
        }
        for (const int32_t bits : high) {
            SCOPED_TRACE(::testing::Message() << describe(p) << ", bits " << bits);
            EXPECT_EQ(posterizePixel(p, bits), (Pixel{p.r, p.g, p.b, 255}));
        }
    }
}

TEST(IsOpaqueWhite, NeedsAllFourChannelsAt255) {
    EXPECT_TRUE(isOpaqueWhite(Pixel{255, 255, 255, 255}));
    EXPECT_FALSE(isOpaqueWhite(Pixel{255, 255, 255, 254}));
    EXPECT_FALSE(isOpaqueWhite(Pixel{255, 255, 255, 0}));
    EXPECT_FALSE(isOpaqueWhite(Pixel{254, 255, 255, 255}));
    EXPECT_FALSE(isOpaqueWhite(Pixel{255, 254, 255, 255}));
    EXPECT_FALSE(isOpaqueWhite(Pixel{255, 255, 254, 255}));
    EXPECT_FALSE(isOpaqueWhite(Pixel{0, 0, 0, 255}));
}

TEST(SetRgb, StoresColoursAndKeepsAlpha) {
    Pixel p{1, 2, 3, 44};
    setRgb(p, 255, 0, 128);
    EXPECT_EQ(p, (Pixel{255, 0, 128, 44}));
}

TEST(SetRgbClamped, TruncatesColoursAndKeepsAlpha) {
    Pixel p{1, 2, 3, 44};
    setRgbClamped(p, 254.99998, -0.7, 300.0);
    EXPECT_EQ(p, (Pixel{254, 0, 255, 44}));
    setRgbClamped(p, kNaN, kInf, 9.9);
    EXPECT_EQ(p, (Pixel{0, 255, 9, 44}));
}

TEST(SetRgbaClamped, TruncatesAllFourChannels) {
    Pixel p{1, 2, 3, 44};
    setRgbaClamped(p, 254.99998, -0.7, 255.7, 128.9);
    EXPECT_EQ(p, (Pixel{254, 0, 255, 128}));
    setRgbaClamped(p, -kInf, 1e300, 0.5, kNaN);
    EXPECT_EQ(p, (Pixel{0, 255, 0, 0}));
}

}  // namespace
}  // namespace tesselane
