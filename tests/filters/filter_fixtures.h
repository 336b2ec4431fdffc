#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "tesselane/image/image.h"
#include "tests/support/images.h"

namespace tesselane::testing {

// Grey pixel (v, v, v, a).
inline Pixel grey(uint8_t v, uint8_t a = 255) { return Pixel{v, v, v, a}; }

// An image whose rows are the given rows of grey values (all rows the same length), alpha a.
inline std::unique_ptr<Image> greyImage(const std::vector<std::vector<uint8_t>>& rows,
                                        uint8_t a = 255) {
    const auto height = static_cast<int32_t>(rows.size());
    const auto width = static_cast<int32_t>(rows.front().size());
    auto image = std::make_unique<Image>(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            image->pixelAt(x, y) = grey(rows[static_cast<size_t>(y)][static_cast<size_t>(x)], a);
        }
    }
    return image;
}

// Sizes for the differential tests of the filters: the shared awkward sizes, and some that
// span several 32-column strips, have short or long columns, or odd widths.
inline std::vector<std::pair<int32_t, int32_t>> filterSizes() {
    std::vector<std::pair<int32_t, int32_t>> sizes = awkwardSizes();
    const std::pair<int32_t, int32_t> more[] = {
        {2, 9},  {3, 3},  {4, 4},   {5, 5},   {6, 2},   {33, 1},  {33, 6},
        {70, 5}, {3, 90}, {97, 41}, {1, 700}, {700, 1}, {300, 3},
    };
    sizes.insert(sizes.end(), std::begin(more), std::end(more));
    return sizes;
}

}  // namespace tesselane::testing
