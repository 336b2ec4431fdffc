#include "tests/support/images.h"

#include <sstream>

namespace tesselane::testing {

std::unique_ptr<Image> randomImage(int32_t width, int32_t height, uint32_t seed) {
    auto image = std::make_unique<Image>(width, height);
    std::mt19937 generator(seed);
    for (int32_t i = 0; i < image->pixelCount; ++i) {
        const auto bits = static_cast<uint32_t>(generator());
        image->pixels[i] =
            Pixel{static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                  static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
    }
    return image;
}

std::unique_ptr<Image> uniformImage(int32_t width, int32_t height, Pixel value) {
    auto image = std::make_unique<Image>(width, height);
    for (int32_t i = 0; i < image->pixelCount; ++i) image->pixels[i] = value;
    return image;
}

std::vector<std::pair<int32_t, int32_t>> awkwardSizes() {
    return {{1, 1}, {1, 7},  {9, 1},  {2, 2},   {3, 5},  {5, 3},
            {7, 7}, {13, 4}, {4, 13}, {31, 17}, {64, 33}};
}

bool sameImage(const Image& expected, const Image& actual, std::string* where) {
    std::ostringstream out;
    if (expected.width != actual.width || expected.height != actual.height) {
        out << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
            << "x" << expected.height;
        if (where != nullptr) *where = out.str();
        return false;
    }
    for (int32_t y = 0; y < expected.height; ++y) {
        for (int32_t x = 0; x < expected.width; ++x) {
            if (expected.pixelAt(x, y) != actual.pixelAt(x, y)) {
                out << "pixel (" << x << ", " << y << ") is " << describe(actual.pixelAt(x, y))
                    << ", expected " << describe(expected.pixelAt(x, y)) << " in " << expected.width
                    << "x" << expected.height;
                if (where != nullptr) *where = out.str();
                return false;
            }
        }
    }
    return true;
}

std::string describe(Pixel p) {
    std::ostringstream out;
    out << "(" << int{p.r} << ", " << int{p.g} << ", " << int{p.b} << ", " << int{p.a} << ")";
    return out.str();
}

}  // namespace tesselane::testing
