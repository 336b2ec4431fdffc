#include "tesselane/effects/patchwork/patchwork.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tesselane {
namespace {

// Channels each mask keeps, in the order of the mask numbers: red only, green only, blue
// only, red and green. Alpha is never kept: the result's alpha is the blank value's 0.
constexpr Pixel kMasks[4] = {
    {255, 0, 0, 0},
    {0, 255, 0, 0},
    {0, 0, 255, 0},
    {255, 255, 0, 0},
};
constexpr Pixel kKeepNothing{0, 0, 0, 0};
constexpr Pixel kBlank{255, 255, 255, 0};

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

std::unique_ptr<Image> makePatchwork(const Image& source, int32_t tileSize) {
    const int64_t t = std::max<int64_t>(tileSize, 1);
    const int32_t width = source.width;
    const int32_t height = source.height;
    auto result = std::make_unique<Image>(width, height, Image::Unfilled{});
    const int64_t tileRows = 2 * int64_t{width} / t;

    // Along a row the tile, and so the mask, repeats every 4 tiles: moving t to the right
    // raises j by one and keeps i. Each row is therefore the source under a repeating
    // pattern of (keep, fill) byte masks: out = (in & keep) | fill, fill being the blank
    // value where the tile row is not drawn.
    const size_t period = static_cast<size_t>(std::min<int64_t>(4 * t, width));
    std::vector<uint8_t> keep(period * sizeof(Pixel));
    std::vector<uint8_t> fill(period * sizeof(Pixel));
    const auto* in = reinterpret_cast<const uint8_t*>(source.pixels.get());
    auto* out = reinterpret_cast<uint8_t*>(result->pixels.get());
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(Pixel);

    for (int32_t y = 0; y < height; ++y) {
        for (size_t k = 0; k < period; ++k) {
            const int64_t x = static_cast<int64_t>(k);
            const int64_t j = floorDiv(x + y, t);
            const int64_t i = j - floorDiv(x - y, t);
            const bool drawn = i < tileRows;
            const Pixel keepMask = drawn ? kMasks[(j + 2 * i + 2) % 4] : kKeepNothing;
            const Pixel fillValue = drawn ? kKeepNothing : kBlank;
            std::memcpy(&keep[k * sizeof(Pixel)], &keepMask, sizeof(Pixel));
            std::memcpy(&fill[k * sizeof(Pixel)], &fillValue, sizeof(Pixel));
        }
        const size_t rowStart = static_cast<size_t>(y) * rowBytes;
        const uint8_t* from = in + rowStart;
        uint8_t* to = out + rowStart;
        for (size_t done = 0; done < rowBytes;) {
            const size_t chunk = std::min(keep.size(), rowBytes - done);
            const uint8_t* keepBytes = keep.data();
            const uint8_t* fillBytes = fill.data();
            for (size_t b = 0; b < chunk; ++b) {
                to[done + b] = static_cast<uint8_t>((from[done + b] & keepBytes[b]) | fillBytes[b]);
            }
            done += chunk;
        }
    }
    return result;
}

}  // namespace tesselane
