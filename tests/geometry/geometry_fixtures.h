#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tesselane/image/image.h"
#include "tests/support/images.h"

namespace tesselane::testing {

constexpr Pixel kOpaqueWhite{255, 255, 255, 255};
constexpr Pixel kOpaqueBlack{0, 0, 0, 255};

// The sample modes the differential tests run: the three, and two that make every sample black.
inline const int32_t kAllModes[] = {Nearest, Bilinear, Gaussian5x5, 3, -1};

// width x height whose pixel (x, y) is (x, y, 7, 100): no opaque white, each pixel its own.
inline std::unique_ptr<Image> numbered(int32_t width, int32_t height, int32_t mode = Nearest) {
    auto image = std::make_unique<Image>(width, height);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            image->pixelAt(x, y) = Pixel{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7, 100};
        }
    }
    image->setSampleMode(mode);
    return image;
}

// An image from rows of pixels, top row first.
inline std::unique_ptr<Image> fromRows(const std::vector<std::vector<Pixel>>& rows) {
    auto image = std::make_unique<Image>(static_cast<int32_t>(rows[0].size()),
                                         static_cast<int32_t>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            image->pixelAt(static_cast<int32_t>(x), static_cast<int32_t>(y)) = rows[y][x];
        }
    }
    return image;
}

// Three kinds of picture for the differential tests, each width x height: random bytes;
// random bytes framed by opaque white with a few opaque-white pixels inside (what trimming
// must see through); opaque white but for three random pixels.
inline std::vector<std::unique_ptr<Image>> testPictures(int32_t width, int32_t height,
                                                        uint32_t seed) {
    std::vector<std::unique_ptr<Image>> pictures;
    pictures.push_back(randomImage(width, height, seed));
    auto framed = randomImage(width, height, seed + 1);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            if (edge || (x * 7 + y * 3) % 11 == 0) framed->pixelAt(x, y) = kOpaqueWhite;
        }
    }
    pictures.push_back(std::move(framed));
    auto sparse = uniformImage(width, height, kOpaqueWhite);
    const auto dots = randomImage(3, 1, seed + 2);
    for (int32_t k = 0; k < 3; ++k) {
        const Pixel dot = dots->pixelAt(k, 0);
        Pixel& target = sparse->pixelAt(dot.r % width, dot.g % height);
        target = Pixel{dot.b, 0, dot.a, 255};
    }
    pictures.push_back(std::move(sparse));
    return pictures;
}

// Expects equal size and pixels, and the Nearest mode of every new picture.
inline void expectSameImage(const Image& expected, const Image& actual) {
    std::string where;
    EXPECT_TRUE(sameImage(expected, actual, &where)) << where;
    EXPECT_EQ(actual.sampleMode, Nearest);
}

}  // namespace tesselane::testing

// Expects the statement given to end the process as the library does when it cannot build a
// picture: "Error allocating image." on standard output (joined here to standard error, which the
// death test reads) and exit code -1.
#define EXPECT_ENDS_ALLOCATING(...)             \
    EXPECT_EXIT(                                \
        {                                       \
            dup2(STDERR_FILENO, STDOUT_FILENO); \
            __VA_ARGS__;                        \
        },                                      \
        ::testing::ExitedWithCode(255), "^Error allocating image\\.$")
