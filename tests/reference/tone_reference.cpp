#include "tests/reference/tone_reference.h"

#include <algorithm>

#include "tesselane/effects/tone/dither.h"
#include "tesselane/image/colour.h"

namespace tesselane::reference {
namespace {

// Column by column, top to bottom within a column.
template <typename Rule>
void forEachPixel(Image& image, Rule rule) {
    for (int32_t x = 0; x < image.width; ++x) {
        for (int32_t y = 0; y < image.height; ++y) {
            Pixel& p = image.pixelAt(x, y);
            p = rule(p, x, y);
        }
    }
}

int32_t clampedBits(int32_t bits) { return std::min(std::max(bits, 1), 8); }

}  // namespace

void addNoise(Image& image, double amount) {
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) {
        const Pixel noise = randomPixel();
        return addPixels(p, scalePixel(noise, amount));
    });
}

void scaleBrightness(Image& image, double factor) {
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) { return scalePixel(p, factor); });
}

void adjustContrast(Image& image, double weight) {
    const Pixel grey{123, 123, 123, 255};
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) { return lerpPixel(grey, p, weight); });
}

void adjustSaturation(Image& image, double weight) {
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) {
        const uint8_t l = luma(p);
        return lerpPixel(Pixel{l, l, l, p.a}, p, weight);
    });
}

void isolateChannel(Image& image, int32_t channel) {
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) {
        switch (channel) {
            case 0:
                return Pixel{p.r, 0, 0, 0};
            case 1:
                return Pixel{0, p.g, 0, 0};
            case 2:
                return Pixel{0, 0, p.b, 0};
            case 3:
                return Pixel{0, 0, 0, p.a};
            default:
                return p;
        }
    });
}

void posterize(Image& image, int32_t bits) {
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) { return posterizePixel(p, bits); });
}

void posterizeWithNoise(Image& image, int32_t bits) {
    forEachPixel(image, [&](Pixel p, int32_t, int32_t) {
        const Pixel noise = randomPixel();
        const Pixel halfNoise = scalePixel(noise, 0.5);
        const Pixel halfPixel = scalePixel(p, 0.5);
        return posterizePixel(addPixels(halfPixel, halfNoise), bits);
    });
}

void orderedDither(Image& image, int32_t bits) {
    const int32_t b = clampedBits(bits);
    const int32_t levels = 255 >> (8 - b);
    const float step = 255.0f / static_cast<float>(levels);
    forEachPixel(image, [&](Pixel c, int32_t x, int32_t y) {
        const Pixel p = posterizePixel(c, bits);
        const int32_t m = DitherMatrix4x4[4 * (x % 4) + y % 4];
        const int32_t thr = (m << (8 - b)) / 16;
        const Pixel r = subtractPixels(c, p);
        const auto channel = [&](uint8_t level, uint8_t remainder) {
            if (remainder > thr) {
                return clampToByte(static_cast<double>(static_cast<float>(level) + step));
            }
            return level;
        };
        return Pixel{channel(p.r, r.r), channel(p.g, r.g), channel(p.b, r.b), c.a};
    });
}

void errorDiffusionDither(Image& image, int32_t bits) {
    const int32_t w = image.width;
    const int32_t h = image.height;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const Pixel c = image.pixelAt(x, y);
            const Pixel p = posterizePixel(c, bits);
            const Pixel e = subtractPixels(c, p);
            image.pixelAt(x, y) = p;
            const bool lastRow = y == h - 1;
            const bool lastColumn = x == w - 1;
            bool right = true;
            bool belowLeft = true;
            bool below = true;
            bool belowRight = true;
            if (lastRow && lastColumn) {
                right = belowLeft = below = belowRight = false;
            } else if (lastRow) {
                belowLeft = below = belowRight = false;
            } else if (lastColumn) {
                right = belowRight = false;
            } else if (x == 0) {
                belowLeft = false;
            }
            const auto give = [&](bool receives, int32_t nx, int32_t ny, double weight) {
                if (!receives || !image.inBounds(nx, ny)) return;
                Pixel& n = image.pixelAt(nx, ny);
                n = addPixels(n, scalePixel(e, weight));
            };
            give(right, x + 1, y, 0.4375);
            give(belowLeft, x - 1, y + 1, 0.1875);
            give(below, x, y + 1, 0.3125);
            give(belowRight, x + 1, y + 1, 0.0625);
        }
    }
}

}  // namespace tesselane::reference
