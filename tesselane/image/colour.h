#pragma once

// Colour arithmetic on single pixels. Every operation that computes a colour goes through
// these, so their rounding rules fix the library's results:
// - rounded: add 0.5, floor, clamp to 0..255 (scaleChannel, lerpChannel and what uses them);
// - truncated (clampToByte): toward zero, clamp to 0..255.
// A real beyond the int32_t range clamps by its sign (to 0 or 255) and NaN gives 0.
// Alpha is an ordinary fourth channel unless an operation says otherwise.

#include <cstdint>

#include "tesselane/image/pixel.h"

namespace tesselane {

// x toward zero, clamped to 0..255: 254.99998 gives 254, 255.7 gives 255, -0.7 gives 0.
uint8_t clampToByte(double x);

// c x factor, rounded: halves go up (101 x 0.5 gives 51), any negative factor gives 0.
uint8_t scaleChannel(uint8_t c, double factor);

// (1 - t) x a + t x b, rounded; t = 0 gives a, t = 1 gives b, and t beyond 0..1 pushes past
// either end. Computed as ((1 - t) x a + b x t) + 0.5 in that order.
uint8_t lerpChannel(uint8_t a, uint8_t b, double t);

// scaleChannel on all four channels.
Pixel scalePixel(Pixel p, double factor);

// lerpChannel on all four channel pairs.
Pixel lerpPixel(Pixel a, Pixel b, double t);

// Channel sums capped at 255, all four channels.
Pixel addPixels(Pixel a, Pixel b);

// Channel differences a - b floored at 0, all four channels.
Pixel subtractPixels(Pixel a, Pixel b);

// Integer channel products (not divided by 255) capped at 255, all four channels.
Pixel multiplyPixels(Pixel a, Pixel b);

// (76 R + 150 G + 29 B) >> 8; alpha ignored. At most 254: the weights sum to 255. Inline, as
// the saturation loop calls it once per pixel.
inline uint8_t luma(Pixel p) {
    return static_cast<uint8_t>((76 * int32_t{p.r} + 150 * int32_t{p.g} + 29 * int32_t{p.b}) >> 8);
}

// The low eight bits of the next rand(). The library never seeds the generator.
uint8_t randomByte();

// Four randomByte() draws, stored in A, B, G and R in that order.
Pixel randomPixel();

// R, G and B quantised to bits bits: each becomes (c >> (8 - bits)) x (255 / levels), with
// levels = 255 >> (8 - bits), in single precision and truncated (3 and 6 bits map 255 to 254);
// alpha becomes 255. bits below 1 act as 1 and bits above 8 as 8 (colours kept).
Pixel posterizePixel(Pixel p, int32_t bits);

// True exactly when all four channels are 255.
bool isOpaqueWhite(Pixel p);

// Stores r, g, b as they are (callers pass 0..255); alpha untouched.
void setRgb(Pixel& p, int r, int g, int b);

// R, G and B set to clampToByte of their reals; alpha untouched.
void setRgbClamped(Pixel& p, double r, double g, double b);

// All four channels set to clampToByte of their reals.
void setRgbaClamped(Pixel& p, double r, double g, double b, double a);

}  // namespace tesselane
