#include "tesselane/effects/tone/dither.h"

#include <algorithm>
#include <cstddef>

#include "tesselane/image/colour.h"

namespace tesselane {
namespace {

int32_t clampedBits(int32_t bits) { return std::min(std::max(bits, 1), 8); }

// posterizePixel's value of a channel and the next level up, clampToByte(p + step) in
// single precision, for every channel value (the same rule serves R, G and B).
struct Levels {
    uint8_t level[256];
    uint8_t next[256];
};

Levels levelsFor(int32_t bits) {
    const int32_t levels = 255 >> (8 - clampedBits(bits));
    const float step = 255.0f / static_cast<float>(levels);
    Levels table;
    for (int32_t c = 0; c < 256; ++c) {
        const auto v = static_cast<uint8_t>(c);
        table.level[c] = posterizePixel(Pixel{v, v, v, 255}, bits).r;
        table.next[c] = clampToByte(static_cast<double>(static_cast<float>(table.level[c]) + step));
    }
    return table;
}

// Where one pixel's error goes, for every channel value c: its posterised value and the four
// shares of max(c - level, 0), each rounded on its own by scaleChannel.
struct Diffusion {
    uint8_t level;
    uint8_t right;
    uint8_t belowLeft;
    uint8_t below;
    uint8_t belowRight;
};

}  // namespace

void orderedDither(Image& image, int32_t bits) {
    // Each channel's result depends on its value and the pixel's matrix entry alone: one
    // table per entry, and the pixels in memory order.
    const int32_t shift = 8 - clampedBits(bits);
    const Levels levels = levelsFor(bits);
    uint8_t byEntry[16][256];
    for (int32_t entry = 0; entry < 16; ++entry) {
        const int32_t threshold = (DitherMatrix4x4[entry] << shift) / 16;
        for (int32_t c = 0; c < 256; ++c) {
            const int32_t remainder = std::max(c - int32_t{levels.level[c]}, 0);
            byEntry[entry][c] = remainder > threshold ? levels.next[c] : levels.level[c];
        }
    }
    const int32_t width = image.width;
    const int32_t height = image.height;
    for (int32_t y = 0; y < height; ++y) {
        // Along a row the entry repeats every 4 pixels: columns x mod 4 = 0..3.
        const uint8_t* t[4] = {byEntry[y % 4], byEntry[4 + y % 4], byEntry[8 + y % 4],
                               byEntry[12 + y % 4]};
        Pixel* row = image.pixels.get() + static_cast<size_t>(y) * static_cast<size_t>(width);
        int32_t x = 0;
        for (; x + 4 <= width; x += 4) {
            for (int32_t k = 0; k < 4; ++k) {
                Pixel& p = row[x + k];
                p = Pixel{t[k][p.r], t[k][p.g], t[k][p.b], p.a};
            }
        }
        for (int32_t k = 0; x < width; ++x, ++k) {
            Pixel& p = row[x];
            p = Pixel{t[k][p.r], t[k][p.g], t[k][p.b], p.a};
        }
    }
}

void errorDiffusionDither(Image& image, int32_t bits) {
    Diffusion table[256];
    for (int32_t c = 0; c < 256; ++c) {
        const auto v = static_cast<uint8_t>(c);
        const Pixel value{v, v, v, 255};
        const Pixel p = posterizePixel(value, bits);
        const uint8_t e = subtractPixels(value, p).r;
        table[c] = Diffusion{p.r, scaleChannel(e, 0.4375), scaleChannel(e, 0.1875),
                             scaleChannel(e, 0.3125), scaleChannel(e, 0.0625)};
    }

    // Every share is non-negative, so adding them one by one with saturation at 255 gives
    // min(value + sum of shares, 255) in any order. Each pixel of the next row therefore
    // takes the sum of its three shares from this row in one addition, made as soon as the
    // last of them is known; the share to the right travels in carry.
    const int32_t width = image.width;
    const int32_t height = image.height;
    const size_t stride = static_cast<size_t>(width);
    for (int32_t y = 0; y < height; ++y) {
        Pixel* row = image.pixels.get() + static_cast<size_t>(y) * stride;
        Pixel* below = y + 1 < height ? row + stride : nullptr;
        int32_t carry[3] = {0, 0, 0};
        // Shares collected so far for the pixels below x - 1, x and x + 1.
        int32_t forLeft[3] = {0, 0, 0};
        int32_t forBelow[3] = {0, 0, 0};
        for (int32_t x = 0; x < width; ++x) {
            Pixel& pixel = row[x];
            uint8_t* channels[3] = {&pixel.r, &pixel.g, &pixel.b};
            const Diffusion* d[3];
            for (int k = 0; k < 3; ++k) {
                const int32_t c = std::min(int32_t{*channels[k]} + carry[k], 255);
                d[k] = &table[c];
                *channels[k] = d[k]->level;
                carry[k] = d[k]->right;
            }
            pixel.a = 255;
            if (below == nullptr) continue;
            if (x > 0) {
                Pixel& left = below[x - 1];
                uint8_t* leftChannels[3] = {&left.r, &left.g, &left.b};
                for (int k = 0; k < 3; ++k) {
                    const int32_t sum = forLeft[k] + d[k]->belowLeft;
                    *leftChannels[k] =
                        static_cast<uint8_t>(std::min(int32_t{*leftChannels[k]} + sum, 255));
                }
            }
            for (int k = 0; k < 3; ++k) {
                forLeft[k] = forBelow[k] + d[k]->below;
                forBelow[k] = d[k]->belowRight;
            }
        }
        if (below != nullptr) {
            Pixel& last = below[width - 1];
            uint8_t* lastChannels[3] = {&last.r, &last.g, &last.b};
            for (int k = 0; k < 3; ++k) {
                *lastChannels[k] =
                    static_cast<uint8_t>(std::min(int32_t{*lastChannels[k]} + forLeft[k], 255));
            }
        }
    }
}

}  // namespace tesselane
