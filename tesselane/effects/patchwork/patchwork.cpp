#include "tesselane/effects/patchwork/patchwork.h"

#include <algorithm>
#include <cstring>

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
constexpr Pixel kBlank{255, 255, 255, 0};

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

uint32_t asWord(Pixel p) {
    uint32_t word;
    std::memcpy(&word, &p, sizeof word);
    return word;
}

// out = (in & keep) | fill over count pixels, a word per pixel.
void applyMask(const Pixel* in, Pixel* out, size_t count, uint32_t keep, uint32_t fill) {
    const auto* from = reinterpret_cast<const uint8_t*>(in);
    auto* to = reinterpret_cast<uint8_t*>(out);
    for (size_t k = 0; k < count; ++k) {
        uint32_t word;
        std::memcpy(&word, from + 4 * k, sizeof word);
        word = (word & keep) | fill;
        std::memcpy(to + 4 * k, &word, sizeof word);
    }
}

}  // namespace

std::unique_ptr<Image> makePatchwork(const Image& source, int32_t tileSize) {
    const int64_t t = std::max<int64_t>(tileSize, 1);
    const int32_t width = source.width;
    const int32_t height = source.height;
    auto result = std::make_unique<Image>(width, height, Image::Unfilled{});
    const int64_t tileRows = 2 * int64_t{width} / t;

    uint32_t keep[4];
    for (int m = 0; m < 4; ++m) keep[m] = asWord(kMasks[m]);

    // Along a row, j = floor((x + y) / t) steps up where (x + y) mod t wraps and
    // d = floor((x - y) / t) where (x - y) mod t wraps; between two such places the tile
    // (i = j - d) and its mask stay the same, so each run takes one mask.
    for (int32_t y = 0; y < height; ++y) {
        const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
        const Pixel* in = source.pixels.get() + rowStart;
        Pixel* out = result->pixels.get() + rowStart;
        int64_t j = floorDiv(y, t);
        int64_t sumPhase = y - j * t;
        int64_t d = floorDiv(-int64_t{y}, t);
        int64_t differencePhase = -int64_t{y} - d * t;
        for (int64_t x = 0; x < width;) {
            const int64_t run = std::min({t - sumPhase, t - differencePhase, width - x});
            const int64_t i = j - d;
            if (i < tileRows) {
                applyMask(in + x, out + x, static_cast<size_t>(run), keep[(j + 2 * i + 2) % 4], 0);
            } else {
                std::fill_n(out + x, run, kBlank);
            }
            x += run;
            sumPhase += run;
            differencePhase += run;
            if (sumPhase == t) sumPhase = 0, ++j;
            if (differencePhase == t) differencePhase = 0, ++d;
        }
    }
    return result;
}

}  // namespace tesselane
