#include "tesselane/image/image.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>

#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::describe;
using testing::runInChild;

constexpr Pixel kBlank{255, 255, 255, 0};

TEST(BlankImage, IsTransparentWhiteWithModeNearest) {
    for (const auto& [w, h] : testing::awkwardSizes()) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Image image(w, h);
        EXPECT_EQ(image.width, w);
        EXPECT_EQ(image.height, h);
        EXPECT_EQ(image.pixelCount, w * h);
        EXPECT_EQ(image.sampleMode, Nearest);
        for (int32_t i = 0; i < image.pixelCount; ++i) ASSERT_EQ(image.pixels[i], kBlank);
    }
}

TEST(BlankImage, SizeItCannotBuildEndsTheProcess) {
    const struct {
        int32_t width;
        int32_t height;
    } cases[] = {
        {0, 1},
        {1, 0},
        {-1, 5},
        {5, -1},
        {INT32_MIN, 1},
        {1, INT32_MIN},
        {65536, 32768},  // 2^31 pixels: one past INT32_MAX
        {INT32_MAX, INT32_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const auto child = runInChild([&] {
            Image image(c.width, c.height);
            return 0;
        });
        EXPECT_EQ(child.exitStatus, 255);
        EXPECT_EQ(child.out, "Error allocating image.");
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(BlankImage, MemoryThatCannotBeHadEndsTheProcess) {
    const auto child = runInChild([] {
        const rlimit limit{size_t{256} << 20, size_t{256} << 20};
        setrlimit(RLIMIT_AS, &limit);
        Image image(31000, 31000);  // 3.8 GB: more than a 32-bit process can map, too
        return 0;
    });
    EXPECT_EQ(child.exitStatus, 255);
    EXPECT_EQ(child.out, "Error allocating image.");
}
#endif

TEST(CopyImage, CopiesCurrentPixelsButNotTheSampleMode) {
    auto source = testing::randomImage(5, 3, 7);
    source->setSampleMode(Gaussian5x5);
    source->pixelAt(2, 1) = Pixel{1, 2, 3, 4};  // an edit after construction is copied too
    const Image copy(*source);
    std::string where;
    EXPECT_TRUE(testing::sameImage(*source, copy, &where)) << where;
    EXPECT_EQ(copy.sampleMode, Nearest);
    EXPECT_NE(copy.pixels.get(), source->pixels.get());
}

TEST(Crop, CopiesRequestedRegion) {
    // 4x3 source, pixel (x, y) = (x, y, x + y, 10 x + y); crop (1, 1, 3, 2) takes x 1..3, y 1..2.
    Image source(4, 3);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            source.pixelAt(x, y) =
                Pixel{static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + y),
                      static_cast<uint8_t>(10 * x + y)};
        }
    }
    source.setSampleMode(Bilinear);
    const auto region = source.crop(1, 1, 3, 2);
    ASSERT_EQ(region->width, 3);
    ASSERT_EQ(region->height, 2);
    EXPECT_EQ(region->sampleMode, Nearest);
    for (int32_t j = 0; j < 2; ++j) {
        for (int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(region->pixelAt(i, j), source.pixelAt(1 + i, 1 + j))
                << i << ", " << j << ": " << describe(region->pixelAt(i, j));
        }
    }
    const auto whole = source.crop(0, 0, 4, 3);
    std::string where;
    EXPECT_TRUE(testing::sameImage(source, *whole, &where)) << where;
}

TEST(Crop, EmptyRegionEndsTheProcess) {
    for (const auto& [w, h] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-2, 1}}) {
        const auto child = runInChild([w = w, h = h] {
            Image source(3, 3);
            source.crop(0, 0, w, h);
            return 0;
        });
        EXPECT_EQ(child.exitStatus, 255);
        EXPECT_EQ(child.out, "Error allocating image.");
    }
}

TEST(InBounds, AcceptsExactlyThePicture) {
    const Image image(3, 2);
    const struct {
        int32_t x, y;
        bool inside;
    } cases[] = {
        {0, 0, true},  {2, 1, true},          {-1, 0, false},        {0, -1, false},
        {3, 0, false}, {0, 2, false},         {INT32_MIN, 0, false}, {0, INT32_MAX, false},
        {2, 0, true},  {INT32_MAX, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(image.inBounds(c.x, c.y), c.inside) << c.x << ", " << c.y;
    }
}

TEST(PixelAt, AddressesRowMajor) {
    Image image(3, 2);
    image.pixelAt(2, 1) = Pixel{9, 8, 7, 6};
    EXPECT_EQ(image.pixels[2 + 1 * 3], (Pixel{9, 8, 7, 6}));
    const Image& view = image;
    EXPECT_EQ(view.pixelAt(2, 1), (Pixel{9, 8, 7, 6}));
}

TEST(SetSampleMode, StoresAnyValue) {
    Image image(1, 1);
    for (int32_t mode : {2, 1, 0, 3, -1, INT32_MIN}) {
        image.setSampleMode(mode);
        EXPECT_EQ(image.sampleMode, mode);
    }
}

TEST(PixelType, IsFourBytesRgbaWithOpaqueBlackDefault) {
    const Pixel defaulted{};
    EXPECT_EQ(defaulted, (Pixel{0, 0, 0, 255}));
    const Pixel p{1, 2, 3, 4};
    uint8_t bytes[4];
    std::memcpy(bytes, &p, sizeof bytes);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[3], 4);
}

}  // namespace
}  // namespace tesselane
