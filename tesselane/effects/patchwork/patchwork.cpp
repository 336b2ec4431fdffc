#include "tesselane/effects/patchwork/patchwork.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "tesselane/image/fatal.h"

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

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

uint32_t asWord(Pixel p) {
    uint32_t word;
    std::memcpy(&word, &p, sizeof word);
    return word;
}

// out = (in & keep) | fill, a word per pixel.
void applyMasks(const Pixel* in, Pixel* out, size_t count, const uint32_t* keep,
                const uint32_t* fill) {
    const auto* from = reinterpret_cast<const uint8_t*>(in);
    auto* to = reinterpret_cast<uint8_t*>(out);
    for (size_t k = 0; k < count; ++k) {
        uint32_t word;
        std::memcpy(&word, from + 4 * k, sizeof word);
        word = (word & keep[k]) | fill[k];
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

    uint32_t masks[4];
    for (int m = 0; m < 4; ++m) masks[m] = asWord(kMasks[m]);
    const uint32_t blank = asWord(kBlankPixel);

    // Moving t to the right raises j by one and keeps i, so along a row the masks repeat
    // every 4 tiles: each row is the source under a pattern of (keep, fill) words of that
    // period, out = (in & keep) | fill, fill being the blank value where a tile row is not
    // drawn. The pattern itself comes in runs: j = floor((x + y) / t) steps up where
    // (x + y) mod t wraps and d = floor((x - y) / t) where (x - y) mod t wraps, and between
    // two such places the tile (j, i = j - d) stays the same.
    const size_t period = static_cast<size_t>(std::min<int64_t>(4 * t, width));
    std::vector<uint32_t> keep;
    std::vector<uint32_t> fill;
    endingOnExhaustion([&] {
        keep.resize(period);
        fill.resize(period);
    });
    for (int32_t y = 0; y < height; ++y) {
        int64_t j = floorDiv(y, t);
        int64_t sumPhase = y - j * t;
        int64_t d = floorDiv(-int64_t{y}, t);
        int64_t differencePhase = -int64_t{y} - d * t;
        for (size_t x = 0; x < period;) {
            const size_t run = static_cast<size_t>(
                std::min({t - sumPhase, t - differencePhase, static_cast<int64_t>(period - x)}));
            const int64_t i = j - d;
            const bool drawn = i < tileRows;
            std::fill_n(keep.begin() + static_cast<std::ptrdiff_t>(x), run,
                        drawn ? masks[(j + 2 * i + 2) % 4] : 0u);
            std::fill_n(fill.begin() + static_cast<std::ptrdiff_t>(x), run, drawn ? 0u : blank);
            x += run;
            sumPhase += static_cast<int64_t>(run);
            differencePhase += static_cast<int64_t>(run);
            if (sumPhase == t) sumPhase = 0, ++j;
            if (differencePhase == t) differencePhase = 0, ++d;
        }
        const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
        const Pixel* in = source.pixels.get() + rowStart;
        Pixel* out = result->pixels.get() + rowStart;
        for (size_t x = 0; x < static_cast<size_t>(width); x += period) {
            applyMasks(in + x, out + x, std::min(period, static_cast<size_t>(width) - x),
                       keep.data(), fill.data());
        }
    }
    return result;
}

}  // namespace tesselane
