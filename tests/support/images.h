#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tesselane/image/image.h"

namespace tesselane::testing {

// An image of width x height whose every byte, alpha included, comes from a generator
// seeded with seed.
std::unique_ptr<Image> randomImage(int32_t width, int32_t height, uint32_t seed);

// An image of width x height filled with one pixel value.
std::unique_ptr<Image> uniformImage(int32_t width, int32_t height, Pixel value);

// Awkward sizes for differential tests: 1x1, 1xN, Nx1, odd and even widths.
std::vector<std::pair<int32_t, int32_t>> awkwardSizes();

// True when both images have the same size and identical pixels; otherwise false, with the
// first difference described in *where.
bool sameImage(const Image& expected, const Image& actual, std::string* where);

// "(r, g, b, a)", for failure messages.
std::string describe(Pixel p);

}  // namespace tesselane::testing
