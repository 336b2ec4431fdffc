#include "tesselane/effects/patchwork/patchwork.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/reference/patchwork_reference.h"
#include "tests/support/images.h"

namespace tesselane {
namespace {

using testing::describe;

constexpr Pixel kBlank{255, 255, 255, 0};

// The result pixel that a mask gives for source pixel s.
Pixel masked(Pixel s, const char* mask) {
    const std::string m = mask;
    if (m == "R") return Pixel{s.r, 0, 0, 0};
    if (m == "G") return Pixel{0, s.g, 0, 0};
    if (m == "B") return Pixel{0, 0, s.b, 0};
    if (m == "RG") return Pixel{s.r, s.g, 0, 0};
    return kBlank;  // "-": not drawn
}

void expectMasks(const Image& source, const Image& result,
                 const std::vector<std::vector<const char*>>& rows) {
    ASSERT_EQ(result.height, static_cast<int32_t>(rows.size()));
    for (int32_t y = 0; y < result.height; ++y) {
        ASSERT_EQ(result.width, static_cast<int32_t>(rows[y].size()));
        for (int32_t x = 0; x < result.width; ++x) {
            const Pixel expected = masked(source.pixelAt(x, y), rows[y][x]);
            EXPECT_EQ(result.pixelAt(x, y), expected)
                << "(" << x << ", " << y << ") is " << describe(result.pixelAt(x, y))
                << ", expected mask " << rows[y][x];
        }
    }
}

int32_t countBlank(const Image& image) {
    int32_t count = 0;
    for (int32_t i = 0; i < image.pixelCount; ++i) count += image.pixels[i] == kBlank;
    return count;
}

TEST(Patchwork, WorkedExampleFourByThreeTileTwo) {
    // Tiles (i, j): row 0 (0,0) (0,0) (0,1) (0,1); row 1 (1,0) (1,1) (1,1) (1,2);
    // row 2 (2,1) (2,1) (2,2) (2,2).
    const auto source = testing::uniformImage(4, 3, Pixel{10, 20, 30, 255});
    const auto result = makePatchwork(*source, 2);
    expectMasks(*source, *result,
                {{"B", "B", "RG", "RG"}, {"R", "G", "G", "B"}, {"RG", "RG", "R", "R"}});
    EXPECT_EQ(result->pixelAt(0, 0), (Pixel{0, 0, 30, 0}));
    EXPECT_EQ(result->pixelAt(2, 0), (Pixel{10, 20, 0, 0}));
    EXPECT_EQ(result->pixelAt(0, 1), (Pixel{10, 0, 0, 0}));
    EXPECT_EQ(result->sampleMode, Nearest);
}

TEST(Patchwork, TallPictureKeepsWhiteBandBelowTheTileRows) {
    // 4x8, t = 2: tile rows 0..3; row 3 reads G, B, B, RG; rows 4..7 stay blank.
    const auto source = testing::randomImage(4, 8, 3);
    const auto result = makePatchwork(*source, 2);
    expectMasks(*source, *result,
                {{"B", "B", "RG", "RG"},
                 {"R", "G", "G", "B"},
                 {"RG", "RG", "R", "R"},
                 {"G", "B", "B", "RG"},
                 {"-", "-", "-", "-"},
                 {"-", "-", "-", "-"},
                 {"-", "-", "-", "-"},
                 {"-", "-", "-", "-"}});
}

TEST(Patchwork, TwentyByTwentyShowsFourTrianglesOneUndrawn) {
    const auto source = testing::uniformImage(20, 20, Pixel{10, 20, 30, 255});
    const auto result = makePatchwork(*source, 20);
    int32_t undrawn = 0;
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            const char* mask = x >= y ? (x + y <= 19 ? "B" : "G") : (x + y <= 19 ? "R" : "-");
            undrawn += std::string(mask) == "-";
            ASSERT_EQ(result->pixelAt(x, y), masked(source->pixelAt(x, y), mask)) << x << ", " << y;
        }
    }
    EXPECT_EQ(undrawn, 90);
}

TEST(Patchwork, UndrawnPixelsByPictureSize) {
    const struct {
        int32_t width, height, tile, undrawn;
    } cases[] = {
        {320, 240, 20, 0},     {100, 100, 20, 450},
        {240, 320, 20, 20280}, {9, 5, 20, 45},  // narrower than half a tile: no tile rows at all
        {1, 1, 20, 1},         {1, 1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " tile " +
                     std::to_string(c.tile));
        const auto source = testing::uniformImage(c.width, c.height, Pixel{1, 2, 3, 4});
        EXPECT_EQ(countBlank(*makePatchwork(*source, c.tile)), c.undrawn);
    }
}

TEST(Patchwork, HundredSquareLeavesTrianglesInItsLastRows) {
    const auto source = testing::uniformImage(100, 100, Pixel{1, 2, 3, 4});
    const auto result = makePatchwork(*source, 20);
    for (int32_t y = 0; y < 100; ++y) {
        int32_t undrawn = 0;
        for (int32_t x = 0; x < 100; ++x) undrawn += result->pixelAt(x, y) == kBlank;
        EXPECT_EQ(undrawn, y >= 91 ? 10 * (y - 90) : 0) << "row " << y;
    }
}

TEST(Patchwork, TallerThanWideLeavesEveryRowFromTheWidthOnUndrawn) {
    const auto source = testing::uniformImage(240, 320, Pixel{1, 2, 3, 4});
    const auto result = makePatchwork(*source, 20);
    for (int32_t y = 240; y < 320; ++y) {
        for (int32_t x = 0; x < 240; ++x) ASSERT_EQ(result->pixelAt(x, y), kBlank);
    }
}

TEST(Patchwork, TileOneDrawsRowsAboveTheWidthWithMaskByDiagonal) {
    // t = 1: (x, y) is drawn exactly when y < width, with mask (x + y + 2) mod 4.
    const char* order[4] = {"R", "G", "B", "RG"};
    const auto source = testing::randomImage(5, 9, 11);
    const auto result = makePatchwork(*source, 1);
    for (int32_t y = 0; y < 9; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            const char* mask = y < 5 ? order[(x + y + 2) % 4] : "-";
            ASSERT_EQ(result->pixelAt(x, y), masked(source->pixelAt(x, y), mask)) << x << ", " << y;
        }
    }
}

TEST(Patchwork, TileBelowOneCountsAsOne) {
    const auto source = testing::randomImage(7, 9, 5);
    const auto one = makePatchwork(*source, 1);
    for (int32_t tile : {0, -1, -20, INT32_MIN}) {
        SCOPED_TRACE(tile);
        std::string where;
        EXPECT_TRUE(testing::sameImage(*one, *makePatchwork(*source, tile), &where)) << where;
    }
}

TEST(Patchwork, HugeTileDrawsNothing) {
    const auto source = testing::randomImage(7, 3, 5);
    EXPECT_EQ(countBlank(*makePatchwork(*source, INT32_MAX)), 21);
}

TEST(Patchwork, LeavesTheSourceUnchangedAndAlphaZero) {
    const auto source = testing::randomImage(33, 17, 9);
    const Image before(*source);
    const auto result = makePatchwork(*source, 4);
    std::string where;
    EXPECT_TRUE(testing::sameImage(before, *source, &where)) << where;
    for (int32_t i = 0; i < result->pixelCount; ++i) ASSERT_EQ(result->pixels[i].a, 0);
}

TEST(Patchwork, MatchesTheTileLoopOnRandomPictures) {
    std::mt19937 generator(2024);
    std::vector<std::pair<int32_t, int32_t>> sizes = testing::awkwardSizes();
    for (int k = 0; k < 40; ++k) {
        sizes.emplace_back(1 + static_cast<int32_t>(generator() % 90),
                           1 + static_cast<int32_t>(generator() % 90));
    }
    for (const auto& [w, h] : sizes) {
        const auto source = testing::randomImage(w, h, static_cast<uint32_t>(w * 131 + h));
        for (int32_t tile : {1, 2, 3, 5, 7, 20, 64, 200}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " tile " +
                         std::to_string(tile));
            std::string where;
            ASSERT_TRUE(testing::sameImage(*reference::makePatchwork(*source, tile),
                                           *makePatchwork(*source, tile), &where))
                << where;
        }
    }
}

}  // namespace
}  // namespace tesselane
