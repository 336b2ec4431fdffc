#include "tesselane/effects/tone/adjust.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "tesselane/image/colour.h"
#include "tesselane/image/fatal.h"

// Every adjustment here is, for a fixed argument, a function of each channel value (luma
// aside), so it runs through 256-entry tables filled by the colour arithmetic itself: the
// results are those of the per-pixel expressions, bit for bit, whatever the argument.

namespace tesselane {
namespace {

struct ChannelTables {
    uint8_t r[256];
    uint8_t g[256];
    uint8_t b[256];
    uint8_t a[256];
};

// Each pixel through the tables, in memory order: no pixel depends on another, so the order
// is free. The tables are copied to the stack so the compiler knows pixel stores miss them.
void mapChannels(Image& image, const ChannelTables& tables) {
    const ChannelTables t = tables;
    Pixel* pixels = image.pixels.get();
    const size_t count = static_cast<size_t>(image.pixelCount);
    for (size_t i = 0; i < count; ++i) {
        const Pixel p = pixels[i];
        pixels[i] = Pixel{t.r[p.r], t.g[p.g], t.b[p.b], t.a[p.a]};
    }
}

// Runs apply(pixel, noise) over the pixels column by column, top to bottom, noise being the
// pixel's randomPixel(). The draws are batched per stretch of a column but made in exactly
// the order of that traversal, so the generator sees the same sequence of calls.
template <typename Apply>
void forEachNoisyPixel(Image& image, Apply apply) {
    constexpr int32_t kRows = 1024;
    uint8_t draws[4 * kRows];
    const int32_t width = image.width;
    const int32_t height = image.height;
    const size_t stride = static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y0 = 0; y0 < height; y0 += kRows) {
            const int32_t rows = std::min(kRows, height - y0);
            // randomByte's rule: the low eight bits of each rand().
            for (int32_t i = 0; i < 4 * rows; ++i) {
                draws[i] = static_cast<uint8_t>(std::rand() & 0xFF);
            }
            Pixel* p =
                image.pixels.get() + static_cast<size_t>(x) + static_cast<size_t>(y0) * stride;
            for (int32_t i = 0; i < rows; ++i, p += stride) {
                // randomPixel stores its four draws in A, B, G and R.
                const uint8_t* d = draws + 4 * i;
                *p = apply(*p, Pixel{d[3], d[2], d[1], d[0]});
            }
        }
    }
}

// Consumes the draws of a noisy operation that cannot change the picture.
void skipDraws(const Image& image) {
    const size_t count = 4 * static_cast<size_t>(image.pixelCount);
    for (size_t i = 0; i < count; ++i) std::rand();
}

uint8_t saturatingSum(uint8_t a, uint8_t b) {
    return static_cast<uint8_t>(std::min(int32_t{a} + int32_t{b}, 255));
}

// posterizePixel's R for every channel value (the same rule serves G and B).
void fillPosterizeTable(uint8_t (&table)[256], int32_t bits) {
    for (int32_t c = 0; c < 256; ++c) {
        const auto v = static_cast<uint8_t>(c);
        table[c] = posterizePixel(Pixel{v, v, v, 255}, bits).r;
    }
}

}  // namespace

void addNoise(Image& image, double amount) {
    uint8_t noise[256];
    bool changes = false;
    for (int32_t v = 0; v < 256; ++v) {
        noise[v] = scaleChannel(static_cast<uint8_t>(v), amount);
        changes = changes || noise[v] != 0;
    }
    if (!changes) {
        skipDraws(image);
        return;
    }
    forEachNoisyPixel(image, [&noise](Pixel p, Pixel n) {
        return Pixel{saturatingSum(p.r, noise[n.r]), saturatingSum(p.g, noise[n.g]),
                     saturatingSum(p.b, noise[n.b]), saturatingSum(p.a, noise[n.a])};
    });
}

void scaleBrightness(Image& image, double factor) {
    ChannelTables tables;
    for (int32_t c = 0; c < 256; ++c) {
        const uint8_t v = scaleChannel(static_cast<uint8_t>(c), factor);
        tables.r[c] = tables.g[c] = tables.b[c] = tables.a[c] = v;
    }
    mapChannels(image, tables);
}

void adjustContrast(Image& image, double weight) {
    ChannelTables tables;
    // The grey's colours are 123 and its alpha 255.
    for (int32_t c = 0; c < 256; ++c) {
        const auto v = static_cast<uint8_t>(c);
        tables.r[c] = tables.g[c] = tables.b[c] = lerpChannel(123, v, weight);
        tables.a[c] = lerpChannel(255, v, weight);
    }
    mapChannels(image, tables);
}

void adjustSaturation(Image& image, double weight) {
    // The grey depends on the pixel, so the colours take a table per luma value 0..254,
    // filled once per call. At 64 KB it lives on the heap: a caller's thread may have a
    // small stack.
    std::unique_ptr<uint8_t[][256]> blend(new (std::nothrow) uint8_t[255][256]);
    if (!blend) failAllocating();
    uint8_t alpha[256];
    for (int32_t l = 0; l < 255; ++l) {
        for (int32_t c = 0; c < 256; ++c) {
            blend[l][c] = lerpChannel(static_cast<uint8_t>(l), static_cast<uint8_t>(c), weight);
        }
    }
    for (int32_t c = 0; c < 256; ++c) {
        alpha[c] = lerpChannel(static_cast<uint8_t>(c), static_cast<uint8_t>(c), weight);
    }
    Pixel* pixels = image.pixels.get();
    const size_t count = static_cast<size_t>(image.pixelCount);
    for (size_t i = 0; i < count; ++i) {
        const Pixel p = pixels[i];
        const uint8_t* row = blend[luma(p)];
        pixels[i] = Pixel{row[p.r], row[p.g], row[p.b], alpha[p.a]};
    }
}

void isolateChannel(Image& image, int32_t channel) {
    if (channel < 0 || channel > 3) return;
    Pixel keep{0, 0, 0, 0};
    uint8_t* keepBytes[4] = {&keep.r, &keep.g, &keep.b, &keep.a};
    *keepBytes[channel] = 255;
    uint32_t mask = 0;
    std::memcpy(&mask, &keep, sizeof mask);
    Pixel* pixels = image.pixels.get();
    const size_t count = static_cast<size_t>(image.pixelCount);
    for (size_t i = 0; i < count; ++i) {
        uint32_t word = 0;
        std::memcpy(&word, &pixels[i], sizeof word);
        word &= mask;
        std::memcpy(static_cast<void*>(&pixels[i]), &word, sizeof word);
    }
}

void posterize(Image& image, int32_t bits) {
    ChannelTables tables;
    fillPosterizeTable(tables.r, bits);
    std::memcpy(tables.g, tables.r, sizeof tables.r);
    std::memcpy(tables.b, tables.r, sizeof tables.r);
    std::memset(tables.a, 255, sizeof tables.a);
    mapChannels(image, tables);
}

void posterizeWithNoise(Image& image, int32_t bits) {
    // half[v] is scaleChannel(v, 0.5); two halves sum to at most 256, which addPixels holds
    // at 255: level[s] is posterizePixel's value of that held sum.
    uint8_t half[256];
    uint8_t posterized[256];
    uint8_t level[257];
    for (int32_t v = 0; v < 256; ++v) half[v] = scaleChannel(static_cast<uint8_t>(v), 0.5);
    fillPosterizeTable(posterized, bits);
    for (int32_t s = 0; s < 257; ++s) level[s] = posterized[std::min(s, 255)];
    forEachNoisyPixel(image, [&](Pixel p, Pixel n) {
        return Pixel{level[half[p.r] + half[n.r]], level[half[p.g] + half[n.g]],
                     level[half[p.b] + half[n.b]], 255};
    });
}

}  // namespace tesselane
